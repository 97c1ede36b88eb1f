// The drawing aids' part of the mouse: standard bond ends, bonds drawn in one drag or added
// by a click, and ring templates built onto a bond or a junction.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/GroupWalk.h"
#include "view/CKvillView.h"
#include "view/CMouseTracker.h"
#include "view/DrawingAids.h"
#include "view/IViewHost.h"
#include "view/TemplatePlacement.h"
#include "view/ToolKinds.h"

namespace {

// Every bond of the drawing, top-level or inside groups at any depth.
template <typename Visit>
void ForEachBond(CObList& list, Visit&& visit) {
  for (const auto& p : list) {
    if (!p) continue;
    if (CCoupling* pBond = p->AsBond()) {
      visit(*pBond);
    } else if (CGroup* pGroup = p->AsGroup()) {
      WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& slot, CGroup&) {
        if (CCoupling* pInner = slot->AsBond()) visit(*pInner);
        return WalkStep::Enter;
      });
    }
  }
}

// The objects the bonds of pEnd lead to.
std::vector<CKVObject*> NeighboursOf(CObList& list, const CKVObject* pEnd) {
  std::vector<CKVObject*> neighbours;
  ForEachBond(list, [&](CCoupling& b) {
    if (b.m_pEndA == nullptr || b.m_pEndB == nullptr) return;
    if (b.m_pEndA == pEnd) neighbours.push_back(b.m_pEndB);
    if (b.m_pEndB == pEnd) neighbours.push_back(b.m_pEndA);
  });
  return neighbours;
}

// Where bonds meet pObj: a junction's point, or the middle of a formula's first letter (a
// label typed over a junction has it where the junction was).
CPoint BondPointOf(CKvillView& view, CKVObject* pObj) {
  if (pObj->GetKind() == KIND_FORMULA) {
    if (const std::unique_ptr<CDC> pDC = view.GetWindowSurface()) {
      view.OnPrepareDC(pDC.get());
      return CCoupling::AttachCentreOf(pDC.get(), *pObj);
    }
  }
  return pObj->GetAnchor();
}

std::vector<CPoint> BondPointsOf(CKvillView& view, const std::vector<CKVObject*>& objects,
                                 const CKVObject* pExcept = nullptr) {
  std::vector<CPoint> points;
  for (CKVObject* p : objects) {
    if (p != pExcept) points.push_back(BondPointOf(view, p));
  }
  return points;
}

// A junction of the drawing within a few units of pt (a ring built into a bay meets
// junctions that are there already), or null.
CKVObject* JunctionNear(CObList& list, CPoint pt) {
  constexpr std::int64_t kNear = 4;
  CKVObject* pFound = nullptr;
  const auto Try = [&](CKVObject* p) {
    if (pFound != nullptr || p->GetKind() != KIND_DOT) return;
    const CPoint a = p->GetAnchor();
    if (std::abs(static_cast<std::int64_t>(a.x) - pt.x) <= kNear &&
        std::abs(static_cast<std::int64_t>(a.y) - pt.y) <= kNear) {
      pFound = p;
    }
  };
  for (const auto& p : list) {
    if (!p) continue;
    Try(p.get());
    if (CGroup* pGroup = p->AsGroup()) {
      WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& slot, CGroup&) {
        Try(slot.get());
        return pFound != nullptr ? WalkStep::Stop : WalkStep::Enter;
      });
    }
    if (pFound != nullptr) break;
  }
  return pFound;
}

// The bond of the drawing (inside groups too) within a bond's hit distance of P, away from
// its ends, the nearest; or null.
CCoupling* BondNear(CObList& list, CPoint P) {
  constexpr double kReach = 120.0;
  CCoupling* pBest = nullptr;
  double dBest = kReach;
  ForEachBond(list, [&](CCoupling& b) {
    if (b.m_pEndA == nullptr || b.m_pEndB == nullptr) return;
    const CPoint a = b.m_pEndA->GetAnchor(), e = b.m_pEndB->GetAnchor();
    const double dx = static_cast<double>(e.x) - a.x, dy = static_cast<double>(e.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0) return;
    const double t =
        ((static_cast<double>(P.x) - a.x) * dx + (static_cast<double>(P.y) - a.y) * dy) / len2;
    if (t < 0.0 || t > 1.0) return;
    const double d =
        std::fabs((static_cast<double>(P.x) - a.x) * dy - (static_cast<double>(P.y) - a.y) * dx) /
        std::sqrt(len2);
    if (d <= dBest) {
      dBest = d;
      pBest = &b;
    }
  });
  return pBest;
}

