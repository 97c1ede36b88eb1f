// In-place editing of formulas: insertion, deletion and caret movement at m_nCaret.
//
// Every operation starts and ends with the caret on a caret stop. Texts that the editor
// produces always have one where the rules below put the caret; texts read from files may
// be malformed, so every scan is bounded by the text and a caret that lands off a stop is
// moved to the nearest stop.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>

#include "formula/CFormula.h"
#include "formula/FormulaMarkup.h"
#include "objects/ICaretSink.h"

namespace {

int Length(const std::string& s) {
  return s.size() > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(s.size());
}

int At(const std::string& s, int i) {
  if (i < 0 || i >= Length(s)) return -1;
  return static_cast<unsigned char>(s[static_cast<std::size_t>(i)]);
}

// Whether the two bytes at i are an escaped pair "##", "<<" or ">>".
bool IsPairAt(const std::string& s, int i) {
  const int a = At(s, i);
  return (a == '#' || a == '<' || a == '>') && At(s, i + 1) == a;
}

std::int64_t Square(std::int64_t v) { return v * v; }

// Squared distance between two caret centres.
std::int64_t Distance(CPoint a, CPoint b) {
  return Square(static_cast<std::int64_t>(a.x) - b.x) +
         Square(static_cast<std::int64_t>(a.y) - b.y);
}

}  // namespace

void CFormula::KeepCaretOnStop() {
  const int n = Length(m_strText);
  if (m_nCaret < 0) m_nCaret = 0;
  if (m_nCaret > n) m_nCaret = n;
  if (StopKindAt(m_strText, m_nCaret) != NoStop) return;
  for (int d = 1; d <= n; ++d) {
    if (m_nCaret - d >= 0 && StopKindAt(m_strText, m_nCaret - d) != NoStop) {
      m_nCaret -= d;
      return;
    }
    if (m_nCaret + d <= n && StopKindAt(m_strText, m_nCaret + d) != NoStop) {
      m_nCaret += d;
      return;
    }
  }
  m_nCaret = 0;
}

void CFormula::InsertText(std::string_view str) {
  KeepCaretOnStop();
  std::string ins(str);
  // The marker characters are typed as their escaped pairs.
  if (ins == "#" || ins == "<" || ins == ">") ins += ins;
  MarkChanged();
  m_strText.insert(static_cast<std::size_t>(m_nCaret), ins);
  m_nCaret = static_cast<std::int32_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(m_nCaret) + Length(ins), INT_MAX));
  KeepCaretOnStop();
}

void CFormula::DeleteRange(int nFrom, int nTo) {
  const int n = Length(m_strText);
  nFrom = std::clamp(nFrom, 0, n);
  nTo = std::clamp(nTo, nFrom, n);
  MarkChanged();
  m_strText.erase(static_cast<std::size_t>(nFrom), static_cast<std::size_t>(nTo - nFrom));
  m_nCaret = nFrom;
  KeepCaretOnStop();
}

void CFormula::DeleteForward(CDC* pDC, ICaretSink* pSink) {
  KeepCaretOnStop();
  const std::string& s = m_strText;
  const int n = Length(s);
  const int a = m_nCaret;
  if (a >= n) return;
  auto K = [&](int q) { return StopKindAt(m_strText, q); };
  if (IsPairAt(s, a)) {
    DeleteRange(a, a + 2);
  } else if (At(s, a) == '<') {
    DeleteRange(a, a + 3);  // a Greek letter starts here
  } else {
    const int ka = K(a);
    const int k1 = K(a + 1);
    if ((ka == IndexStop && k1 == IndexStop) || (ka == BaseStop && k1 == BaseStop)) {
      DeleteRange(a, a + 1);
    } else if (ka == BaseStop && k1 == NoStop) {
      // A template or a foreign keyword starts here: it goes whole, up to the next place on
      // the base line (or to the end when a malformed template never returns to it).
      int c = a + 2;
      while (c <= n && K(c) != BaseStop) ++c;
      DeleteRange(a, c);
    }
  }
  LocateCaret(pDC, 1, m_nCaret, nullptr, pSink);
}

void CFormula::DeleteBackward(CDC* pDC, ICaretSink* pSink) {
  KeepCaretOnStop();
  const std::string& s = m_strText;
  const int a = m_nCaret;
  if (a <= 0) return;
  auto K = [&](int q) { return StopKindAt(m_strText, q); };
  if (a >= 2 && IsPairAt(s, a - 2)) {
    DeleteRange(a - 2, a);
  } else if (At(s, a - 1) == '>') {
    DeleteRange(a - 3, a);  // a Greek letter ends here
  } else {
    const int ka = K(a);
    const int kb = K(a - 1);
    if ((ka == IndexStop && kb == IndexStop) || (ka == BaseStop && kb == BaseStop)) {
      DeleteRange(a - 1, a);
    } else if (ka == BaseStop && kb == NoStop) {
      // A template ends here: back to the base-line place before it (0 is always one).
      int c = a - 2;
      while (c > 0 && K(c) != BaseStop) --c;
      DeleteRange(c, a);
    }
  }
  LocateCaret(pDC, 1, m_nCaret, nullptr, pSink);
}

void CFormula::CaretRight(CDC* pDC, ICaretSink* pSink) {
  KeepCaretOnStop();
  const std::string& s = m_strText;
  const int n = Length(s);
  const int a = m_nCaret;
  if (a >= n) return;
  auto K = [&](int q) { return StopKindAt(m_strText, q); };
  int b = 0;
  if (IsPairAt(s, a)) {
    b = a + 2;
  } else if (At(s, a) == '<') {
    b = a + 3;
  } else if (K(a + 1) != NoStop) {
    b = a + 1;
  } else if (K(a + 2) != NoStop) {
    // From the end of a slot: over the rest of the template to the base line.
    b = a + 2;
    while (b <= n && K(b) != BaseStop) ++b;
    if (b > n) b = a + 2;  // a malformed template that never returns to the base line
  } else {
    // From before a template: into its first slot.
    b = a + 3;
    while (b <= n && K(b) == NoStop) ++b;
    if (b > n) b = a;
  }
  m_nCaret = std::min(b, n);
  KeepCaretOnStop();
  LocateCaret(pDC, 1, m_nCaret, nullptr, pSink);
}

