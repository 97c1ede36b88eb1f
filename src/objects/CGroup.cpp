#include "objects/CGroup.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "objects/CCoupling.h"
#include "objects/CEllipse.h"
#include "objects/GroupWalk.h"
#include "objects/RingTemplates.h"

namespace {

bool IsBond(CKVObject* p) { return p->AsBond() != nullptr; }
bool IsGroup(CKVObject* p) { return p->AsGroup() != nullptr; }

CPoint Offset(CPoint pt, std::int64_t dx, std::int64_t dy) {
  return CPoint{SatAdd(pt.x, dx), SatAdd(pt.y, dy)};
}

std::int32_t Times100(std::int32_t v) { return Clamp32(static_cast<std::int64_t>(v) * 100); }

// Groups first recompute their boxes from the children, innermost first, so that a
// transformation never works with the box of a group that changed since it was drawn.
void RecalcAllBounds(CGroup& root) {
  WalkGroup(
      root, [](std::unique_ptr<CKVObject>&, CGroup&) { return WalkStep::Enter; },
      [](CGroup& g) { g.RecalcBounds(); });
}

// The rotation of a point given x 100 about (cx, cy) by the angle whose cosine and sine
// are c and s; results beyond int32 are clamped.
struct Rotation {
  double c, s, cx, cy;
  void Apply(std::int64_t x, std::int64_t y, std::int64_t& ox, std::int64_t& oy) const {
    const double dx = static_cast<double>(x) - cx, dy = static_cast<double>(y) - cy;
    ox = Trunc32(c * dx - s * dy + cx);
    oy = Trunc32(c * dy + s * dx + cy);
  }
};

// Shifts the exact box so that its centre turns about the centre of rotation.
void RotateExactBox(CKVObject& obj, const Rotation& rot) {
  const std::int64_t mx = (static_cast<std::int64_t>(obj.m_nExactLeft) + obj.m_nExactRight) / 2;
  const std::int64_t my = (static_cast<std::int64_t>(obj.m_nExactTop) + obj.m_nExactBottom) / 2;
  std::int64_t nx = 0, ny = 0;
  rot.Apply(mx, my, nx, ny);
  obj.m_nExactLeft = SatAdd(obj.m_nExactLeft, nx - mx);
  obj.m_nExactRight = SatAdd(obj.m_nExactRight, nx - mx);
  obj.m_nExactTop = SatAdd(obj.m_nExactTop, ny - my);
  obj.m_nExactBottom = SatAdd(obj.m_nExactBottom, ny - my);
}

// Box and anchor from the exact values (divided by 100, truncating toward zero).
void ApplyExact(CKVObject& obj) {
  obj.MarkChanged();
  obj.m_rcBounds = CRect{obj.m_nExactLeft / 100, obj.m_nExactTop / 100, obj.m_nExactRight / 100,
                         obj.m_nExactBottom / 100};
  obj.m_ptAnchor = CPoint{obj.m_nExactX / 100, obj.m_nExactY / 100};
}

}  // namespace

void RedirectBondEnds(CObList& list, const CKVObject* pOld, CKVObject* pNew) {
  auto redirect = [&](CKVObject* p) {
    if (auto* pBond = dynamic_cast<CCoupling*>(p)) {
      if (pBond->m_pEndA != pOld && pBond->m_pEndB != pOld) return;
      pBond->MarkChanged();
      if (pBond->m_pEndA == pOld) pBond->m_pEndA = pNew;
      if (pBond->m_pEndB == pOld) pBond->m_pEndB = pNew;
    }
  };
  for (auto& p : list) {
    if (!p) continue;
    redirect(p.get());
    if (auto* pGroup = dynamic_cast<CGroup*>(p.get())) {
      WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& q, CGroup&) {
        redirect(q.get());
        return WalkStep::Enter;
      });
    }
  }
}

void CGroup::AddChild(std::unique_ptr<CKVObject> pObj) {
  pObj->m_pParent = this;
  pObj->MarkChanged();
  m_listChildren.push_back(std::move(pObj));
}

