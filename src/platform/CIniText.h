#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of the settings file: an INI file in the dialect Qt's settings classes write
// (sections in brackets, keys whose "/" is written "\" and whose other unusual characters
// are escaped as %XX or %UXXXX, values quoted and escaped where needed, UTF-8). The file
// may have been written by an older version of the program, edited by hand or damaged, so
// any text is read; what cannot be understood is kept as it stands.
//
// Setting a value changes only the line of that key (or adds one): every other line of
// the file, comments and entries of other programs included, is written back byte for
// byte. Keys are given with "/" between their parts; the first part names the section
// (keys without one live in [General]).
//
// Standard library only, so the settings can be fuzzed without Qt.
class CIniText {
 public:
  CIniText() = default;
  explicit CIniText(std::string_view text);

  // The value of a key, or nothing when the file has none. A value that the file holds as
  // a list (unquoted commas) reads as an empty text, as Qt reads it.
  std::optional<std::string> Value(std::string_view key) const;
  void SetValue(std::string_view key, std::string_view value);
  // The keys the file holds, in the order of their last lines.
  std::vector<std::string> Keys() const;

  std::string Text() const;

  // The spellings, exposed for tests.
  static std::string EscapeKey(std::string_view key);
  static std::string UnescapeKey(std::string_view text);
  static std::string EscapeValue(std::string_view value);
  static std::string UnescapeValue(std::string_view text);

 private:
  struct CLine {
    std::string text;        // as read (without its line end)
    std::string section;     // the section it stands in, unescaped
    std::string key;         // unescaped, for key lines; empty otherwise
    std::size_t nValue = 0;  // where the value starts in text
  };
  // The last line of the key (later lines win, as in Qt), or -1.
  std::ptrdiff_t Find(std::string_view section, std::string_view key) const;
  static void SplitKey(std::string_view key, std::string& section, std::string& subKey);

  std::vector<CLine> m_lines;
  bool m_bFinalNewline = true;
};
