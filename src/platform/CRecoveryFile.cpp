#include "platform/CRecoveryFile.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <charconv>
#include <ctime>
#include <string_view>

#include "platform/CSafeFile.h"

namespace {

constexpr std::string_view kFirstLine = "Valendra recovery 1";
constexpr std::string_view kUntitled = "untitled";
// A header longer than this is no header of ours.
constexpr std::size_t kMaxHeader = 64 * 1024;

std::string EncodePath(const std::string& strPath) {
  if (strPath.empty()) return std::string(kUntitled);
  std::string out;
  for (const char c : strPath) {
    if (c == '%') {
      out += "%25";
    } else if (c == '\n') {
      out += "%0A";
    } else if (c == '\r') {
      out += "%0D";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> DecodePath(std::string_view text) {
  if (text == kUntitled) return std::string();
  if (text.empty() || text.front() != '/') return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    unsigned v = 0;
    if (i + 2 >= text.size()) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data() + i + 1, text.data() + i + 3, v, 16);
    if (ec != std::errc() || end != text.data() + i + 3) return std::nullopt;
    out += static_cast<char>(v);
    i += 2;
  }
  return out;
}

template <class T>
bool ParseNumber(std::string_view text, T* pValue) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *pValue);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string ReadSmallFile(const char* pszPath) {
  QFile file(QString::fromLatin1(pszPath));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.read(4096).toStdString();
}

}  // namespace

CRecoveryHeader CRecoveryHeader::ForThisProcess(const std::string& strPath) {
  CRecoveryHeader h;
  h.nPid = ::getpid();
  h.nStart = recovery::ProcessStart(h.nPid).value_or(0);
  h.strBoot = recovery::BootId();
  h.nTime = static_cast<std::int64_t>(std::time(nullptr));
  h.strPath = strPath;
  return h;
}

bool CRecoveryHeader::IsOrphan() const {
  const std::string boot = recovery::BootId();
  if (!boot.empty() && boot != strBoot) return true;
  const std::optional<std::uint64_t> start = recovery::ProcessStart(nPid);
  // A process of that id that started at another moment is another process.
  return !start || *start != nStart;
}

std::string CRecoveryHeader::Format() const {
  std::string s(kFirstLine);
  s += "\npid " + std::to_string(nPid);
  s += "\nstart " + std::to_string(nStart);
  s += "\nboot " + strBoot;
  s += "\ntime " + std::to_string(nTime);
  s += "\npath " + EncodePath(strPath);
  s += "\n\n";
  return s;
}

std::optional<CRecoveryHeader> CRecoveryHeader::Parse(std::span<const std::uint8_t> bytes,
                                                      std::size_t* pStreamStart,
                                                      std::string* pError) {
  const auto fail = [pError](const char* pszWhy) -> std::optional<CRecoveryHeader> {
    if (pError != nullptr) *pError = pszWhy;
    return std::nullopt;
  };
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()),
                              std::min(bytes.size(), kMaxHeader));
  const std::size_t nEnd = text.find("\n\n");
  if (nEnd == std::string_view::npos) return fail("it has no header of a recovery file");
  std::string_view head = text.substr(0, nEnd + 1);
  CRecoveryHeader h;
  bool bPid = false, bStart = false, bBoot = false, bTime = false, bPath = false;
  bool bFirst = true;
  while (!head.empty()) {
    const std::size_t nl = head.find('\n');
    const std::string_view line = head.substr(0, nl);
    head.remove_prefix(nl + 1);
    if (bFirst) {
      if (line != kFirstLine) return fail("it is not a recovery file of this version");
      bFirst = false;
      continue;
    }
    const std::size_t sp = line.find(' ');
    const std::string_view key = line.substr(0, sp);
    const std::string_view value = sp == std::string_view::npos ? "" : line.substr(sp + 1);
    if (key == "pid") {
      bPid = ParseNumber(value, &h.nPid) && h.nPid > 0;
      if (!bPid) return fail("its process id cannot be read");
    } else if (key == "start") {
      bStart = ParseNumber(value, &h.nStart);
      if (!bStart) return fail("its process start cannot be read");
    } else if (key == "boot") {
      h.strBoot = std::string(value);
      bBoot = true;
    } else if (key == "time") {
      bTime = ParseNumber(value, &h.nTime);
      if (!bTime) return fail("its time cannot be read");
    } else if (key == "path") {
      const std::optional<std::string> path = DecodePath(value);
      if (!path) return fail("its drawing's path cannot be read");
      h.strPath = *path;
      bPath = true;
    }
    // Lines of other names are for later versions.
  }
  if (!(bPid && bStart && bBoot && bTime && bPath)) return fail("its header is incomplete");
  if (pStreamStart != nullptr) *pStreamStart = nEnd + 2;
  return h;
}

