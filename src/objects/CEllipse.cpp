#include "objects/CEllipse.h"

#include "objects/ShapeRules.h"

void CEllipse::ResizeBy(CSize delta) { ResizeShapeBy(*this, delta); }

void CEllipse::SetScale(double dScale) { ScaleShapeAboutAnchor(*this, dScale); }

void CEllipse::Draw(CDC* pDC) {
  CSelectGuard<CBrush> brush(pDC, CBrush{BS_HOLLOW, 0});
  CSelectGuard<CPen> pen(pDC, CPen{PS_SOLID, ThicknessPenWidth(m_dThickness), m_crColor});
  pDC->Ellipse(m_rcBounds.left, m_rcBounds.top, m_rcBounds.right, m_rcBounds.bottom);
}
