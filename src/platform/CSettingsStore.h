#pragma once

#include <QString>
#include <optional>
#include <string>

// The three records the program keeps between runs ("settings", "settings2" and "kill"
// under "Software\Classes\Valendra"), each a value holding exactly the text the program
// formats, in an INI file in the user's configuration folder. The environment variable
// VALENDRA_SETTINGS names another file (tests, or several independent set-ups). The file
// is written anew through the safe writer for every record, with every line that is not
// that record's kept as it was.
class CSettingsStore {
 public:
  static constexpr const char* kSettings = "Software\\Classes\\Valendra\\settings";
  static constexpr const char* kLanguage = "Software\\Classes\\Valendra\\settings2";
  static constexpr const char* kKill = "Software\\Classes\\Valendra\\kill";

  // The file that the records live in.
  static QString DefaultFilePath();

  CSettingsStore() : CSettingsStore(DefaultFilePath()) {}
  explicit CSettingsStore(QString strFile) : m_strFile(std::move(strFile)) {}

  // The text of a record, or nothing when the record does not exist.
  std::optional<std::string> Read(const char* pszRecord) const;
  // Writes the record to the disk, so another instance started next reads it. False (with
  // the reason) when the file could not be written; it is then as it was.
  bool Write(const char* pszRecord, const std::string& strValue, QString* pReason = nullptr) const;
  // Removes what writes of the file killed half-way left beside it.
  int RemoveLeftovers() const;

  const QString& FilePath() const { return m_strFile; }

 private:
  QString m_strFile;
};
