#include "objects/RingTemplates.h"

#include <cmath>
#include <memory>

#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CGroup.h"

namespace {

CDot* AddVertex(CGroup& group, CPoint pt, double dAngle) {
  auto pDot = std::make_unique<CDot>();
  pDot->MoveTo(CPoint{SatAdd(pt.x, Round32(kRingRadius * std::cos(dAngle))),
                      SatAdd(pt.y, Round32(kRingRadius * std::sin(dAngle)))});
  CDot* p = pDot.get();
  group.AddChild(std::move(pDot));
  return p;
}

void AddBond(CGroup& group, CKVObject* pA, CKVObject* pB) {
  auto pBond = std::make_unique<CCoupling>();
  pBond->m_pEndA = pA;
  pBond->m_pEndB = pB;
  pBond->m_nStyle = 1;
  pBond->m_nSide = 1;
  pBond->m_nPenStyle = PS_SOLID;
  group.AddChild(std::move(pBond));
}

}  // namespace

void PlaceRing(CPoint pt, CGroup& group, int nVertices, double dStartAngle) {
  if (nVertices < 1) return;
  CDot* pFirst = AddVertex(group, pt, dStartAngle);
  CDot* pPrev = pFirst;
  for (int i = 1; i < nVertices; ++i) {
    const double dAngle = 6.2831853 / nVertices * i + dStartAngle;
    CDot* pDot = AddVertex(group, pt, dAngle);
    AddBond(group, pPrev, pDot);
    pPrev = pDot;
  }
  AddBond(group, pPrev, pFirst);
}
