#include "platform/CSafeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

namespace {

// What the names of our new files carry between the target's name and the process id.
constexpr char kMarker[] = ".valendra-";

struct CFaultState {
  std::mutex mutex;
  std::optional<CSafeFile::Fault> fault;
  int nWriteCalls = 0;
  bool bFromEnvironment = false;
};

CFaultState& Faults() {
  static CFaultState state;
  // The environment's fault is read once, before the first file is written.
  std::lock_guard lock(state.mutex);
  if (!state.bFromEnvironment) {
    state.bFromEnvironment = true;
    if (const char* pszSpec = std::getenv("VALENDRA_SAFE_FILE_FAULT")) {
      state.fault = CSafeFile::ParseFault(pszSpec);
    }
  }
  return state;
}

// The error a step fails with under the injected fault, or 0.
int InjectedError(CSafeFile::Step step) {
  CFaultState& state = Faults();
  std::lock_guard lock(state.mutex);
  if (step == CSafeFile::Step::Write) ++state.nWriteCalls;
  if (!state.fault || state.fault->step != step) return 0;
  if (step == CSafeFile::Step::Write && state.fault->nIndex != state.nWriteCalls) return 0;
  return state.fault->nErrno;
}

// Milliseconds each write call waits first (VALENDRA_SAFE_FILE_PACE, 0 by default): a test
// that kills the program in the middle of a write gets a window wide enough to land in,
// while what is on the disk at the kill is what any write leaves there.
int WritePaceMs() {
  static const int nMs = [] {
    const char* pszPace = std::getenv("VALENDRA_SAFE_FILE_PACE");
    return pszPace != nullptr ? std::clamp(std::atoi(pszPace), 0, 1000) : 0;
  }();
  return nMs;
}

ssize_t CheckedWrite(int fd, const std::uint8_t* p, std::size_t n) {
  if (const int nPace = WritePaceMs(); nPace > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(nPace));
  }
  if (const int err = InjectedError(CSafeFile::Step::Write)) {
    errno = err;
    return -1;
  }
  return ::write(fd, p, n);
}

int CheckedSync(int fd, CSafeFile::Step step) {
  if (const int err = InjectedError(step)) {
    errno = err;
    return -1;
  }
  return ::fsync(fd);
}

int SyncFolder(const QByteArray& folder, CSafeFile::Step step) {
  const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int n = CheckedSync(fd, step);
  const int err = errno;
  ::close(fd);
  errno = err;
  return n;
}

bool ProcessIsGone(std::int64_t pid) {
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
  if (pid == ::getpid()) return false;
  return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

}  // namespace

CSafeFile::CSafeFile(QString strTarget) : m_strTarget(std::move(strTarget)) {}

CSafeFile::~CSafeFile() { Discard(); }

bool CSafeFile::Fail(int nErr) {
  if (m_nError == 0) {
    m_nError = nErr;
    m_strReason = QString::fromLocal8Bit(std::strerror(nErr));
  }
  return false;
}

