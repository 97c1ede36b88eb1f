// Layout, drawing and caret geometry of formulas.

#include "formula/CFormula.h"

#include <algorithm>
#include <cstdint>

#include "formula/FormulaMarkup.h"

namespace {

constexpr int kBaseSize = 8;
constexpr int kIndexSize = 6;

std::string_view Sub(std::string_view s, int nFrom, int nTo) {
  if (nTo <= nFrom) return {};
  return s.substr(static_cast<std::size_t>(nFrom), static_cast<std::size_t>(nTo - nFrom));
}

// The text of a slot as drawn.
std::string SlotRun(std::string_view text, const FormulaPiece::Slot& slot) {
  return UnescapeHashes(Sub(text, slot.nStart, slot.nEnd));
}

// The box grows to hold every drawn piece; its left edge stays at the anchor.
struct BoxBuilder {
  std::int64_t left, top, right, bottom;
  void Extend(std::int64_t r, std::int64_t t, std::int64_t b) {
    right = std::max(right, r);
    top = std::max(top, t);
    bottom = std::min(bottom, b);
  }
  CRect Rect() const { return CRect{Clamp32(left), Clamp32(top), Clamp32(right), Clamp32(bottom)}; }
};

// The font height (negative: the character's height) for text of size nSize at a scale.
// A scale read from a stream may be anything: a height beyond the 32-bit range is taken
// at its end, never negated out of it.
int FontHeight(int nSize, double dScale) {
  return Clamp32(-static_cast<std::int64_t>(Round32(nSize * 30.0 * dScale)));
}

// Line heights and slot tops of one formula at its scale.
struct LineMetrics {
  std::int64_t hL8, hL6, y, yUp, yDn;
};

}  // namespace

CSize CFormula::MeasureString(CDC* pDC, std::string_view str, const char* pszFace, int nSize) {
  if (pDC == nullptr) return CSize{};
  CFont font;
  font.strFace = pszFace != nullptr ? pszFace : "Arial";
  font.nHeight = FontHeight(nSize, m_dScale);
  font.nWeight = 400;
  CSelectGuard<CFont> guard(pDC, font);
  return pDC->GetTextExtent(str);
}

CSize CFormula::PaintString(CDC* pDC, std::string_view str, const char* pszFace, int nSize, int x,
                            int y) {
  if (pDC == nullptr) return CSize{};
  CFont font;
  font.strFace = pszFace != nullptr ? pszFace : "Arial";
  font.nHeight = FontHeight(nSize, m_dScale);
  font.nWeight = 400;
  CSelectGuard<CFont> guard(pDC, font);
  const CSize extent = pDC->GetTextExtent(str);
  pDC->SetTextColor(m_crColor);
  pDC->TextOut(x, y, str);
  return extent;
}

// A run is Arial text with Greek letters "<X>" in it. Pieces are measured one by one, as
// they are drawn, so that a measured prefix always ends where the drawn one does. A '<'
// with no byte after it is an ordinary character.
CSize CFormula::MeasureRun(CDC* pDC, std::string_view run, int nSize) {
  const int h = MeasureString(pDC, "D", "Arial", nSize).cy;
  const int len = static_cast<int>(std::min<std::size_t>(run.size(), INT32_MAX));
  std::int64_t w = 0;
  int e = 0;
  for (;;) {
    const int l = FindMarker(run, '<', e);
    if (l == -1 || l + 1 >= len) break;
    const std::string arial = UnescapeAngles(Sub(run, e, l));
    if (!arial.empty()) w += MeasureString(pDC, arial, "Arial", nSize).cx;
    w += MeasureString(pDC, run.substr(static_cast<std::size_t>(l) + 1, 1), "Symbol", nSize).cx;
    e = std::min(l + 3, len);
  }
  const std::string tail = UnescapeAngles(Sub(run, e, len));
  if (!tail.empty()) w += MeasureString(pDC, tail, "Arial", nSize).cx;
  return CSize{Clamp32(w), h};
}

CSize CFormula::PaintRun(CDC* pDC, std::string_view run, int nSize, int x, int y) {
  const int hA = MeasureString(pDC, "D", "Arial", nSize).cy;
  const int hS = MeasureString(pDC, "<O>", "Symbol", nSize).cy;
  // Greek letters sit on the bottom of the Arial cell.
  const int yGreek = Clamp32(static_cast<std::int64_t>(y) - hA + hS);
  const int len = static_cast<int>(std::min<std::size_t>(run.size(), INT32_MAX));
  std::int64_t cur = x;
  int e = 0;
  for (;;) {
    const int l = FindMarker(run, '<', e);
    if (l == -1 || l + 1 >= len) break;
    const std::string arial = UnescapeAngles(Sub(run, e, l));
    if (!arial.empty()) cur += PaintString(pDC, arial, "Arial", nSize, Clamp32(cur), y).cx;
    cur += PaintString(pDC, run.substr(static_cast<std::size_t>(l) + 1, 1), "Symbol", nSize,
                       Clamp32(cur), yGreek)
               .cx;
    e = std::min(l + 3, len);
  }
  const std::string tail = UnescapeAngles(Sub(run, e, len));
  if (!tail.empty()) cur += PaintString(pDC, tail, "Arial", nSize, Clamp32(cur), y).cx;
  return CSize{Clamp32(cur - x), hA};
}

