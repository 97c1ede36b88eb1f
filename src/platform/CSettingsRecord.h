#pragma once

#include <array>
#include <cstdint>
#include <string>

// The settings record: twenty integers kept between runs (the Draw bar's placement, the
// main window's state and rectangle, the toolbar and status-bar flags), stored as the text
// "%d %d ... %d". The field names are those of the application's settings (CAppSettings).
struct CSettingsRecord {
  std::int32_t m_bDrawBarPlaced = 0;
  std::int32_t m_bDrawBarVisible = 1;
  // length, flags, show command, min x, y, max x, y, normal left, top, right, bottom
  std::array<std::int32_t, 11> m_wpDrawBar{};
  std::int32_t m_bMaximized = 0;
  std::array<std::int32_t, 4> m_rcMainWnd{};  // left, top, right, bottom in screen pixels
  std::int32_t m_bToolBarHidden = 0;
  std::int32_t m_bStatusBarVisible = 1;

  static constexpr int kItemCount = 20;

  // The record's text: the twenty items in order, separated by single spaces.
  std::string Format() const;
  // Reads integers in order from the text, the way "%d %d ..." scanning does, and stops at
  // the first item that cannot be read; items not read keep their values. Returns the
  // number of items read.
  int Parse(const std::string& text);

  // The items in record order.
  std::array<std::int32_t, kItemCount> Items() const;
  void SetItem(int nIndex, std::int32_t nValue);

  friend bool operator==(const CSettingsRecord&, const CSettingsRecord&) = default;
};

// The language record: one "%d" integer, the 16-bit interface language identifier
// (1029 Czech, 1033 English); 0 when it says nothing.
std::uint16_t ParseLanguageRecord(const std::string& text);
std::string FormatLanguageRecord(std::uint16_t wLanguageId);

// The kill record: a process identifier in decimal, "0" when nothing is pending. A text
// that is not a plain decimal number that fits a process identifier reads as 0.
std::int64_t ParseKillRecord(const std::string& text);
