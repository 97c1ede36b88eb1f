#include "objects/ShapeRules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void ResizeShapeBy(CKVObject& obj, CSize delta) {
  obj.MarkChanged();
  CRect& rc = obj.m_rcBounds;
  const std::int64_t dx = delta.cx, dy = delta.cy;
  const std::int64_t w = static_cast<std::int64_t>(rc.right) - rc.left;
  const std::int64_t h = static_cast<std::int64_t>(rc.top) - rc.bottom;
  if (obj.m_bKeepAspect) {
    if (w + dx > 0 && static_cast<std::int64_t>(rc.bottom) + dy <= rc.top) {
      double ratio = 1.0;
      if (std::llabs(dx) > std::llabs(dy)) {
        if (w != 0) ratio = static_cast<double>(w + dx) / static_cast<double>(w);
      } else if (h != 0) {
        ratio = static_cast<double>(h - dy) / static_cast<double>(h);
      }
      obj.SetScale(ratio);
    } else {
      rc.right = SatAdd(rc.left, 20);
      rc.bottom = SatAdd(rc.top, -20);
    }
    return;
  }
  rc.right = SatAdd(rc.right, dx);
  rc.bottom = SatAdd(rc.bottom, dy);
  if (rc.left > rc.right) rc.right = SatAdd(rc.left, 20);
  if (rc.top < rc.bottom) rc.bottom = SatAdd(rc.top, -40);
}

void ScaleShapeAboutAnchor(CKVObject& obj, double k) {
  obj.MarkChanged();
  CRect& rc = obj.m_rcBounds;
  const double ax = obj.m_ptAnchor.x, ay = obj.m_ptAnchor.y;
  const std::int64_t iax = obj.m_ptAnchor.x, iay = obj.m_ptAnchor.y;
  rc.left = Clamp32(iax - Round32((ax - rc.left) * k));
  rc.top = Clamp32(iay + Round32((rc.top - ay) * k));
  rc.right = Clamp32(iax + Round32((rc.right - ax) * k));
  rc.bottom = Clamp32(iay - Round32((ay - rc.bottom) * k));
  obj.m_dScale = 1.0;
}

int ThicknessPenWidth(double dThickness) {
  return std::clamp(Round32(20.0 * dThickness), 0, kMaxPenWidth);
}
