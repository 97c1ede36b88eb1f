#include "platform/CIniText.h"

#include <cstdint>

namespace {

constexpr std::string_view kGeneral = "General";

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// The code point of the UTF-8 sequence at s[i] (advancing i past it), or the lone byte
// when it is no valid sequence.
std::uint32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  const std::size_t n = b0 >= 0xF0 && b0 <= 0xF4   ? 3
                        : b0 >= 0xE0 && b0 <= 0xEF ? 2
                        : b0 >= 0xC2 && b0 <= 0xDF ? 1
                                                   : 0;
  if (n == 0 || i + n >= s.size()) {
    ++i;
    return b0;
  }
  std::uint32_t cp = b0 & (0x3Fu >> n);
  for (std::size_t k = 1; k <= n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return b0;
    }
    cp = (cp << 6) | (b & 0x3Fu);
  }
  i += n + 1;
  return cp;
}

// The value of the hex digits text[i, i + n), or -1 when one of them is not a hex digit
// or the text is too short.
int HexDigits(std::string_view text, std::size_t i, std::size_t n) {
  if (i + n > text.size()) return -1;
  int v = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const int d = HexValue(text[i + k]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

// Appends what the escape whose letter is text[i] (the character after the backslash)
// stands for, and returns the index of the escape's last character.
std::size_t AppendEscape(std::string_view text, std::size_t i, std::string& part) {
  const char e = text[i];
  switch (e) {
    case 'a':
      part += '\a';
      break;
    case 'b':
      part += '\b';
      break;
    case 'f':
      part += '\f';
      break;
    case 'n':
      part += '\n';
      break;
    case 'r':
      part += '\r';
      break;
    case 't':
      part += '\t';
      break;
    case 'v':
      part += '\v';
      break;
    case 'x': {
      std::uint32_t cp = 0;
      int nDigits = 0;
      while (i + 1 < text.size() && HexValue(text[i + 1]) >= 0) {
        if (cp <= 0x10FFFF) cp = cp * 16 + static_cast<std::uint32_t>(HexValue(text[i + 1]));
        ++nDigits;
        ++i;
      }
      if (nDigits == 0)
        part += 'x';
      else
        AppendUtf8(part, cp);
      break;
    }
    default:
      if (e >= '0' && e <= '7') {
        std::uint32_t cp = static_cast<std::uint32_t>(e - '0');
        while (i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7') {
          if (cp <= 0x10FFFF) cp = cp * 8 + static_cast<std::uint32_t>(text[i + 1] - '0');
          ++i;
        }
        AppendUtf8(part, cp);
      } else {
        part += e;  // \" \\ \' \? and anything else stand for themselves
      }
  }
  return i;
}

// A single value without the marks Qt puts on texts it cannot write plainly.
std::string WithoutQtMarks(std::string value) {
  if (value.size() >= 2 && value[0] == '@' && value[1] == '@') {
    value.erase(0, 1);
  } else if (value.starts_with("@String(") && value.ends_with(")")) {
    // Qt's spelling of a text it could not write plainly (one holding a zero byte).
    value = value.substr(8, value.size() - 9);
  }
  return value;
}

}  // namespace

std::string CIniText::EscapeKey(std::string_view key) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < key.size();) {
    const char c = key[i];
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
        c == '-' || c == '.') {
      out += c;
      ++i;
    } else if (c == '/') {
      out += '\\';
      ++i;
    } else {
      const std::uint32_t cp = NextCodePoint(key, i);
      if (cp <= 0xFF) {
        out += '%';
        out += kHex[cp >> 4];
        out += kHex[cp & 0xF];
      } else {
        out += "%U";
        for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(cp >> shift) & 0xF];
      }
    }
  }
  return out;
}