CGroup::~CGroup() {
  // Take the subtree apart level by level: a child group hands its children over before it
  // is destroyed, so its own destructor finds an empty list. A child taken out leaves its
  // group (which may go first) and carries the top-level object's watcher, so that it still
  // reports as it goes.
  IObjectWatcher* const pWatcher = GetTop()->m_pWatcher;
  std::vector<std::unique_ptr<CKVObject>> pending;
  const auto takeOut = [&](std::unique_ptr<CKVObject>& p) {
    p->m_pParent = nullptr;
    p->m_pWatcher = pWatcher;
    pending.push_back(std::move(p));
  };
  for (auto& p : m_listChildren) takeOut(p);
  m_listChildren.clear();
  while (!pending.empty()) {
    std::unique_ptr<CKVObject> p = std::move(pending.back());
    pending.pop_back();
    if (auto* pGroup = dynamic_cast<CGroup*>(p.get())) {
      for (auto& c : pGroup->m_listChildren) takeOut(c);
      pGroup->m_listChildren.clear();
    }
  }
}

void CGroup::NoteOuterEnds() {
  m_outerEnds.clear();
  WalkGroup(*this, [&](std::unique_ptr<CKVObject>& p, CGroup&) {
    if (const CCoupling* pBond = p->AsBond()) {
      for (CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB})
        if (pEnd != nullptr && pEnd->GetTop() != this) m_outerEnds.push_back(pEnd);
    }
    return WalkStep::Enter;
  });
}

void CGroup::RecalcBounds() {
  bool bFirst = true;
  CRect rc = m_rcBounds;
  for (const auto& p : m_listChildren) {
    if (!p || IsBond(p.get())) continue;
    const CRect& c = p->m_rcBounds;
    if (bFirst) {
      rc = c;
      bFirst = false;
      continue;
    }
    rc.left = std::min(rc.left, c.left);
    rc.top = std::max(rc.top, c.top);
    rc.right = std::max(rc.right, c.right);
    rc.bottom = std::min(rc.bottom, c.bottom);
  }
  // Painting recomputes the box too; only a box that moves changes the record.
  if (rc != m_rcBounds || m_ptAnchor != CPoint{rc.left, rc.top}) MarkChanged();
  m_rcBounds = rc;
  m_ptAnchor = CPoint{rc.left, rc.top};
}

void CGroup::ResetDone() {
  m_bDone = 0;
  WalkGroup(*this, [](std::unique_ptr<CKVObject>& p, CGroup&) {
    p->m_bDone = 0;
    return WalkStep::Enter;
  });
}

CKVObject* CGroup::ObjectAt(CPoint pt) {
  CKVObject* pFound = this;
  WalkGroup(*this, [&](std::unique_ptr<CKVObject>& p, CGroup&) {
    if (p->HitTest(pt) == 0) return WalkStep::Next;
    if (IsGroup(p.get())) return WalkStep::Enter;  // searched; its siblings follow if missed
    pFound = p->ObjectAt(pt);
    return WalkStep::Stop;
  });
  return pFound;
}

int CGroup::HitTest(CPoint pt) {
  RecalcBounds();
  return CKVObject::HitTest(pt);
}

int CGroup::Intersects(const CRect& rc) {
  RecalcBounds();
  return CKVObject::Intersects(rc);
}

void CGroup::MoveTo(CPoint pt) {
  m_ptTarget = pt;
  if (!m_bDone) {
    // Each group moves its children by the offset from its own anchor to its target; a
    // nested group gets its target from its parent's offset before it is entered.
    WalkGroup(
        *this,
        [](std::unique_ptr<CKVObject>& p, CGroup& g) {
          const std::int64_t dx = static_cast<std::int64_t>(g.m_ptTarget.x) - g.m_ptAnchor.x;
          const std::int64_t dy = static_cast<std::int64_t>(g.m_ptTarget.y) - g.m_ptAnchor.y;
          if (auto* pChild = dynamic_cast<CGroup*>(p.get())) {
            pChild->m_ptTarget = Offset(pChild->m_ptAnchor, dx, dy);
            return WalkStep::Enter;
          }
          p->MoveTo(Offset(p->m_ptAnchor, dx, dy));
          return WalkStep::Next;
        },
        [](CGroup& g) { g.CKVObject::MoveTo(g.m_ptTarget); });
  }
  CKVObject::MoveTo(pt);
}

void CGroup::DrawMarks(CDC* pDC) {
  RecalcBounds();
  CKVObject::DrawMarks(pDC);
}