namespace recovery {

QString Folder() {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  // XDG_STATE_HOME counts only when it is an absolute path; anything else is ignored.
  if (state.isEmpty() || !QDir::isAbsolutePath(state)) {
    state = QDir::homePath() + QStringLiteral("/.local/state");
  }
  const QString folder = state + QStringLiteral("/valendra/recovery");
  QDir().mkpath(folder);
  return folder;
}

QString OwnFileName() {
  const CRecoveryHeader h = CRecoveryHeader::ForThisProcess({});
  return QStringLiteral("valendra-%1-%2.recovery").arg(h.nPid).arg(h.nStart);
}

bool IsRecoveryFileName(const QString& strName) {
  return strName.startsWith(QLatin1String("valendra-")) &&
         strName.endsWith(QLatin1String(".recovery"));
}

QString BrokenName(const QString& strPath) { return strPath + QStringLiteral(".broken"); }

bool Write(const QString& strPath, const CRecoveryHeader& header,
           std::span<const std::span<const std::uint8_t>> stream, QString* pReason) {
  const std::string head = header.Format();
  CSafeFile file(strPath);
  bool bOk = file.Open() &&
             file.Write(std::span(reinterpret_cast<const std::uint8_t*>(head.data()), head.size()));
  for (const auto& piece : stream) {
    if (!bOk) break;
    bOk = file.Write(piece);
  }
  bOk = bOk && file.Commit();
  if (!bOk && pReason != nullptr) *pReason = file.Reason();
  return bOk;
}

bool Write(const QString& strPath, const CRecoveryHeader& header,
           std::span<const CStoredRecordRef> records, QString* pReason) {
  std::vector<std::span<const std::uint8_t>> pieces;
  pieces.reserve(records.size());
  for (const CStoredRecordRef& pRecord : records) pieces.emplace_back(pRecord->m_bytes);
  return Write(strPath, header, pieces, pReason);
}

std::string BootId() {
  std::string id = ReadSmallFile("/proc/sys/kernel/random/boot_id");
  while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
  return id;
}

std::optional<std::uint64_t> ProcessStart(std::int64_t nPid) {
  if (nPid <= 0) return std::nullopt;
  const std::string stat = ReadSmallFile(("/proc/" + std::to_string(nPid) + "/stat").c_str());
  // The command name in parentheses may hold anything, spaces and parentheses too: the
  // fields are counted from the last parenthesis. The start is field 22; after the name
  // (field 2) comes the state (field 3).
  const std::size_t nParen = stat.rfind(')');
  if (nParen == std::string::npos) return std::nullopt;
  std::string_view rest = std::string_view(stat).substr(nParen + 1);
  for (int nField = 3; nField <= 22; ++nField) {
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
    const std::size_t sp = rest.find(' ');
    const std::string_view field = rest.substr(0, sp);
    if (nField == 22) {
      std::uint64_t v = 0;
      if (!ParseNumber(field, &v)) return std::nullopt;
      return v;
    }
    if (sp == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(sp);
  }
  return std::nullopt;
}

}  // namespace recovery
