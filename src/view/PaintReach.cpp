#include "view/PaintReach.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "objects/CCoupling.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "objects/GroupWalk.h"

namespace {

struct Box {
  std::int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // x0 <= x1, y0 <= y1
  bool bEmpty = true;

  void Add(const CRect& rc, std::int64_t margin) {
    const std::int64_t l = std::min<std::int64_t>(rc.left, rc.right) - margin;
    const std::int64_t r = std::max<std::int64_t>(rc.left, rc.right) + margin;
    const std::int64_t b = std::min<std::int64_t>(rc.bottom, rc.top) - margin;
    const std::int64_t t = std::max<std::int64_t>(rc.bottom, rc.top) + margin;
    if (bEmpty) {
      x0 = l, x1 = r, y0 = b, y1 = t;
      bEmpty = false;
    } else {
      x0 = std::min(x0, l), x1 = std::max(x1, r), y0 = std::min(y0, b), y1 = std::max(y1, t);
    }
  }
};

// Room for a pen of the given thickness (20 units per unit of thickness) and for the
// selection frame and handles around a box.
std::int64_t StrokeMargin(double dThickness) {
  // A thickness that is not a number draws at the default; std::min would pass it on.
  const double w = std::isnan(dThickness) ? 20.0 : std::min(std::abs(dThickness) * 20.0, 1.0e6);
  return 200 + static_cast<std::int64_t>(w);
}

CRect PointBox(CPoint pt) { return CRect{pt.x, pt.y, pt.x, pt.y}; }

void AddBond(Box& box, CCoupling* pBond) {
  Box ends;
  ends.Add(pBond->m_pEndA != nullptr ? pBond->m_pEndA->m_rcBounds : PointBox(pBond->m_ptA), 0);
  ends.Add(pBond->m_pEndB != nullptr ? pBond->m_pEndB->m_rcBounds : PointBox(pBond->m_ptB), 0);
  if (pBond->m_bLive) ends.Add(PointBox(pBond->m_ptB), 0);
  // Bands, double strokes, wedges, arrow heads and curves stay within a distance of the
  // line that grows with the thickness and, for curves, with the length.
  const std::int64_t length = (ends.x1 - ends.x0) + (ends.y1 - ends.y0);
  const std::int64_t margin = BondStrokeReach(pBond->m_dThickness) + length / 2;
  box.Add(CRect{Clamp32(ends.x0), Clamp32(ends.y1), Clamp32(ends.x1), Clamp32(ends.y0)}, margin);
}

void AddOne(Box& box, CKVObject* p) {
  switch (p->m_nKind) {
    case KIND_COUPLING:
      AddBond(box, static_cast<CCoupling*>(p));
      break;
    case KIND_ELLIPSE:
      box.Add(p->m_rcBounds, StrokeMargin(static_cast<CEllipse*>(p)->m_dThickness));
      break;
    case KIND_PLUS:
      box.Add(p->m_rcBounds, StrokeMargin(static_cast<CPlusC*>(p)->m_dThickness));
      break;
    case KIND_MINUS:
      box.Add(p->m_rcBounds, StrokeMargin(static_cast<CMinusC*>(p)->m_dThickness));
      break;
    case KIND_FORMULA: {
      // A formula's box is its last layout; a box read from a file may come from other
      // text metrics, so the text is allowed to outgrow it by its own size.
      const std::int64_t w =
          std::llabs(static_cast<std::int64_t>(p->m_rcBounds.right) - p->m_rcBounds.left);
      const std::int64_t h =
          std::llabs(static_cast<std::int64_t>(p->m_rcBounds.top) - p->m_rcBounds.bottom);
      box.Add(p->m_rcBounds, StrokeMargin(1.0) + w + h);
      break;
    }
    default:
      box.Add(p->m_rcBounds, StrokeMargin(1.0));
      break;
  }
}

}  // namespace

CRect PaintReach(CKVObject* pObj) {
  Box box;
  if (CGroup* pGroup = pObj->AsGroup()) {
    // WalkGroup keeps nested groups on a stack of its own, so any depth is safe; a group
    // of plain objects costs no allocation, which matters at every paint.
    box.Add(pGroup->m_rcBounds, StrokeMargin(1.0));
    WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& p, CGroup&) {
      if (p->AsGroup() != nullptr) {
        box.Add(p->m_rcBounds, StrokeMargin(1.0));
      } else {
        AddOne(box, p.get());
      }
      return WalkStep::Enter;
    });
  } else {
    AddOne(box, pObj);
  }
  return CRect{Clamp32(box.x0), Clamp32(box.y1), Clamp32(box.x1), Clamp32(box.y0)};
}

std::int64_t BondStrokeReach(double dThickness) {
  // The farthest ink is the corner of an arrow head's base past the far end of a short
  // bond, about 138 units per unit of thickness from the line.
  const double t = std::isnan(dThickness) ? 1.0 : std::min(std::abs(dThickness), 1.0e4);
  return 500 + static_cast<std::int64_t>(150.0 * t);
}

bool BoxesMeet(const CRect& a, const CRect& b) {
  const auto lo = [](std::int32_t u, std::int32_t v) { return std::min(u, v); };
  const auto hi = [](std::int32_t u, std::int32_t v) { return std::max(u, v); };
  return lo(a.left, a.right) <= hi(b.left, b.right) && lo(b.left, b.right) <= hi(a.left, a.right) &&
         lo(a.bottom, a.top) <= hi(b.bottom, b.top) && lo(b.bottom, b.top) <= hi(a.bottom, a.top);
}