bool Bonded(CObList& list, const CKVObject* pA, const CKVObject* pB) {
  bool bFound = false;
  ForEachBond(list, [&](CCoupling& b) {
    bFound = bFound || (b.m_pEndA == pA && b.m_pEndB == pB) || (b.m_pEndA == pB && b.m_pEndB == pA);
  });
  return bFound;
}

// The ring's new objects, appended to the list: a junction at each point past the shared
// vertices (or the junction already there), the bonds around it but the shared one and any
// already there, and an aromatic ring's inner circle. The objects made, in list order.
std::vector<CKVObject*> AddRing(CObList& list, std::vector<CKVObject*> vertices,
                                const std::vector<CPoint>& points, bool bOnBond,
                                const FusibleRing& ring, double dScale) {
  std::vector<CKVObject*> created;
  for (std::size_t k = vertices.size(); k < points.size(); ++k) {
    if (CKVObject* pThere = JunctionNear(list, points[k])) {
      vertices.push_back(pThere);
      continue;
    }
    auto pDot = std::make_unique<CDot>();
    pDot->MoveTo(points[k]);
    pDot->m_dScale = dScale;
    vertices.push_back(pDot.get());
    created.push_back(pDot.get());
    list.push_back(std::move(pDot));
  }
  const std::size_t n = vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    if ((bOnBond && i == 0) || Bonded(list, vertices[i], vertices[(i + 1) % n])) continue;
    auto pBond = std::make_unique<CCoupling>();
    pBond->m_pEndA = vertices[i];
    pBond->m_pEndB = vertices[(i + 1) % n];
    // Alternating around the new ring: never a second double bond at the shared bond's
    // ends (on a bond the shared one counts as the ring's first), one at the shared junction.
    const bool bDouble = ring.bAlternating && (bOnBond ? i % 2 == 0 : i % 2 == 1);
    pBond->m_nStyle = bDouble ? 2 : 1;
    pBond->m_nSide = bDouble ? 2 : 1;
    pBond->m_nPenStyle = PS_SOLID;
    pBond->m_dScale = dScale;
    created.push_back(pBond.get());
    list.push_back(std::move(pBond));
  }
  if (ring.bCircle) {
    double cx = 0, cy = 0;
    for (const CPoint& p : points) cx += p.x, cy += p.y;
    const double dn = static_cast<double>(n);
    // The templates' circle, 0.7 of the circumradius times cos(pi / n), for this ring's edge.
    const double dEdge = std::hypot(static_cast<double>(points[1].x) - points[0].x,
                                    static_cast<double>(points[1].y) - points[0].y);
    const double dRadius = dEdge / (2 * std::sin(std::numbers::pi / dn));
    const int h = static_cast<int>(std::floor(0.7 * dRadius * std::cos(std::numbers::pi / dn)));
    auto pCircle = std::make_unique<CEllipse>();
    // As the aromatic templates place it: 5 units right of and below the ring's centre.
    pCircle->MoveTo(CPoint{SatAdd(Round32(cx / dn), 5), SatAdd(Round32(cy / dn), -5)});
    pCircle->SetHalfSize(h, h);
    created.push_back(pCircle.get());
    list.push_back(std::move(pCircle));
  }
  return created;
}

}  // namespace

CKVObject* CMouseTracker::BondEndObjectAt(CPoint P) {
  CHit hit = m_view.FindObjectAt(P);
  if (hit.nKind == KIND_GROUP) {
    if (CKVObject* pInner = hit.pObj->ObjectAt(P)) {
      hit.pObj = pInner;
      hit.nKind = pInner->GetKind();
    }
  }
  return hit.nKind == KIND_DOT || hit.nKind == KIND_FORMULA ? hit.pObj : nullptr;
}

CPoint CMouseTracker::BondEndAt(CPoint P, unsigned nFlags) {
  if (!m_view.Settings().m_aids.m_bStandardBonds || (nFlags & MK_SHIFT) != 0) return P;
  const auto* pBond = static_cast<const CCoupling*>(m_pLiveBond.get());
  if (pBond == nullptr || pBond->m_pEndA == nullptr) return P;
  // Over a junction or formula the end attaches to it, as without the aid.
  if (BondEndObjectAt(P) != nullptr) return P;
  return aids::SnapBondEnd(BondPointOf(m_view, pBond->m_pEndA), P);
}