std::string CIniText::UnescapeKey(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    int cp = -1;
    if (c == '%' && i + 1 < text.size() && text[i + 1] == 'U') cp = HexDigits(text, i + 2, 4);
    if (cp >= 0) {
      AppendUtf8(out, static_cast<std::uint32_t>(cp));
      i += 6;
      continue;
    }
    if (c == '%') cp = HexDigits(text, i + 1, 2);
    if (cp >= 0) {
      AppendUtf8(out, static_cast<std::uint32_t>(cp));
      i += 3;
      continue;
    }
    out += c == '\\' ? '/' : c;
    ++i;
  }
  return out;
}

std::string CIniText::EscapeValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  if (!value.empty() && value.front() == '@') out += '@';
  bool bQuote = false;
  bool bEscapeHexDigit = false;
  for (const char c : value) {
    const auto u = static_cast<unsigned char>(c);
    if (c == ';' || c == ',' || c == '=') bQuote = true;
    if (bEscapeHexDigit && HexValue(c) >= 0) {
      out += "\\x";
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
      continue;
    }
    bEscapeHexDigit = false;
    switch (c) {
      case '\0':
        out += "\\0";
        bEscapeHexDigit = true;
        break;
      case '\a':
        out += "\\a";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\v':
        out += "\\v";
        break;
      case '"':
      case '\\':
        out += '\\';
        out += c;
        break;
      default:
        if (u < 0x20 || u == 0x7F) {
          out += "\\x";
          if (u >> 4) out += kHex[u >> 4];
          out += kHex[u & 0xF];
          bEscapeHexDigit = true;
        } else {
          out += c;
        }
    }
  }
  const std::size_t nStart = value.empty() || value.front() != '@' ? 0 : 1;
  if (bQuote || (out.size() > nStart && (out[nStart] == ' ' || out.back() == ' '))) {
    out.insert(nStart, 1, '"');
    out += '"';
  }
  return out;
}

std::string CIniText::UnescapeValue(std::string_view text) {
  std::vector<std::string> parts(1);
  bool bQuoted = false;
  // Unquoted text loses its spaces at either end of each part; quoted text keeps them.
  std::size_t nKeep = 0;  // length of the current part up to its last kept character
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  for (; i < text.size(); ++i) {
    std::string& part = parts.back();
    const char c = text[i];
    if (c == '"') {
      bQuoted = !bQuoted;
      nKeep = part.size();
      continue;
    }
    if (!bQuoted && c == ';') break;
    if (!bQuoted && c == ',') {
      part.resize(nKeep);
      parts.emplace_back();
      nKeep = 0;
      while (i + 1 < text.size() && IsSpace(text[i + 1])) ++i;
      continue;
    }
    if (c == '\\' && i + 1 < text.size()) {
      i = AppendEscape(text, i + 1, part);
      nKeep = part.size();
      continue;
    }
    part += c;
    if (bQuoted || !IsSpace(c)) nKeep = part.size();
  }
  parts.back().resize(nKeep);
  if (parts.size() > 1) return {};
  return WithoutQtMarks(std::move(parts.front()));
}

CIniText::CIniText(std::string_view text) {
  std::string section;
  std::size_t nPos = 0;
  m_bFinalNewline = text.empty() || text.back() == '\n';
  while (nPos < text.size()) {
    std::size_t nEnd = text.find('\n', nPos);
    if (nEnd == std::string_view::npos) nEnd = text.size();
    CLine line;
    line.text = std::string(text.substr(nPos, nEnd - nPos));
    nPos = nEnd + 1;
    const std::string_view body = Trim(line.text);
    if (!body.empty() && body.front() == '[') {
      const std::size_t nClose = body.rfind(']');
      section = UnescapeKey(body.substr(
          1, (nClose == std::string_view::npos || nClose == 0 ? body.size() : nClose) - 1));
      if (section == kGeneral) section.clear();
      line.section = section;
    } else if (!body.empty() && body.front() != ';' && body.front() != '#') {
      const std::size_t nEq = line.text.find('=');
      line.section = section;
      if (nEq != std::string::npos) {
        line.key = UnescapeKey(Trim(std::string_view(line.text).substr(0, nEq)));
        line.nValue = nEq + 1;
      }
    } else {
      line.section = section;
    }
    m_lines.push_back(std::move(line));
  }
}

