#pragma once

#include <string_view>

// Reading the edit field of the two entry dialogs, the way the C run-time reads a number
// from the start of a text: "12abc" gives 12, "2.5x" gives 2.5.

// The field is read up to this many characters.
constexpr std::size_t kEntryFieldLimit = 19;

// An integer read as "%d" reads it. nResult is 1 when a number was read (nValue holds it,
// clamped to the int range), 0 when the text is empty or does not start with a number
// after blanks, and -1 when it holds nothing but blanks.
struct CIntEntry {
  int nResult = 0;
  int nValue = 0;
};
CIntEntry ScanIntEntry(std::string_view text);

// A decimal number ("." as the decimal point) after optional blanks and sign; 0 when the
// text does not start with one, and also for infinities, NaN and out-of-range values,
// which no caller can use as a size.
double ScanDoubleEntry(std::string_view text);
