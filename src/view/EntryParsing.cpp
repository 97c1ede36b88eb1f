#include "view/EntryParsing.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i;
}

}  // namespace

CIntEntry ScanIntEntry(std::string_view text) {
  CIntEntry e;
  if (text.empty()) return e;
  std::size_t i = SkipBlanks(text);
  if (i == text.size()) {
    e.nResult = -1;  // input ended before anything could be converted
    return e;
  }
  bool bNegative = false;
  if (text[i] == '+' || text[i] == '-') {
    bNegative = text[i] == '-';
    ++i;
  }
  if (i == text.size() || text[i] < '0' || text[i] > '9') return e;
  std::int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    // Saturate well past the int range; the sign and the clamp come last.
    if (v < (std::int64_t{1} << 40)) v = v * 10 + (text[i] - '0');
  }
  if (bNegative) v = -v;
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  e.nResult = 1;
  e.nValue = static_cast<int>(v);
  return e;
}

double ScanDoubleEntry(std::string_view text) {
  std::size_t i = SkipBlanks(text);
  bool bNegative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    bNegative = text[i] == '-';
    ++i;
  }
  // Only plain decimal numbers: the digits or a point must come first.
  if (i >= text.size() || !((text[i] >= '0' && text[i] <= '9') || text[i] == '.')) return 0.0;
  double d = 0.0;
  const char* pFirst = text.data() + i;
  const auto [pEnd, ec] =
      std::from_chars(pFirst, text.data() + text.size(), d, std::chars_format::general);
  if (ec != std::errc{} || pEnd == pFirst || !std::isfinite(d)) return 0.0;
  return bNegative ? -d : d;
}
