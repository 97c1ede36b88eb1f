#include "objects/CDot.h"

void CDot::MoveTo(CPoint pt) {
  if (m_bDone) return;
  MarkChanged();
  m_ptAnchor = pt;
  m_rcBounds = CRect{SatAdd(pt.x, -30), SatAdd(pt.y, 30), SatAdd(pt.x, 30), SatAdd(pt.y, -30)};
  m_bDone = 1;
}