void CFormula::Draw(CDC* pDC) {
  if (pDC == nullptr) return;
  const std::string_view text = m_strText;
  const std::int64_t x = m_ptAnchor.x;
  const std::int64_t y = m_ptAnchor.y;
  const std::int64_t hL8 = MeasureRun(pDC, "D", kBaseSize).cy;
  const std::int64_t hL6 = MeasureRun(pDC, "D", kIndexSize).cy;
  const std::int64_t yUp = y + hL6 / 2;
  const std::int64_t yDn = y + hL6 / 2 - hL8;

  BoxBuilder box{x, y, x + 100, y - 100};
  std::int64_t cur = x;
  for (const FormulaPiece& piece : WalkFormula(text)) {
    if (piece.type == FormulaPiece::Type::Run) {
      const std::string run = UnescapeHashes(Sub(text, piece.nStart, piece.nEnd));
      const CSize sz = PaintRun(pDC, run, kBaseSize, Clamp32(cur), Clamp32(y));
      cur += sz.cx;
      box.Extend(cur, y, y - sz.cy);
      continue;
    }
    switch (piece.tmpl) {
      case FormulaTemplate::None:
        break;  // a foreign keyword is drawn with the run after it
      case FormulaTemplate::Up:
      case FormulaTemplate::Down: {
        const std::int64_t top = piece.tmpl == FormulaTemplate::Up ? yUp : yDn;
        const CSize sz =
            PaintRun(pDC, SlotRun(text, piece.slot[0]), kIndexSize, Clamp32(cur), Clamp32(top));
        cur += sz.cx;
        box.Extend(cur, top, top - sz.cy);
        break;
      }
      case FormulaTemplate::UpDownRight: {
        const CSize s1 =
            PaintRun(pDC, SlotRun(text, piece.slot[0]), kIndexSize, Clamp32(cur), Clamp32(yUp));
        box.Extend(cur + s1.cx, yUp, yUp - s1.cy);
        const CSize s2 =
            PaintRun(pDC, SlotRun(text, piece.slot[1]), kIndexSize, Clamp32(cur), Clamp32(yDn));
        box.Extend(cur + s2.cx, yDn, yDn - s1.cy);
        cur += std::max(s1.cx, s2.cx);
        break;
      }
      case FormulaTemplate::UpDownLeft: {
        const std::string r1 = SlotRun(text, piece.slot[0]);
        const std::string r2 = SlotRun(text, piece.slot[1]);
        const std::int64_t w1 = MeasureRun(pDC, r1, kIndexSize).cx;
        const std::int64_t w2 = MeasureRun(pDC, r2, kIndexSize).cx;
        cur += std::max(w1, w2);
        const CSize s1 = PaintRun(pDC, r1, kIndexSize, Clamp32(cur - w1), Clamp32(yUp));
        box.Extend(cur, yUp, yUp - s1.cy);
        const CSize s2 = PaintRun(pDC, r2, kIndexSize, Clamp32(cur - w2), Clamp32(yDn));
        box.Extend(cur, yDn, yDn - s2.cy);
        break;
      }
    }
  }
  // The layout decides the stored box: a paint that moves it changes the record.
  if (const CRect rc = box.Rect(); rc != m_rcBounds) {
    MarkChanged();
    m_rcBounds = rc;
  }

  // An empty formula would be invisible in the window; it shows its frame and handle
  // there so that it can be found and deleted. On paper and in pictures it is nothing.
  if (m_strText.empty() && !IsSelected() && !pDC->IsForOutput()) DrawMarks(pDC);
}