void CGroup::DragBy(CDC* pDC, CSize offset, int nFlag) {
  if (m_bDone) return;
  for (auto& p : m_listChildren) {
    if (p) p->MoveTo(Offset(p->m_ptAnchor, offset.cx, offset.cy));
  }
  CKVObject::DragBy(pDC, offset, nFlag);
}

void CGroup::ResizeBy(CSize delta) {
  m_szResize = delta;
  RecalcBounds();
  const std::int64_t dx = delta.cx, dy = delta.cy;
  const std::int64_t w = static_cast<std::int64_t>(m_rcBounds.right) - m_rcBounds.left;
  const std::int64_t h = static_cast<std::int64_t>(m_rcBounds.top) - m_rcBounds.bottom;
  // A group without extent (empty, or a single point) has nothing to scale by.
  const double rx = w != 0 ? static_cast<double>(w + dx) / static_cast<double>(w) : 1.0;
  const double ry = h != 0 ? static_cast<double>(h - dy) / static_cast<double>(h) : 1.0;
  const double r = std::llabs(dy) < std::llabs(dx) ? rx : ry;
  MarkChanged();
  m_dScale = r;
  ResetDone();

  const bool bKeep = m_bKeepAspect != 0;
  const double fx = bKeep ? r : rx, fy = bKeep ? r : ry;
  WalkGroup(
      *this,
      [&](std::unique_ptr<CKVObject>& p, CGroup& g) {
        if (IsBond(p.get())) return WalkStep::Next;  // bonds follow their ends
        const std::int64_t ox = static_cast<std::int64_t>(p->m_ptAnchor.x) - g.m_ptAnchor.x;
        const std::int64_t oy = static_cast<std::int64_t>(p->m_ptAnchor.y) - g.m_ptAnchor.y;
        g.m_ptChild = Offset(g.m_ptAnchor, Round32(static_cast<double>(ox) * fx),
                             Round32(static_cast<double>(oy) * fy));
        p->ResetDone();
        p->MoveTo(g.m_ptChild);
        const int nKind = p->m_nKind;
        if (nKind == KIND_DOT || nKind == KIND_FORMULA) {
          // Text follows the locked ratio even when the aspect is free.
          p->SetScale(p->m_dScale * r);
          return WalkStep::Next;
        }
        const std::int64_t cw = static_cast<std::int64_t>(p->m_rcBounds.right) - p->m_rcBounds.left;
        const std::int64_t ch = static_cast<std::int64_t>(p->m_rcBounds.top) - p->m_rcBounds.bottom;
        g.m_szChild = CSize{Clamp32(Round32(static_cast<double>(cw) * fx) - cw),
                            Clamp32(ch - Round32(static_cast<double>(ch) * fy))};
        if (auto* pChild = dynamic_cast<CGroup*>(p.get())) {
          pChild->m_szResize = g.m_szChild;
          pChild->MarkChanged();
          pChild->m_dScale = g.m_dScale;
          return WalkStep::Enter;
        }
        if (nKind == KIND_ELLIPSE || nKind == KIND_PLUS || nKind == KIND_MINUS) {
          p->m_bKeepAspect = m_bKeepAspect;
          p->ResizeBy(g.m_szChild);
        }
        return WalkStep::Next;
      },
      [](CGroup& g) { g.RecalcBounds(); });
}

CKVObject* CGroup::FindSame(const CRect& rc, CPoint pt) {
  if (CKVObject::FindSame(rc, pt) != nullptr) return this;
  CKVObject* pFound = nullptr;
  WalkGroup(*this, [&](std::unique_ptr<CKVObject>& p, CGroup&) {
    if (IsGroup(p.get())) return WalkStep::Enter;  // searched through, never matched itself
    pFound = p->FindSame(rc, pt);
    return pFound != nullptr ? WalkStep::Stop : WalkStep::Next;
  });
  return pFound;
}

void CGroup::Draw(CDC* pDC) {
  if (pDC == nullptr) return;
  CSelectGuard<CBrush> brush(pDC, CBrush{BS_HOLLOW, 0});
  CSelectGuard<CPen> pen(pDC, CPen{PS_SOLID, 20, m_crColor});
  CRop2Guard rop(pDC, R2_COPYPEN);
  WalkGroup(
      *this,
      [&](std::unique_ptr<CKVObject>& p, CGroup&) {
        if (!IsGroup(p.get())) p->Draw(pDC);
        return WalkStep::Enter;
      },
      [](CGroup& g) { g.RecalcBounds(); });
}

