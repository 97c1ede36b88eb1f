#include "formula/FormulaMarkup.h"

#include <climits>

#include "resources/WindowMessages.h"

namespace {

// The byte at i as 0 ... 255, or -1 when i lies outside the text.
int At(std::string_view s, int i) {
  if (i < 0 || static_cast<std::size_t>(i) >= s.size()) return -1;
  return static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
}

int Length(std::string_view s) {
  return s.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(s.size());
}

FormulaTemplate TemplateOfKeyword(std::string_view kw) {
  if (kw == "#iup") return FormulaTemplate::Up;
  if (kw == "#idown") return FormulaTemplate::Down;
  if (kw == "#iudr") return FormulaTemplate::UpDownRight;
  if (kw == "#iudl") return FormulaTemplate::UpDownLeft;
  return FormulaTemplate::None;
}

// Whether p lies strictly inside an escaped pair or a Greek letter, with the tokens of a
// run or slot read from its start and never past its end. Keeping the caret out of these
// means that typing can never split a pair into two markers.
bool InsideToken(std::string_view s, int nStart, int nEnd, int p) {
  int i = nStart;
  while (i < p && i < nEnd) {
    const int a = At(s, i);
    int len = 1;
    if ((a == '#' || a == '<' || a == '>') && i + 1 < nEnd && At(s, i + 1) == a) {
      len = 2;
    } else if (a == '<' && i + 2 < nEnd && At(s, i + 2) == '>' && At(s, i + 1) != '<' &&
               At(s, i + 1) != '>') {
      len = 3;
    }
    if (p < i + len) return true;
    i += len;
  }
  return false;
}

}  // namespace

int FindMarker(std::string_view s, char c, int nFrom) {
  const int n = Length(s);
  const int ch = static_cast<unsigned char>(c);
  int i = nFrom < 0 ? 0 : nFrom;
  while (i <= n) {
    if (At(s, i) == ch && At(s, i + 1) == ch) {
      i += 2;
    } else if (At(s, i) == ch) {
      return i;
    } else {
      ++i;
    }
  }
  return -1;
}

int FindSpace(std::string_view s, int nFrom) {
  const int n = Length(s);
  for (int i = nFrom < 0 ? 0 : nFrom; i < n; ++i) {
    if (s[static_cast<std::size_t>(i)] == ' ') return i;
  }
  return -1;
}

std::string UnescapeHashes(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    out.push_back(s[i]);
    if (s[i] == '#' && i + 1 < s.size() && s[i + 1] == '#') ++i;
  }
  return out;
}

std::string UnescapeAngles(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    out.push_back(s[i]);
    if ((s[i] == '<' || s[i] == '>') && i + 1 < s.size() && s[i + 1] == s[i]) ++i;
  }
  return out;
}

bool UnpairedAt(std::string_view s, char c, int p) {
  const int ch = static_cast<unsigned char>(c);
  int i = p;
  while (At(s, i) == ch && At(s, i + 1) == ch) i += 2;
  if (At(s, i) != ch) return false;
  if (ch == '<' && At(s, i + 2) == '>' && At(s, i + 1) != '<') return false;
  return true;
}

std::vector<FormulaPiece> WalkFormula(std::string_view text) {
  const int n = Length(text);
  std::vector<FormulaPiece> pieces;
  int e = 0;
  int s0 = 0;
  for (;;) {
    const int h = FindMarker(text, '#', s0);
    FormulaPiece run;
    run.nStart = e;
    if (h == -1) {
      run.nEnd = n;
      run.bFinal = true;
      pieces.push_back(run);
      break;
    }
    run.nEnd = h;
    pieces.push_back(run);

    const int k = FindSpace(text, h);
    if (k == -1) {
      // A keyword that runs to the end opens nothing: the rest is ordinary text.
      FormulaPiece rest;
      rest.nStart = h;
      rest.nEnd = n;
      rest.bFinal = true;
      pieces.push_back(rest);
      break;
    }
    e = h;
    FormulaPiece kw;
    kw.type = FormulaPiece::Type::Keyword;
    kw.nStart = h;
    kw.nEnd = k;
    kw.tmpl = TemplateOfKeyword(
        text.substr(static_cast<std::size_t>(h), static_cast<std::size_t>(k - h)));
    if (kw.tmpl == FormulaTemplate::None) {
      // A foreign keyword: its bytes belong to the next run; scanning resumes at its space.
      pieces.push_back(kw);
      s0 = k;
      continue;
    }

    kw.nSlots =
        (kw.tmpl == FormulaTemplate::UpDownRight || kw.tmpl == FormulaTemplate::UpDownLeft) ? 2 : 1;
    int u = k + 1;
    bool bOpen = false;
    for (int i = 0; i < kw.nSlots; ++i) {
      FormulaPiece::Slot& slot = kw.slot[i];
      slot.nStart = u;
      if (bOpen) {
        // The slot before ran to the end; this one is empty there.
        slot.nEnd = n;
        slot.bTerminated = false;
        continue;
      }
      const int t = FindMarker(text, '#', u);
      if (t == -1) {
        slot.nEnd = n;
        slot.bTerminated = false;
        bOpen = true;
      } else {
        slot.nEnd = t;
        // The byte after a terminator is skipped; a terminator at the very end leaves
        // nothing after it.
        u = t + 2 > n ? n : t + 2;
      }
    }
    pieces.push_back(kw);
    if (bOpen) break;
    e = s0 = u;
  }
  return pieces;
}