int CFormula::CaretGeometry(CDC* pDC, int nPos, CPoint* pptTop, int* pnHeight) {
  const std::string_view text = m_strText;
  const CaretStop kind = StopKindAt(text, nPos);
  if (kind == NoStop) return NoStop;

  const std::vector<FormulaPiece> pieces = WalkFormula(text);
  const FormulaPlace place =
      PlaceInWalk(pieces, static_cast<int>(std::min<std::size_t>(text.size(), INT32_MAX)), nPos);
  const std::int64_t y = m_ptAnchor.y;
  const std::int64_t hL8 = MeasureRun(pDC, "D", kBaseSize).cy;
  const std::int64_t hL6 = MeasureRun(pDC, "D", kIndexSize).cy;
  const std::int64_t yUp = y + hL6 / 2;
  const std::int64_t yDn = y + hL6 / 2 - hL8;

  // Advance over the pieces before the one holding the position, as Draw does.
  std::int64_t cur = m_ptAnchor.x;
  for (int i = 0; i < place.nPiece; ++i) {
    const FormulaPiece& piece = pieces[static_cast<std::size_t>(i)];
    if (piece.type == FormulaPiece::Type::Run) {
      cur += MeasureRun(pDC, UnescapeHashes(Sub(text, piece.nStart, piece.nEnd)), kBaseSize).cx;
    } else if (piece.tmpl == FormulaTemplate::Up || piece.tmpl == FormulaTemplate::Down) {
      cur += MeasureRun(pDC, SlotRun(text, piece.slot[0]), kIndexSize).cx;
    } else if (piece.tmpl != FormulaTemplate::None) {
      cur += std::max(MeasureRun(pDC, SlotRun(text, piece.slot[0]), kIndexSize).cx,
                      MeasureRun(pDC, SlotRun(text, piece.slot[1]), kIndexSize).cx);
    }
  }

  const FormulaPiece& holder = pieces[static_cast<std::size_t>(place.nPiece)];
  const std::string prefix = UnescapeHashes(Sub(text, place.nStart, nPos));
  std::int64_t x = 0;
  std::int64_t top = y;
  std::int64_t height = hL6;
  if (holder.type == FormulaPiece::Type::Run) {
    x = cur + MeasureRun(pDC, prefix, kBaseSize).cx;
    height = hL8;
  } else {
    const bool bUpper = holder.tmpl == FormulaTemplate::Up ||
                        (holder.tmpl != FormulaTemplate::Down && place.nSlot == 0);
    top = bUpper ? yUp : yDn;
    const std::int64_t wp = MeasureRun(pDC, prefix, kIndexSize).cx;
    if (holder.tmpl == FormulaTemplate::UpDownLeft) {
      // Both slots end at the same x, right against what follows.
      const std::int64_t w1 = MeasureRun(pDC, SlotRun(text, holder.slot[0]), kIndexSize).cx;
      const std::int64_t w2 = MeasureRun(pDC, SlotRun(text, holder.slot[1]), kIndexSize).cx;
      const std::int64_t end = cur + std::max(w1, w2);
      x = end - (place.nSlot == 0 ? w1 : w2) + wp;
    } else {
      x = cur + wp;
    }
  }
  if (pptTop != nullptr) *pptTop = CPoint{Clamp32(x), Clamp32(top)};
  if (pnHeight != nullptr) *pnHeight = Clamp32(height);
  return kind;
}

std::optional<CBondAttachment> CFormula::GetBondAttachment(CDC* pDC) {
  CBondAttachment at;
  at.szLetter = MeasureString(pDC, "C", "Arial", 8);
  // Across the first base character: the middle between the first base stop and its
  // neighbour.
  CPoint pt;
  const int nLen = static_cast<int>(std::min<std::size_t>(m_strText.size(), INT32_MAX - 1));
  if (nLen == 0) {
    LocateCaret(pDC, 0, 0, &pt, nullptr);
    at.x = pt.x;
    return at;
  }
  // The end of the text is always a base stop, so the search ends there at the latest.
  int i = 1;
  while (LocateCaret(pDC, 0, i, &pt, nullptr) != BaseStop && i < nLen) ++i;
  const std::int64_t xi = pt.x;
  CPoint ptNear;
  if (LocateCaret(pDC, 0, i - 1, &ptNear, nullptr) == BaseStop) {
    at.x = (ptNear.x + xi) / 2;
  } else if (i < nLen && LocateCaret(pDC, 0, i + 1, &ptNear, nullptr) == BaseStop) {
    at.x = (xi + ptNear.x) / 2;
  } else {
    at.x = xi;
  }
  return at;
}

int CFormula::LocateCaret(CDC* pDC, int bShow, int nPos, CPoint* pptOut, ICaretSink* pSink) {
  // The window's mapping makes measurements come out in drawing units.
  if (pSink != nullptr) pSink->PrepareSurface(pDC);

  CPoint ptTop;
  int nHeight = 0;
  const int kind = CaretGeometry(pDC, nPos, &ptTop, &nHeight);
  if (kind == NoStop) return NoStop;
  if (pptOut != nullptr) *pptOut = CPoint{ptTop.x, SatAdd(ptTop.y, -(nHeight / 2))};
  if (bShow == 1 && pSink != nullptr) pSink->ShowCaretAt(pDC, ptTop, nHeight);
  return kind;
}
