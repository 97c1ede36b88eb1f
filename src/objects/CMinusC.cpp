#include "objects/CMinusC.h"

#include "objects/CPlusC.h"
#include "objects/ShapeRules.h"

CMinusC::CMinusC() : CKVObject(KIND_MINUS) { m_rcBounds = CRect{0, 0, 180, -180}; }

void CMinusC::ResizeBy(CSize delta) { ResizeShapeBy(*this, delta); }

void CMinusC::SetScale(double dScale) { ScaleShapeAboutAnchor(*this, dScale); }

void CMinusC::Draw(CDC* pDC) { DrawChargeSign(pDC, m_rcBounds, m_crColor, m_dThickness, false); }