void CGroup::Deselect() {
  bool bChanged = m_bSelected != 0;
  m_bSelected = 0;
  WalkGroup(*this, [&](std::unique_ptr<CKVObject>& p, CGroup&) {
    bChanged = bChanged || p->m_bSelected != 0;
    p->m_bSelected = 0;
    return WalkStep::Enter;
  });
  if (bChanged) MarkChanged();
}

void CGroup::SetColor(COLORREF cr) {
  MarkChanged();
  m_crColor = cr;
  WalkGroup(*this, [&](std::unique_ptr<CKVObject>& p, CGroup&) {
    if (!IsGroup(p.get())) p->SetColor(cr);
    return WalkStep::Enter;
  });
}

int CGroup::GetStoredSize() {
  // Own common part and end marker; a nested group adds its common part and end marker.
  std::int64_t nSize = 44 + 4;
  WalkGroup(*this, [&](std::unique_ptr<CKVObject>& p, CGroup&) {
    nSize += IsGroup(p.get()) ? 48 : p->GetStoredSize();
    return WalkStep::Enter;
  });
  return Clamp32(nSize);
}

void CGroup::SaveExact() {
  // The exact positions are not stored; a group holding them is no longer what a load of
  // its record gives.
  MarkChanged();
  WalkGroup(*this, [](std::unique_ptr<CKVObject>& p, CGroup&) {
    p->m_nExactLeft = Times100(p->m_rcBounds.left);
    p->m_nExactRight = Times100(p->m_rcBounds.right);
    p->m_nExactTop = Times100(p->m_rcBounds.top);
    p->m_nExactBottom = Times100(p->m_rcBounds.bottom);
    p->m_nExactX = Times100(p->m_ptAnchor.x);
    p->m_nExactY = Times100(p->m_ptAnchor.y);
    return WalkStep::Enter;
  });
}

namespace {

// The polygon that stands in for an ellipse once it is rotated: a 200-vertex ring of
// junctions and single bonds fitted to the ellipse's box, in the ellipse's colour.
std::unique_ptr<CGroup> RingForEllipse(const CKVObject& ellipse, CGroup& parent) {
  const CRect e = ellipse.m_rcBounds;
  auto pRing = std::make_unique<CGroup>();
  PlaceRing(CPoint{e.left / 2 + e.right / 2, e.top / 2 + e.bottom / 2}, *pRing, 200, 0.0);
  pRing->m_pParent = &parent;
  // Attached without AddChild: its marks must reach the parent from the start.
  pRing->MarkChanged();
  CGroup& g = *pRing;
  g.RecalcBounds();
  g.ResetDone();
  g.MoveTo(CPoint{e.left, e.top});
  g.RecalcBounds();
  g.m_bKeepAspect = 0;
  g.ResetDone();
  g.ResizeBy(CSize{Clamp32(static_cast<std::int64_t>(e.right) - g.m_rcBounds.right),
                   Clamp32(static_cast<std::int64_t>(e.bottom) - g.m_rcBounds.bottom)});
  g.RecalcBounds();
  // The junctions' own boxes reach 30 units beyond the vertices; a small shift and growth
  // brings the vertices themselves onto the ellipse.
  const double w = static_cast<double>(g.m_rcBounds.right) - g.m_rcBounds.left;
  const double h = static_cast<double>(g.m_rcBounds.top) - g.m_rcBounds.bottom;
  g.ResetDone();
  g.MoveTo(CPoint{SatAdd(g.m_rcBounds.left, Round32(-w * 0.09 * 0.527)),
                  SatAdd(g.m_rcBounds.top, Round32(h * 0.09 * 0.527))});
  g.RecalcBounds();
  g.m_bKeepAspect = 0;
  g.ResetDone();
  g.ResizeBy(CSize{Round32(w * 0.09), Round32(-h * 0.09)});
  g.RecalcBounds();
  g.SetColor(ellipse.m_crColor);
  return pRing;
}

}  // namespace

