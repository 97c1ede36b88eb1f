#include "objects/CPlusC.h"

#include "objects/ShapeRules.h"

CPlusC::CPlusC() : CKVObject(KIND_PLUS) { m_rcBounds = CRect{0, 0, 200, -200}; }

void CPlusC::ResizeBy(CSize delta) { ResizeShapeBy(*this, delta); }

void CPlusC::SetScale(double dScale) { ScaleShapeAboutAnchor(*this, dScale); }

void CPlusC::Draw(CDC* pDC) { DrawChargeSign(pDC, m_rcBounds, m_crColor, m_dThickness, true); }

void DrawChargeSign(CDC* pDC, const CRect& rc, COLORREF cr, double dThickness, bool bPlus) {
  CSelectGuard<CBrush> brush(pDC, CBrush{BS_HOLLOW, 0});
  CSelectGuard<CPen> pen(pDC, CPen{PS_SOLID, ThicknessPenWidth(dThickness), cr});
  pDC->Ellipse(rc.left, rc.top, rc.right, rc.bottom);

  const std::int64_t l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
  const double w = static_cast<double>(r - l), h = static_cast<double>(t - b);
  const std::int32_t midY = Clamp32((t + b) / 2);
  pDC->MoveToEx(Round32(l + 0.1 * w), midY);
  pDC->LineTo(Round32(r - 0.1 * w), midY);
  if (bPlus) {
    const std::int32_t midX = Clamp32((l + r) / 2);
    pDC->MoveToEx(midX, Round32(t - 0.1 * h));
    pDC->LineTo(midX, Round32(b + 0.1 * h));
  }
}
