#include "platform/CSettingsStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#include "platform/CIniText.h"
#include "platform/CSafeFile.h"

namespace {

// The records' key paths are written with slashes between their parts.
std::string KeyOf(const char* pszRecord) {
  std::string key(pszRecord);
  for (char& c : key) {
    if (c == '\\') c = '/';
  }
  return key;
}

std::optional<CIniText> ReadIni(const QString& strFile) {
  QFile file(strFile);
  if (!file.open(QIODevice::ReadOnly))
    return file.exists() ? std::nullopt : std::optional(CIniText());
  const QByteArray text = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  return CIniText(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

// Held while a record is read, changed and written back, so that two instances writing at
// once do not lose each other's record: an advisory lock on the file's folder.
class CFolderLock {
 public:
  explicit CFolderLock(const QString& strFolder)
      : m_fd(::open(QFile::encodeName(strFolder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (m_fd >= 0) {
      while (::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
      }
    }
  }
  ~CFolderLock() {
    if (m_fd >= 0) ::close(m_fd);
  }
  CFolderLock(const CFolderLock&) = delete;
  CFolderLock& operator=(const CFolderLock&) = delete;

 private:
  int m_fd;
};

}  // namespace

QString CSettingsStore::DefaultFilePath() {
  const QByteArray env = qgetenv("VALENDRA_SETTINGS");
  if (!env.isEmpty()) return QString::fromLocal8Bit(env);
  QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.config");
  return dir + QStringLiteral("/Valendra/valendra.ini");
}

std::optional<std::string> CSettingsStore::Read(const char* pszRecord) const {
  const std::optional<CIniText> ini = ReadIni(m_strFile);
  if (!ini) return std::nullopt;
  return ini->Value(KeyOf(pszRecord));
}

bool CSettingsStore::Write(const char* pszRecord, const std::string& strValue,
                           QString* pReason) const {
  const QFileInfo info(m_strFile);
  // A folder that cannot be made is reported by the write below, with its reason.
  QDir().mkpath(info.absolutePath());
  const CFolderLock lock(info.absolutePath());
  std::optional<CIniText> ini = ReadIni(m_strFile);
  if (!ini) {
    // A file that exists but cannot be read is not written over: what it holds would go.
    if (pReason != nullptr) *pReason = QFile(m_strFile).errorString();
    return false;
  }
  ini->SetValue(KeyOf(pszRecord), strValue);
  const std::string text = ini->Text();
  return CSafeFile::Write(
      m_strFile, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
      pReason);
}

int CSettingsStore::RemoveLeftovers() const { return CSafeFile::RemoveLeftovers(m_strFile); }