void CFormula::CaretLeft(CDC* pDC, ICaretSink* pSink) {
  KeepCaretOnStop();
  const std::string& s = m_strText;
  const int a = m_nCaret;
  if (a < 1) return;
  auto K = [&](int q) { return StopKindAt(m_strText, q); };
  int b = 0;
  if (a >= 2 && IsPairAt(s, a - 2)) {
    b = a - 2;
  } else if (At(s, a - 1) == '>') {
    b = a - 3;
  } else if (K(a - 1) != NoStop) {
    b = a - 1;
  } else if (K(a - 2) != NoStop) {
    // Just after a template: into the slot end nearest to the caret, the lower on a tie.
    b = a - 2;
    if (K(b) != BaseStop) {
      CPoint p0;
      LocateCaret(pDC, 0, a, &p0, pSink);
      int q = a - 2;
      int best = -1;
      std::int64_t bestD = 0;
      for (; q > 0 && K(q) != BaseStop; --q) {
        CPoint p;
        if (LocateCaret(pDC, 0, q, &p, pSink) == NoStop || p.x > p0.x) continue;
        const std::int64_t d = Distance(p, p0);
        if (best < 0 || d < bestD) {
          best = q;
          bestD = d;
        }
      }
      b = best >= 0 ? best : q;
    }
  } else {
    b = a - 3;
    while (b > 0 && K(b) == NoStop) --b;
  }
  m_nCaret = std::max(b, 0);
  KeepCaretOnStop();
  LocateCaret(pDC, 1, m_nCaret, nullptr, pSink);
}

namespace {

// Up and Down: the nearest stop strictly above or below within the template holding the
// caret; the scan stops at the first base-line place.
int VerticalTarget(CFormula& f, CDC* pDC, int nStep, ICaretSink* pSink) {
  const int n = static_cast<int>(std::min<std::size_t>(f.m_strText.size(), INT_MAX));
  const int a = f.m_nCaret;
  CPoint p0;
  if (f.LocateCaret(pDC, 0, a, &p0, pSink) != IndexStop) return -1;
  int best = -1;
  std::int64_t bestD = 0;
  for (int q = a; q >= 0 && q <= n; q += nStep) {
    const int kind = StopKindAt(f.m_strText, q);
    if (kind == BaseStop) break;
    if (kind == NoStop) continue;
    CPoint p;
    f.LocateCaret(pDC, 0, q, &p, pSink);
    const bool bBeyond = nStep > 0 ? p.y < p0.y : p.y > p0.y;
    if (!bBeyond) continue;
    const std::int64_t d = Distance(p, p0);
    if (best < 0 || d < bestD) {
      best = q;
      bestD = d;
    }
  }
  return best;
}

}  // namespace

void CFormula::CaretDown(CDC* pDC, ICaretSink* pSink) {
  KeepCaretOnStop();
  const int b = VerticalTarget(*this, pDC, 1, pSink);
  if (b < 0) return;
  m_nCaret = b;
  LocateCaret(pDC, 1, m_nCaret, nullptr, pSink);
}

void CFormula::CaretUp(CDC* pDC, ICaretSink* pSink) {
  KeepCaretOnStop();
  const int b = VerticalTarget(*this, pDC, -1, pSink);
  if (b < 0) return;
  m_nCaret = b;
  LocateCaret(pDC, 1, m_nCaret, nullptr, pSink);
}

bool CFormula::InsertFromPalette(CDC* pDC, int nMessage, ICaretSink* pSink) {
  KeepCaretOnStop();
  const FormulaTemplate tmpl = TemplateOfMessage(nMessage);
  std::string ins;
  int nBack = 0;
  if (tmpl != FormulaTemplate::None) {
    // Indices do not nest.
    if (LocateCaret(pDC, 0, m_nCaret, nullptr, pSink) == IndexStop) return false;
    ins = TemplateText(tmpl);
    nBack = TemplateCaretBack(tmpl);
  } else if (const char g = GreekOfMessage(nMessage); g != 0) {
    ins = std::string{'<', g, '>'};
  } else {
    return false;
  }
  MarkChanged();
  m_strText.insert(static_cast<std::size_t>(m_nCaret), ins);
  m_nCaret += Length(ins) - nBack;
  KeepCaretOnStop();
  LocateCaret(pDC, 1, m_nCaret, nullptr, pSink);
  return true;
}

void CFormula::PlaceCaretAtPoint(CDC* pDC, CPoint pt, ICaretSink* pSink) {
  if (pSink != nullptr) pSink->PrepareSurface(pDC);
  const int n = Length(m_strText);
  int best = -1;
  std::int64_t bestD = 0;
  for (int p = 0; p <= n; ++p) {
    CPoint top;
    int h = 0;
    if (CaretGeometry(pDC, p, &top, &h) == NoStop) continue;
    // The squared distance from the point to the caret's centre.
    const std::int64_t d = Square(static_cast<std::int64_t>(pt.y) + h / 2 - top.y) +
                           Square(static_cast<std::int64_t>(pt.x) - top.x);
    if (best < 0 || d < bestD) {
      best = p;
      bestD = d;
    }
  }
  if (best < 0) return;
  m_nCaret = best;
  LocateCaret(pDC, 1, m_nCaret, nullptr, pSink);
}