void CGroup::Rotate(int cx, int cy, double dAngle, CObList* pDrawing) {
  if (!std::isfinite(dAngle)) return;
  const Rotation rot{std::cos(dAngle), std::sin(dAngle), static_cast<double>(cx),
                     static_cast<double>(cy)};
  WalkGroup(*this, [&](std::unique_ptr<CKVObject>& p, CGroup& g) {
    if (p->m_nKind == KIND_ELLIPSE && dynamic_cast<CEllipse*>(p.get()) != nullptr) {
      std::unique_ptr<CGroup> pRing = RingForEllipse(*p, g);
      // Bonds that ended at the ellipse now end at the ring that replaces it, rather
      // than at a deleted object.
      CKVObject* pOld = p.get();
      CGroup* pTop = this;
      while (pTop->m_pParent != nullptr) pTop = pTop->m_pParent;
      RedirectBondEnds(pTop->m_listChildren, pOld, pRing.get());
      if (pDrawing != nullptr) RedirectBondEnds(*pDrawing, pOld, pRing.get());
      p = std::move(pRing);  // the ellipse is deleted here
      g.MarkChanged();
      SaveExact();
    }
    CKVObject& obj = *p;
    RotateExactBox(obj, rot);
    if (obj.m_nKind == KIND_FORMULA) {
      // Text is never turned: the formula keeps its size and its anchor stays top-left.
      obj.m_nExactX = obj.m_nExactLeft;
      obj.m_nExactY = obj.m_nExactTop;
    } else {
      std::int64_t ax = 0, ay = 0;
      rot.Apply(obj.m_nExactX, obj.m_nExactY, ax, ay);
      obj.m_nExactX = Clamp32(ax);
      obj.m_nExactY = Clamp32(ay);
    }
    ApplyExact(obj);
    return WalkStep::Enter;
  });
}

void CGroup::MirrorVertical() {
  RecalcAllBounds(*this);
  WalkGroup(*this, [](std::unique_ptr<CKVObject>& p, CGroup& g) {
    if (auto* pBond = dynamic_cast<CCoupling*>(p.get())) {
      // The second line of a double bond stays on the same side of the ring.
      if (pBond->m_nStyle == 2) {
        pBond->MarkChanged();
        std::swap(pBond->m_pEndA, pBond->m_pEndB);
      }
      return WalkStep::Next;
    }
    std::int64_t x =
        static_cast<std::int64_t>(g.m_rcBounds.left) + g.m_rcBounds.right - p->m_ptAnchor.x;
    const int nKind = p->m_nKind;
    if (nKind == KIND_FORMULA || nKind == KIND_GROUP || nKind == KIND_ELLIPSE ||
        nKind == KIND_PLUS || nKind == KIND_MINUS) {
      x -= static_cast<std::int64_t>(p->m_rcBounds.right) - p->m_rcBounds.left;
    }
    p->m_bDone = 0;
    p->MoveTo(CPoint{Clamp32(x), p->m_ptAnchor.y});
    if (IsGroup(p.get())) p->ResetDone();
    return WalkStep::Enter;
  });
}

void CGroup::MirrorHorizontal() {
  RecalcAllBounds(*this);
  WalkGroup(*this, [](std::unique_ptr<CKVObject>& p, CGroup& g) {
    if (auto* pBond = dynamic_cast<CCoupling*>(p.get())) {
      if (pBond->m_nStyle == 2) {
        pBond->MarkChanged();
        std::swap(pBond->m_pEndA, pBond->m_pEndB);
      }
      return WalkStep::Next;
    }
    const std::int64_t BT = static_cast<std::int64_t>(g.m_rcBounds.bottom) + g.m_rcBounds.top;
    const CRect& rc = p->m_rcBounds;
    const int nKind = p->m_nKind;
    std::int64_t y = BT - p->m_ptAnchor.y;
    if (nKind == KIND_FORMULA) {
      // The box is mirrored and the anchor keeps its place relative to the box's top.
      y = BT - rc.bottom + (static_cast<std::int64_t>(p->m_ptAnchor.y) - rc.top);
    } else if (nKind == KIND_GROUP || nKind == KIND_ELLIPSE || nKind == KIND_PLUS ||
               nKind == KIND_MINUS) {
      y += static_cast<std::int64_t>(rc.top) - rc.bottom;
    }
    p->m_bDone = 0;
    p->MoveTo(CPoint{p->m_ptAnchor.x, Clamp32(y)});
    if (IsGroup(p.get())) p->ResetDone();
    return WalkStep::Enter;
  });
}
