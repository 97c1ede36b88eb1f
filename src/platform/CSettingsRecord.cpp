#include "platform/CSettingsRecord.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace {

// One "%d" conversion: leading white space, an optional sign, decimal digits. False when
// no number is there or it does not fit 32 bits.
bool ScanInt(const char*& p, const char* end, std::int32_t& out) {
  while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
  const char* start = p;
  if (p < end && *p == '+') ++start, ++p;
  std::int32_t value = 0;
  const auto [next, ec] = std::from_chars(start, end, value);
  if (ec != std::errc()) return false;
  p = next;
  out = value;
  return true;
}

}  // namespace

std::array<std::int32_t, CSettingsRecord::kItemCount> CSettingsRecord::Items() const {
  std::array<std::int32_t, kItemCount> items{};
  items[0] = m_bDrawBarPlaced;
  items[1] = m_bDrawBarVisible;
  for (int i = 0; i < 11; ++i) items[2 + i] = m_wpDrawBar[i];
  items[13] = m_bMaximized;
  for (int i = 0; i < 4; ++i) items[14 + i] = m_rcMainWnd[i];
  items[18] = m_bToolBarHidden;
  items[19] = m_bStatusBarVisible;
  return items;
}

void CSettingsRecord::SetItem(int nIndex, std::int32_t nValue) {
  if (nIndex == 0) {
    m_bDrawBarPlaced = nValue;
  } else if (nIndex == 1) {
    m_bDrawBarVisible = nValue;
  } else if (nIndex >= 2 && nIndex < 13) {
    m_wpDrawBar[nIndex - 2] = nValue;
  } else if (nIndex == 13) {
    m_bMaximized = nValue;
  } else if (nIndex >= 14 && nIndex < 18) {
    m_rcMainWnd[nIndex - 14] = nValue;
  } else if (nIndex == 18) {
    m_bToolBarHidden = nValue;
  } else if (nIndex == 19) {
    m_bStatusBarVisible = nValue;
  }
}

std::string CSettingsRecord::Format() const {
  const auto v = Items();
  // Twenty 32-bit integers need at most 20 * 12 bytes.
  char buf[5000];
  std::snprintf(buf, sizeof buf, "%d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d %d",
                v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9], v[10], v[11], v[12],
                v[13], v[14], v[15], v[16], v[17], v[18], v[19]);
  return buf;
}

int CSettingsRecord::Parse(const std::string& text) {
  const char* p = text.data();
  const char* end = p + text.size();
  int n = 0;
  for (; n < kItemCount; ++n) {
    std::int32_t value = 0;
    if (!ScanInt(p, end, value)) break;
    SetItem(n, value);
  }
  return n;
}

std::uint16_t ParseLanguageRecord(const std::string& text) {
  const char* p = text.data();
  std::int32_t value = 0;
  if (!ScanInt(p, p + text.size(), value)) return 0;
  return static_cast<std::uint16_t>(value);
}

std::string FormatLanguageRecord(std::uint16_t wLanguageId) { return std::to_string(wLanguageId); }

std::int64_t ParseKillRecord(const std::string& text) {
  if (text.empty() || text.size() > 10) return 0;
  std::int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n > 0x7fffffff ? 0 : n;
}