bool CSafeFile::Open() {
  const QFileInfo info(m_strTarget);
  if (info.isDir()) return Fail(EISDIR);
  m_target = QFile::encodeName(info.absoluteFilePath());
  m_folder = QFile::encodeName(info.absolutePath());
  m_temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) +
           kMarker + QByteArray::number(static_cast<qint64>(::getpid())) + "-XXXXXX";
  const int fd = ::mkostemp(m_temp.data(), O_CLOEXEC);
  if (fd < 0) {
    m_temp.clear();
    return Fail(errno);
  }
  m_fd = fd;
  // The new file gets the mode of the file it replaces, or the usual mode of a new file.
  struct stat st {};
  if (::stat(m_target.constData(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  m_buffer.reserve(kBlockSize);
  return true;
}

bool CSafeFile::Write(std::span<const std::uint8_t> bytes) {
  if (m_fd < 0 || m_nError != 0) return m_nError != 0 ? false : Fail(EBADF);
  while (!bytes.empty()) {
    const std::size_t n = std::min(bytes.size(), kBlockSize - m_buffer.size());
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
    bytes = bytes.subspan(n);
    if (m_buffer.size() == kBlockSize && !Flush()) return false;
  }
  return true;
}

bool CSafeFile::Flush() {
  const std::uint8_t* p = m_buffer.data();
  std::size_t left = m_buffer.size();
  while (left > 0) {
    const ssize_t n = CheckedWrite(m_fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(errno);
    }
    // A write that takes nothing would never end: the disk takes no more.
    if (n == 0) return Fail(ENOSPC);
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  m_buffer.clear();
  return true;
}

bool CSafeFile::Finish() {
  if (m_bFinished) return true;
  if (m_fd < 0) return Fail(EBADF);
  bool bOk = m_nError == 0 && Flush();
  if (bOk && CheckedSync(m_fd, Step::FileSync) != 0) bOk = Fail(errno);
  if (::close(m_fd) != 0 && bOk) bOk = Fail(errno);
  m_fd = -1;
  // The new file's name must be on the disk before it takes the target's place, or a
  // power cut could leave the folder naming neither.
  if (bOk && SyncFolder(m_folder, Step::FolderSync) != 0) bOk = Fail(errno);
  if (!bOk) {
    Discard();
    return false;
  }
  m_bFinished = true;
  return true;
}

bool CSafeFile::Commit() {
  if (m_bCommitted) return true;
  if (!Finish()) return false;
  bool bOk = true;
  if (const int err = InjectedError(Step::Rename)) bOk = Fail(err);
  if (bOk && ::rename(m_temp.constData(), m_target.constData()) != 0) bOk = Fail(errno);
  if (!bOk) {
    Discard();
    return false;
  }
  m_bCommitted = true;
  // And the rename itself. The target holds the complete new file whatever this says, so
  // a failure here is no failure of the write.
  SyncFolder(m_folder, Step::FolderSync);
  return true;
}

void CSafeFile::Discard() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  if (!m_bCommitted && !m_temp.isEmpty()) {
    ::unlink(m_temp.constData());
    m_temp.clear();
  }
  m_buffer.clear();
}

bool CSafeFile::Write(const QString& strPath, std::span<const std::uint8_t> bytes,
                      QString* pReason) {
  const std::span<const std::uint8_t> one[] = {bytes};
  return Write(strPath, one, pReason);
}

bool CSafeFile::Write(const QString& strPath, std::span<const std::span<const std::uint8_t>> pieces,
                      QString* pReason) {
  CSafeFile file(strPath);
  bool bOk = file.Open();
  for (const auto& piece : pieces) {
    if (!bOk) break;
    bOk = file.Write(piece);
  }
  bOk = bOk && file.Commit();
  if (!bOk && pReason != nullptr) *pReason = file.Reason();
  return bOk;
}

std::optional<std::int64_t> CSafeFile::LeftoverWriter(const QString& strFileName,
                                                      const QString& strTargetName) {
  const QByteArray name = QFile::encodeName(strFileName);
  const QByteArray prefix = "." + QFile::encodeName(strTargetName) + kMarker;
  if (!name.startsWith(prefix)) return std::nullopt;
  // PID, a dash and the six characters mkstemp chose.
  const QByteArray rest = name.mid(prefix.size());
  const qsizetype dash = rest.indexOf('-');
  if (dash <= 0 || rest.size() - dash - 1 != 6) return std::nullopt;
  for (qsizetype i = dash + 1; i < rest.size(); ++i) {
    const char c = rest[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
      return std::nullopt;
    }
  }
  std::int64_t pid = 0;
  const char* first = rest.constData();
  const auto [end, ec] = std::from_chars(first, first + dash, pid);
  if (ec != std::errc() || end != first + dash || pid <= 0) return std::nullopt;
  return pid;
}

int CSafeFile::RemoveLeftovers(const QString& strTarget) {
  const QFileInfo info(strTarget);
  const QString targetName = info.fileName();
  if (targetName.isEmpty()) return 0;
  return RemoveLeftoversIn(info.absolutePath(),
                           [&targetName](const QString& name) { return name == targetName; });
}

int CSafeFile::RemoveLeftoversIn(
    const QString& strFolder, const std::function<bool(const QString& strTargetName)>& isTarget) {
  const QByteArray folder = QFile::encodeName(strFolder);
  DIR* dir = ::opendir(folder.constData());
  if (dir == nullptr) return 0;
  int nRemoved = 0;
  while (const dirent* entry = ::readdir(dir)) {
    const QString name = QFile::decodeName(entry->d_name);
    // ".TARGET.valendra-PID-XXXXXX": the target's name stands between the first dot and
    // the last marker.
    const qsizetype nMarker = name.lastIndexOf(QLatin1String(kMarker));
    if (!name.startsWith(u'.') || nMarker < 2) continue;
    const QString targetName = name.mid(1, nMarker - 1);
    if (!isTarget(targetName)) continue;
    const auto pid = LeftoverWriter(name, targetName);
    if (!pid || !ProcessIsGone(*pid)) continue;
    // Only a plain file of that name: never a link or anything it might point at.
    struct stat st {};
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode)) {
      continue;
    }
    if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) ++nRemoved;
  }
  ::closedir(dir);
  return nRemoved;
}

void CSafeFile::SetFault(std::optional<Fault> fault) {
  CFaultState& state = Faults();
  std::lock_guard lock(state.mutex);
  state.fault = fault;
  state.nWriteCalls = 0;
}

int CSafeFile::WriteCalls() {
  CFaultState& state = Faults();
  std::lock_guard lock(state.mutex);
  return state.nWriteCalls;
}

std::optional<CSafeFile::Fault> CSafeFile::ParseFault(const std::string& strSpec) {
  const QStringList parts = QString::fromStdString(strSpec).split(QLatin1Char(':'));
  const auto errnoOf = [](const QString& s) -> int {
    static const std::pair<const char*, int> kNames[] = {
        {"ENOSPC", ENOSPC}, {"EIO", EIO}, {"EDQUOT", EDQUOT}, {"EROFS", EROFS}, {"EACCES", EACCES}};
    for (const auto& [pszName, n] : kNames) {
      if (s == QLatin1String(pszName)) return n;
    }
    bool bOk = false;
    const int n = s.toInt(&bOk);
    return bOk && n > 0 ? n : 0;
  };
  Fault fault;
  if (parts.size() == 3 && parts[0] == QLatin1String("write")) {
    bool bOk = false;
    fault.nIndex = parts[1].toInt(&bOk);
    if (!bOk || fault.nIndex < 1) return std::nullopt;
    fault.nErrno = errnoOf(parts[2]);
  } else if (parts.size() == 2) {
    if (parts[0] == QLatin1String("fsync")) {
      fault.step = Step::FileSync;
    } else if (parts[0] == QLatin1String("dirsync")) {
      fault.step = Step::FolderSync;
    } else if (parts[0] == QLatin1String("rename")) {
      fault.step = Step::Rename;
    } else {
      return std::nullopt;
    }
    fault.nErrno = errnoOf(parts[1]);
  } else {
    return std::nullopt;
  }
  if (fault.nErrno == 0) return std::nullopt;
  return fault;
}