void CIniText::SplitKey(std::string_view key, std::string& section, std::string& subKey) {
  const std::size_t nSlash = key.find('/');
  if (nSlash == std::string_view::npos) {
    section.clear();
    subKey = std::string(key);
  } else {
    section = std::string(key.substr(0, nSlash));
    subKey = std::string(key.substr(nSlash + 1));
  }
}

std::ptrdiff_t CIniText::Find(std::string_view section, std::string_view key) const {
  for (std::size_t i = m_lines.size(); i-- > 0;) {
    const CLine& line = m_lines[i];
    if (line.nValue != 0 && line.section == section && line.key == key) {
      return static_cast<std::ptrdiff_t>(i);
    }
  }
  return -1;
}

std::optional<std::string> CIniText::Value(std::string_view key) const {
  std::string section, subKey;
  SplitKey(key, section, subKey);
  const std::ptrdiff_t n = Find(section, subKey);
  if (n < 0) return std::nullopt;
  const CLine& line = m_lines[static_cast<std::size_t>(n)];
  return UnescapeValue(std::string_view(line.text).substr(line.nValue));
}

void CIniText::SetValue(std::string_view key, std::string_view value) {
  std::string section, subKey;
  SplitKey(key, section, subKey);
  const std::string escaped = EscapeValue(value);
  const std::ptrdiff_t n = Find(section, subKey);
  if (n >= 0) {
    CLine& line = m_lines[static_cast<std::size_t>(n)];
    const bool bCr = !line.text.empty() && line.text.back() == '\r';
    line.text.resize(line.nValue);
    line.text += escaped;
    if (bCr) line.text += '\r';
    return;
  }
  CLine line;
  line.section = section;
  line.key = subKey;
  line.text = EscapeKey(subKey) + "=";
  line.nValue = line.text.size();
  line.text += escaped;
  // After the last entry of the last block of that section, or in a new section at the end.
  std::ptrdiff_t nAfter = -1;
  bool bSectionSeen = section.empty();
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    const CLine& l = m_lines[i];
    if (l.section != section) continue;
    bSectionSeen = true;
    if (!Trim(l.text).empty()) nAfter = static_cast<std::ptrdiff_t>(i);
  }
  if (!bSectionSeen || (nAfter < 0 && !section.empty())) {
    if (!m_lines.empty() && !Trim(m_lines.back().text).empty()) m_lines.push_back(CLine{});
    CLine header;
    header.section = section;
    header.text = "[" + EscapeKey(section) + "]";
    m_lines.push_back(std::move(header));
    m_lines.push_back(std::move(line));
    m_bFinalNewline = true;
    return;
  }
  if (nAfter < 0) {
    // A key of no section: [General] comes first in the file.
    CLine header;
    header.text = "[General]";
    m_lines.insert(m_lines.begin(), {header, line, CLine{}});
    return;
  }
  m_lines.insert(m_lines.begin() + nAfter + 1, std::move(line));
  if (static_cast<std::size_t>(nAfter) + 2 == m_lines.size()) m_bFinalNewline = true;
}

std::vector<std::string> CIniText::Keys() const {
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    const CLine& line = m_lines[i];
    if (line.nValue == 0 || Find(line.section, line.key) != static_cast<std::ptrdiff_t>(i)) {
      continue;
    }
    keys.push_back(line.section.empty() ? line.key : line.section + "/" + line.key);
  }
  return keys;
}

std::string CIniText::Text() const {
  std::string out;
  for (std::size_t i = 0; i < m_lines.size(); ++i) {
    out += m_lines[i].text;
    if (i + 1 < m_lines.size() || m_bFinalNewline) out += '\n';
  }
  return out;
}