void CMouseTracker::FinishBondOnRelease(unsigned nFlags, CPoint ptClient, CPoint P) {
  if (m_nTool != TOOL_BOND_END || m_pLiveBond == nullptr || m_view.Current() != m_pLiveBond.get()) {
    return;
  }
  const CDrawingAids& aids = m_view.Settings().m_aids;
  const bool bClick = WithinClickSlop(ptClient, m_ptPressClient);
  if (bClick) {
    if (aids.m_bClickAddsBond && m_bBondPressOnEnd) AddChainBond();
    return;
  }
  if (!aids.m_bStandardBonds) return;
  CKVObject* pStart = static_cast<CCoupling*>(m_pLiveBond.get())->m_pEndA;
  CKVObject* pEnd = BondEndObjectAt(P);
  // Dragged back onto its start, the bond waits for a click to place its end.
  if (pEnd == pStart) return;
  if (pEnd != nullptr) {
    FinishBondOn(pEnd);
  } else {
    FinishBondAtNew(BondEndAt(P, nFlags));
  }
}

void CMouseTracker::AddChainBond() {
  CKVObject* pStart = static_cast<CCoupling*>(m_pLiveBond.get())->m_pEndA;
  CObList& list = m_view.m_pDocument->m_listObjects;
  const std::vector<CKVObject*> neighbours = NeighboursOf(list, pStart);
  const std::vector<CPoint> others = BondPointsOf(m_view, neighbours);
  std::vector<CPoint> beyond;
  if (neighbours.size() == 1)
    beyond = BondPointsOf(m_view, NeighboursOf(list, neighbours[0]), pStart);
  const CPoint j = BondPointOf(m_view, pStart);
  const double dAngle = aids::NewBondAngle(j, others, beyond);
  // The tool stays, so that a click on the new end goes on with the chain.
  m_bKeepToolOnce = 1;
  FinishBondAtNew(aids::PointAt(j, dAngle, aids::kStandardBond));
}

bool CMouseTracker::FuseRing(const CHit& hit, CPoint P) {
  FusibleRing ring;
  if (!FusibleRingOf(m_nTool, m_view.m_nPolyVertices, ring)) return false;
  CObList& list = m_view.m_pDocument->m_listObjects;
  // A junction pressed on; else a bond under the press, which inside a group only the
  // bonds' own geometry finds.
  CKVObject* pOn = hit.nKind == KIND_DOT ? hit.pObj : nullptr;
  if (pOn == nullptr && (hit.nKind == KIND_COUPLING || hit.nKind == KIND_GROUP))
    pOn = BondNear(list, P);
  if (pOn == nullptr) return false;
  std::vector<CPoint> points;
  std::vector<CKVObject*> vertices;
  const CCoupling* pShared = pOn->AsBond();
  if (pShared != nullptr) {
    CKVObject* pA = pShared->m_pEndA;
    CKVObject* pB = pShared->m_pEndB;
    if (pA == nullptr || pB == nullptr) return false;
    const CPoint a = BondPointOf(m_view, pA), b = BondPointOf(m_view, pB);
    if (a == b) return false;
    points = aids::RingOnBond(a, b, P, ring.nVertices);
    vertices = points[0] == a ? std::vector{pA, pB} : std::vector{pB, pA};
  } else {
    const CPoint j = BondPointOf(m_view, pOn);
    points = aids::RingOnJunction(
        j, aids::FreeAngle(j, BondPointsOf(m_view, NeighboursOf(list, pOn))), ring.nVertices);
    vertices = {pOn};
  }
  const double dScale = pOn->m_dScale;
  const std::vector<CKVObject*> created =
      AddRing(list, std::move(vertices), points, pShared != nullptr, ring, dScale);
  for (CKVObject* p : created) {
    p->m_bSelected = 1;
    p->MarkChanged();
    m_view.AddToSelCount(1);
  }
  EndCreationTool(m_nTool);
  m_view.SetEditState(0);
  m_view.m_bPendingModified = 1;
  m_view.UpdateView();
  m_view.PushSnapshot();
  return true;
}
