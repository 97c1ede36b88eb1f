#include "platform/CSettingsStore.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

// QSettings separates groups with "/", so the record's key path is written with slashes.
QString KeyOf(const char* pszRecord) { return QString::fromLatin1(pszRecord).replace('\\', '/'); }

}  // namespace

QString CSettingsStore::DefaultFilePath() {
  const QByteArray env = qgetenv("VALENDRA_SETTINGS");
  if (!env.isEmpty()) return QString::fromLocal8Bit(env);
  QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (dir.isEmpty()) dir = QDir::homePath() + QStringLiteral("/.config");
  return dir + QStringLiteral("/Valendra/valendra.ini");
}

std::optional<std::string> CSettingsStore::Read(const char* pszRecord) const {
  QSettings settings(m_strFile, QSettings::IniFormat);
  const QVariant value = settings.value(KeyOf(pszRecord));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toStdString();
}

bool CSettingsStore::Write(const char* pszRecord, const std::string& strValue) const {
  QSettings settings(m_strFile, QSettings::IniFormat);
  settings.setValue(KeyOf(pszRecord), QString::fromStdString(strValue));
  settings.sync();
  return settings.status() == QSettings::NoError;
}
