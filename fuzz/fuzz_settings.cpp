// Reads arbitrary bytes as the settings file (edited by hand, written by an older version,
// damaged), takes the program's records from it, and writes each back: the record reads
// back as written, every other value of the file stays, and the file written reads the
// same again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/CIniText.h"
#include "platform/CSettingsRecord.h"

namespace {

const char* const kRecords[] = {
    "Software/Classes/Valendra/settings",       "Software/Classes/Valendra/settings2",
    "Software/Classes/Valendra/kill",           "Software/Valendra/Valendra/Recent File List/File1",
    "Software/Valendra/Valendra/Export/Folder",
};

void Check(bool b) {
  if (!b) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CIniText ini(text);
  // What the program reads from it.
  CSettingsRecord record;
  record.Parse(ini.Value(kRecords[0]).value_or(""));
  ParseLanguageRecord(ini.Value(kRecords[1]).value_or(""));
  ParseKillRecord(ini.Value(kRecords[2]).value_or(""));

  const std::vector<std::string> keys = ini.Keys();
  std::vector<std::optional<std::string>> before;
  for (const std::string& k : keys) before.push_back(ini.Value(k));
  // Each record written back with a value made of the file's own bytes.
  for (std::size_t i = 0; i < std::size(kRecords); ++i) {
    const std::string value = text.substr(std::min(size, i * 7), 40) + record.Format();
    ini.SetValue(kRecords[i], value);
    Check(ini.Value(kRecords[i]) == value);
  }
  const CIniText reread(ini.Text());
  for (const char* k : kRecords) Check(reread.Value(k) == ini.Value(k));
  for (std::size_t i = 0; i < keys.size(); ++i) {
    bool bOurs = false;
    for (const char* k : kRecords) bOurs = bOurs || keys[i] == k;
    if (!bOurs) Check(reread.Value(keys[i]) == before[i]);
  }
  return 0;
}