FormulaPlace PlaceInWalk(const std::vector<FormulaPiece>& pieces, int nLength, int p) {
  FormulaPlace place;
  if (p < 0 || p > nLength) return place;
  for (std::size_t idx = 0; idx < pieces.size(); ++idx) {
    const FormulaPiece& piece = pieces[idx];
    if (piece.type == FormulaPiece::Type::Run) {
      if (piece.bFinal || p <= piece.nEnd) {
        place.candidate = BaseStop;
        place.nPiece = static_cast<int>(idx);
        place.nStart = piece.nStart;
        place.nTerminator = piece.bFinal ? -1 : piece.nEnd;
        return place;
      }
      continue;
    }
    if (p <= piece.nEnd) return place;  // inside the keyword or at its space
    for (int i = 0; i < piece.nSlots; ++i) {
      const FormulaPiece::Slot& slot = piece.slot[i];
      if (p <= slot.nEnd) {
        place.candidate = IndexStop;
        place.nPiece = static_cast<int>(idx);
        place.nSlot = i;
        place.nStart = slot.nStart;
        place.nTerminator = slot.bTerminated ? slot.nEnd : -1;
        return place;
      }
      if (p == slot.nEnd + 1) return place;  // between a terminator and the byte after it
    }
  }
  return place;
}

CaretStop StopKindAt(std::string_view s, int p) {
  const int n = Length(s);
  const FormulaPlace place = PlaceInWalk(WalkFormula(s), n, p);
  if (place.candidate == NoStop) return NoStop;

  const int t = place.nTerminator;
  // (a) the escaped '#' right before a marker or terminator.
  if (t >= 0 && At(s, p - 1) == '#' && At(s, p) == '#' && p == t - 1) return NoStop;
  // (b) inside a Greek letter.
  const int before = At(s, p - 1);
  const int here = At(s, p);
  if (before == '<' && At(s, p + 1) == '>' && here != '<' && here != '>') return NoStop;
  if (here == '>' && At(s, p - 2) == '<' && before != '<' && before != '>') return NoStop;
  // (c), (d) inside a pair of angle brackets.
  if (before == '<' && UnpairedAt(s, '<', p)) return NoStop;
  if (before == '>' && UnpairedAt(s, '>', p)) return NoStop;
  // Inside any other escaped pair.
  if (InsideToken(s, place.nStart, t >= 0 ? t : n, p)) return NoStop;
  return place.candidate;
}

const char* TemplateText(FormulaTemplate tmpl) {
  switch (tmpl) {
    case FormulaTemplate::Up:
      return "#iup # ";
    case FormulaTemplate::Down:
      return "#idown # ";
    case FormulaTemplate::UpDownRight:
      return "#iudr # # ";
    case FormulaTemplate::UpDownLeft:
      return "#iudl # # ";
    case FormulaTemplate::None:
      break;
  }
  return "";
}

int TemplateCaretBack(FormulaTemplate tmpl) {
  switch (tmpl) {
    case FormulaTemplate::Up:
    case FormulaTemplate::Down:
      return 2;
    case FormulaTemplate::UpDownRight:
    case FormulaTemplate::UpDownLeft:
      return 4;
    case FormulaTemplate::None:
      break;
  }
  return 0;
}

FormulaTemplate TemplateOfMessage(int nMessage) {
  switch (nMessage) {
    case msg::kInsertUpperIndex:
      return FormulaTemplate::Up;
    case msg::kInsertRightIndices:
      return FormulaTemplate::UpDownRight;
    case msg::kInsertLowerIndex:
      return FormulaTemplate::Down;
    case msg::kInsertLeftIndices:
      return FormulaTemplate::UpDownLeft;
    default:
      return FormulaTemplate::None;
  }
}

char GreekOfMessage(int nMessage) {
  if (nMessage >= msg::kGreekFirst && nMessage < msg::kGreekCapitalFirst) {
    return msg::kGreekSmall[nMessage - msg::kGreekFirst];
  }
  if (nMessage >= msg::kGreekCapitalFirst && nMessage <= msg::kGreekLast) {
    return msg::kGreekCapital[nMessage - msg::kGreekCapitalFirst];
  }
  return 0;
}
