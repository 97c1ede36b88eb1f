#include "view/LabelTyping.h"

#include <cctype>
#include <string_view>

#include "formula/FormulaMarkup.h"

namespace {

constexpr std::string_view kLowerOpen = "#idown ";
constexpr std::string_view kUpperOpen = "#iup ";
constexpr std::string_view kClose = "# ";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where the index of kind `open` ends text before nEnd ("...#idown 42# " with nEnd after
// its last space): the start of its contents, or npos. The contents must satisfy `accept`.
template <typename Accept>
std::size_t IndexEndingAt(std::string_view text, std::size_t nEnd, std::string_view open,
                          Accept accept) {
  if (nEnd < open.size() + kClose.size() ||
      text.substr(nEnd - kClose.size(), kClose.size()) != kClose)
    return std::string_view::npos;
  std::size_t nStart = nEnd - kClose.size();
  while (nStart > 0 && accept(text[nStart - 1])) --nStart;
  if (nStart == nEnd - kClose.size() || nStart < open.size() ||
      text.substr(nStart - open.size(), open.size()) != open) {
    return std::string_view::npos;
  }
  return nStart;
}

bool IsChargeByte(char c) { return IsDigit(c) || c == '+' || c == '-'; }

// An element symbol alone: one capital and at most one small letter.
bool IsLoneSymbol(std::string_view s) {
  return (s.size() == 1 && std::isupper(static_cast<unsigned char>(s[0]))) ||
         (s.size() == 2 && std::isupper(static_cast<unsigned char>(s[0])) &&
          std::islower(static_cast<unsigned char>(s[1])));
}

std::string Index(std::string_view open, std::string_view contents) {
  return std::string(open) + std::string(contents) + std::string(kClose);
}

bool TypeDigit(std::string& text, int& nCaret, char c) {
  const auto nAt = static_cast<std::size_t>(nCaret);
  // Right after a lower index of digits: the number goes on inside it.
  if (IndexEndingAt(text, nAt, kLowerOpen, IsDigit) != std::string_view::npos) {
    text.insert(nAt - kClose.size(), 1, c);
    nCaret += 1;
    return true;
  }
  if (nAt == 0) return false;
  const char before = text[nAt - 1];
  if (!IsLabelLetter(static_cast<unsigned char>(before)) && before != ')' && before != ']')
    return false;
  const std::string ins = Index(kLowerOpen, std::string_view(&c, 1));
  text.insert(nAt, ins);
  nCaret += static_cast<int>(ins.size());
  return true;
}

bool TypeSign(std::string& text, int& nCaret, char c) {
  const std::size_t n = text.size();
  if (static_cast<std::size_t>(nCaret) != n || n == 0) return false;
  // A charge already there grows.
  if (IndexEndingAt(text, n, kUpperOpen, IsChargeByte) != std::string_view::npos) {
    text.insert(n - kClose.size(), 1, c);
  } else if (const std::size_t nLow = IndexEndingAt(text, n, kLowerOpen, IsDigit);
             nLow != std::string_view::npos) {
    const std::string digits = text.substr(nLow, n - kClose.size() - nLow);
    const std::string_view base = std::string_view(text).substr(0, nLow - kLowerOpen.size());
    std::string sign(1, c);
    std::string rest;
    if (digits.size() >= 2) {
      // SO42-: the last digit is the charge's.
      rest = Index(kLowerOpen, std::string_view(digits).substr(0, digits.size() - 1)) +
             Index(kUpperOpen, digits.substr(digits.size() - 1) + sign);
    } else if (IsLoneSymbol(base)) {
      // Fe3+: one atom has no count, the digit is the charge's.
      rest = Index(kUpperOpen, digits + sign);
    } else {
      rest = Index(kLowerOpen, digits) + Index(kUpperOpen, sign);
    }
    text = std::string(base) + rest;
  } else {
    text += Index(kUpperOpen, std::string(1, c));
  }
  nCaret = static_cast<int>(text.size());
  return true;
}

// Whether nCaret lies in a slot of an index (indices do not nest), or in a keyword.
bool InsideMarkup(std::string_view text, int nCaret) {
  for (const FormulaPiece& piece : WalkFormula(text)) {
    if (piece.type != FormulaPiece::Type::Keyword) continue;
    if (nCaret > piece.nStart && nCaret <= piece.nEnd) return true;
    for (int i = 0; i < piece.nSlots; ++i) {
      if (nCaret >= piece.slot[i].nStart && nCaret <= piece.slot[i].nEnd) return true;
    }
  }
  return false;
}

}  // namespace

bool IsLabelLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool TypeLabelByte(std::string& text, int& nCaret, char c) {
  if (nCaret < 0 || static_cast<std::size_t>(nCaret) > text.size()) return false;
  if (InsideMarkup(text, nCaret)) return false;
  if (IsDigit(c)) return TypeDigit(text, nCaret, c);
  if (c == '+' || c == '-') return TypeSign(text, nCaret, c);
  return false;
}
