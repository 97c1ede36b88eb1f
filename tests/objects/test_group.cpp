#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CPlusC.h"
#include "objects/CRecordingDC.h"
#include "objects/GroupWalk.h"
#include "objects/RingTemplates.h"

namespace {

using Op = CRecordingDC::Op;

template <typename T>
T* Add(CGroup& g, std::unique_ptr<T> p) {
  T* raw = p.get();
  g.AddChild(std::move(p));
  return raw;
}

CDot* AddDot(CGroup& g, CPoint pt) {
  auto p = std::make_unique<CDot>();
  p->MoveTo(pt);
  return Add(g, std::move(p));
}

CCoupling* AddBond(CGroup& g, CKVObject* pA, CKVObject* pB, int nStyle = 1, int nSide = 1) {
  auto p = std::make_unique<CCoupling>();
  p->m_pEndA = pA;
  p->m_pEndB = pB;
  p->m_nStyle = nStyle;
  p->m_nSide = nSide;
  return Add(g, std::move(p));
}

CEllipse* AddEllipse(CGroup& g, const CRect& rc) {
  auto p = std::make_unique<CEllipse>();
  p->m_rcBounds = rc;
  p->m_ptAnchor = CPoint{rc.left, rc.top};
  return Add(g, std::move(p));
}

CFormula* AddFormula(CGroup& g, const CRect& rc, const char* pszText = "") {
  auto p = std::make_unique<CFormula>();
  p->m_rcBounds = rc;
  p->m_ptAnchor = CPoint{rc.left, rc.top};
  p->m_strText = pszText;
  return Add(g, std::move(p));
}

CGroup* AddGroup(CGroup& g) { return Add(g, std::make_unique<CGroup>()); }

bool Near(CPoint a, CPoint b, int nTol = 1) {
  return std::abs(a.x - b.x) <= nTol && std::abs(a.y - b.y) <= nTol;
}

TEST(GroupBounds, UnionOfNonBondChildrenAndEmptyGroupKeepsItsBox) {
  CGroup g;
  CDot* pDot = AddDot(g, {0, 0});
  AddEllipse(g, CRect{100, 500, 300, 400});
  CCoupling* pBond = AddBond(g, pDot, pDot);
  pBond->m_rcBounds = CRect{-90000, 90000, 90000, -90000};  // a bond's box means nothing
  g.RecalcBounds();
  EXPECT_EQ(g.m_rcBounds, (CRect{-30, 500, 300, -30}));
  EXPECT_EQ(g.m_ptAnchor, (CPoint{-30, 500}));

  CGroup empty;
  empty.m_rcBounds = CRect{10, 50, 60, 20};
  empty.m_ptAnchor = CPoint{7, 7};
  empty.RecalcBounds();
  EXPECT_EQ(empty.m_rcBounds, (CRect{10, 50, 60, 20}));
  EXPECT_EQ(empty.m_ptAnchor, (CPoint{10, 50}));
  // Stored as its common part followed directly by the end marker.
  EXPECT_EQ(empty.GetStoredSize(), 44 + 4);
}

TEST(GroupBounds, StoredSizeCountsEveryDescendant) {
  CGroup g;
  CDot* pDot = AddDot(g, {0, 0});
  AddBond(g, pDot, pDot);
  CGroup* pInner = AddGroup(g);
  AddDot(*pInner, {5, 5});
  AddFormula(*pInner, CRect{0, 100, 100, 0}, "ab");
  AddGroup(*pInner);
  // 44 + 4 own; dot 44; bond 140; inner 48; its dot 44, formula 46, empty group 48.
  EXPECT_EQ(g.GetStoredSize(), 48 + 44 + 140 + 48 + 44 + 46 + 48);
}

TEST(GroupHit, ObjectAtPrefersTheEarlierChildAndSearchesNestedGroups) {
  CGroup g;
  CGroup* pInner = AddGroup(g);
  CDot* pLeft = AddDot(*pInner, {0, 0});
  CDot* pRight = AddDot(*pInner, {600, 0});
  CDot* pFirst = AddDot(g, {300, 0});
  CDot* pSecond = AddDot(g, {310, 0});
  AddBond(g, pFirst, pSecond);

  EXPECT_EQ(g.ObjectAt({600, 0}), pRight);
  EXPECT_EQ(g.ObjectAt({0, 10}), pLeft);
  // The inner group's box covers x = 305 but nothing inside it is hit: the walk goes on
  // with the following siblings, where the earlier of two overlapping dots wins.
  EXPECT_EQ(g.ObjectAt({305, 0}), pFirst);
  EXPECT_EQ(g.ObjectAt({360, 0}), pFirst);
  EXPECT_EQ(g.ObjectAt({361, 0}), pSecond);
  EXPECT_EQ(g.ObjectAt({5000, 5000}), &g);
  EXPECT_EQ(g.HitTest({5000, 5000}), 0);
  EXPECT_EQ(g.HitTest({660, 50}), KIND_GROUP);  // box recomputed first; frame edge
  EXPECT_EQ(g.HitTest({661, 0}), 0);
}

TEST(GroupHit, FindSameSearchesNestedGroupsButNeverMatchesThem) {
  CGroup g;
  AddDot(g, {0, 0});
  CGroup* pInner = AddGroup(g);
  CGroup* pDeep = AddGroup(*pInner);
  CDot* pTarget = AddDot(*pDeep, {700, 800});
  AddDot(*pDeep, {900, 800});
  g.Draw(nullptr);  // no surface: nothing happens
  CRecordingDC dc;
  g.Draw(&dc);  // recomputes every group's box

  EXPECT_EQ(g.FindSame(CRect{670, 830, 730, 770}, CPoint{700, 800}), pTarget);
  EXPECT_EQ(g.FindSame(CRect{670, 830, 730, 770}, CPoint{701, 800}), nullptr);
  EXPECT_EQ(g.FindSame(g.m_rcBounds, g.m_ptAnchor), &g);
  EXPECT_EQ(pDeep->m_rcBounds, (CRect{670, 830, 930, 770}));
  EXPECT_EQ(g.FindSame(pDeep->m_rcBounds, pDeep->m_ptAnchor), nullptr);
}

TEST(GroupMove, NestedGroupsMoveAsAWhole) {
  CGroup g;
  CDot* pDot = AddDot(g, {0, 0});
  CGroup* pInner = AddGroup(g);
  CDot* pA = AddDot(*pInner, {100, 100});
  CDot* pB = AddDot(*pInner, {200, 0});
  pInner->RecalcBounds();
  g.RecalcBounds();
  EXPECT_EQ(g.m_ptAnchor, (CPoint{-30, 130}));

  g.ResetDone();
  g.MoveTo({970, -370});
  EXPECT_EQ(pDot->m_ptAnchor, (CPoint{1000, -500}));
  EXPECT_EQ(pA->m_ptAnchor, (CPoint{1100, -400}));
  EXPECT_EQ(pB->m_ptAnchor, (CPoint{1200, -500}));
  EXPECT_EQ(pInner->m_rcBounds, (CRect{1070, -370, 1230, -530}));
  EXPECT_EQ(pInner->m_ptAnchor, (CPoint{1070, -370}));
  EXPECT_EQ(g.m_rcBounds, (CRect{970, -370, 1230, -530}));
  EXPECT_EQ(g.m_ptTarget, (CPoint{970, -370}));

  // A second move in the same pass does nothing.
  g.MoveTo({0, 0});
  EXPECT_EQ(pA->m_ptAnchor, (CPoint{1100, -400}));
  EXPECT_EQ(g.m_ptAnchor, (CPoint{970, -370}));
}

TEST(GroupMove, DragByMovesTheChildrenAndFramesOnlyASelectedGroup) {
  CGroup g;
  CDot* pDot = AddDot(g, {0, 0});
  CGroup* pInner = AddGroup(g);
  CDot* pA = AddDot(*pInner, {100, 100});
  pInner->RecalcBounds();
  g.RecalcBounds();

  CRecordingDC dc;
  g.ResetDone();
  g.DragBy(&dc, CSize{50, -20}, 0);
  EXPECT_EQ(pDot->m_ptAnchor, (CPoint{50, -20}));
  EXPECT_EQ(pA->m_ptAnchor, (CPoint{150, 80}));
  EXPECT_EQ(g.m_ptAnchor, (CPoint{20, 110}));
  EXPECT_TRUE(dc.Records().empty());

  g.m_bSelected = 1;
  g.ResetDone();
  g.DragBy(&dc, CSize{10, 0}, 0);
  EXPECT_EQ(pA->m_ptAnchor, (CPoint{160, 80}));
  const auto rects = dc.RecordsOf(Op::Rectangle);
  ASSERT_FALSE(rects.empty());
  EXPECT_EQ(rects.front().nRop, R2_NOTXORPEN);
  // The old and the new selection frame of the group.
  EXPECT_EQ(rects.front().pts[0], (CPoint{-10, 130}));
  EXPECT_EQ(dc.RecordsOf(Op::Rectangle)[2].pts[0], (CPoint{0, 130}));

  // Done: no second drag in the pass.
  g.DragBy(&dc, CSize{10, 0}, 0);
  EXPECT_EQ(pA->m_ptAnchor, (CPoint{160, 80}));
}

TEST(GroupResize, FormulasFollowTheLockedRatio) {
  for (int bKeep : {1, 0}) {
    CGroup g;
    g.m_bKeepAspect = bKeep;
    CFormula* pF = AddFormula(g, CRect{0, 100, 200, 0});
    pF->m_dScale = 2.0;
    g.ResizeBy(CSize{100, 0});
    EXPECT_DOUBLE_EQ(g.m_dScale, 1.5);
    EXPECT_DOUBLE_EQ(pF->m_dScale, 3.0) << "aspect " << bKeep;
    EXPECT_EQ(pF->m_ptAnchor, (CPoint{0, 100}));
  }
}

TEST(GroupResize, FreeAndLockedRatios) {
  // A 200 x 200 box: dots at (30, 170) and (170, 30).
  auto make = [](CGroup& g, CDot*& p1, CDot*& p2, CFormula*& pF) {
    p1 = AddDot(g, {30, 170});
    p2 = AddDot(g, {170, 30});
    pF = AddFormula(g, CRect{80, 120, 120, 80});
  };
  {
    CGroup g;
    CDot *p1, *p2;
    CFormula* pF;
    make(g, p1, p2, pF);
    g.m_bKeepAspect = 0;
    g.ResizeBy(CSize{100, -100});
    EXPECT_EQ(p1->m_ptAnchor, (CPoint{45, 155}));
    EXPECT_EQ(p2->m_ptAnchor, (CPoint{255, -55}));
    EXPECT_EQ(g.m_rcBounds, (CRect{15, 185, 285, -85}));
    EXPECT_EQ(g.m_szResize, (CSize{100, -100}));
  }
  {
    CGroup g;
    CDot *p1, *p2;
    CFormula* pF;
    make(g, p1, p2, pF);
    g.m_bKeepAspect = 0;
    g.ResizeBy(CSize{100, 0});
    EXPECT_EQ(p1->m_ptAnchor, (CPoint{45, 170}));
    EXPECT_EQ(p2->m_ptAnchor, (CPoint{255, 30}));
    EXPECT_EQ(pF->m_ptAnchor, (CPoint{120, 120}));
    EXPECT_DOUBLE_EQ(pF->m_dScale, 1.5);
  }
  {
    CGroup g;
    CDot *p1, *p2;
    CFormula* pF;
    make(g, p1, p2, pF);
    g.ResizeBy(CSize{100, 0});  // locked: both axes by 1.5
    EXPECT_EQ(p1->m_ptAnchor, (CPoint{45, 155}));
    EXPECT_EQ(p2->m_ptAnchor, (CPoint{255, -55}));
    EXPECT_EQ(pF->m_ptAnchor, (CPoint{120, 80}));
  }
}

TEST(GroupResize, EllipsesTakeTheGroupsAspectFlag) {
  for (int bKeep : {1, 0}) {
    CGroup g;
    g.m_bKeepAspect = bKeep;
    CEllipse* pE = AddEllipse(g, CRect{0, 200, 100, 100});
    AddDot(g, {170, 30});
    g.ResizeBy(CSize{100, 0});
    EXPECT_EQ(pE->m_bKeepAspect, bKeep);
    if (bKeep) {
      EXPECT_EQ(pE->m_rcBounds, (CRect{0, 200, 150, 50}));
    } else {
      EXPECT_EQ(pE->m_rcBounds, (CRect{0, 200, 150, 100}));
    }
  }
}

TEST(GroupResize, NestedGroupsScaleAboutTheirNewAnchors) {
  CGroup g;
  CDot* p1 = AddDot(g, {30, -30});
  CGroup* pInner = AddGroup(g);
  CDot* p2 = AddDot(*pInner, {130, -130});
  CDot* p3 = AddDot(*pInner, {230, -230});
  AddBond(*pInner, p2, p3);
  pInner->RecalcBounds();
  g.ResizeBy(CSize{260, 0});  // 260 wide: ratio 2 about (0, 0)
  EXPECT_EQ(p1->m_ptAnchor, (CPoint{60, -60}));
  EXPECT_EQ(p2->m_ptAnchor, (CPoint{260, -260}));
  EXPECT_EQ(p3->m_ptAnchor, (CPoint{460, -460}));
  EXPECT_EQ(pInner->m_rcBounds, (CRect{230, -230, 490, -490}));
  EXPECT_EQ(pInner->m_szResize, (CSize{160, -160}));
  EXPECT_DOUBLE_EQ(pInner->m_dScale, 2.0);
  EXPECT_EQ(g.m_rcBounds, (CRect{30, -30, 490, -490}));

  CGroup empty;
  empty.ResizeBy(CSize{100, 100});  // nothing to scale; no division by zero
  EXPECT_DOUBLE_EQ(empty.m_dScale, 1.0);
}

int CountKind(CGroup& g, int nKind) {
  int n = 0;
  for (auto& p : g.m_listChildren) n += p->m_nKind == nKind;
  return n;
}

TEST(GroupRotate, EllipseBecomesATwoHundredVertexRing) {
  constexpr COLORREF kBlue = RGB(0, 0, 200);
  CGroup g;
  CEllipse* pE = AddEllipse(g, CRect{0, 1000, 2000, 0});
  pE->m_crColor = kBlue;
  CDot* pDot = AddDot(g, {5000, 0});
  CDot* pOther = AddDot(g, {9000, 0});
  CCoupling* pToEllipse = AddBond(g, pE, pOther);
  g.SaveExact();
  g.Rotate(0, 0, 0.0);

  ASSERT_EQ(g.m_listChildren.size(), 4u);
  auto* pRing = dynamic_cast<CGroup*>(g.m_listChildren.front().get());
  ASSERT_NE(pRing, nullptr);
  EXPECT_EQ(pRing->m_pParent, &g);
  EXPECT_EQ(CountKind(*pRing, KIND_DOT), 200);
  EXPECT_EQ(CountKind(*pRing, KIND_COUPLING), 200);
  int nMinX = 1 << 30, nMaxX = -(1 << 30), nMinY = 1 << 30, nMaxY = -(1 << 30);
  for (auto& p : pRing->m_listChildren) {
    EXPECT_EQ(p->m_crColor, kBlue);
    EXPECT_EQ(p->m_pParent, pRing);
    if (auto* pBond = dynamic_cast<CCoupling*>(p.get())) {
      EXPECT_EQ(pBond->m_nStyle, 1);
      continue;
    }
    nMinX = std::min(nMinX, p->m_ptAnchor.x);
    nMaxX = std::max(nMaxX, p->m_ptAnchor.x);
    nMinY = std::min(nMinY, p->m_ptAnchor.y);
    nMaxY = std::max(nMaxY, p->m_ptAnchor.y);
  }
  // The vertices lie close to the ellipse's box (0, 1000, 2000, 0).
  EXPECT_NEAR(nMinX, 0, 40);
  EXPECT_NEAR(nMaxX, 2000, 40);
  EXPECT_NEAR(nMinY, 0, 40);
  EXPECT_NEAR(nMaxY, 1000, 40);
  // The bond that ended at the ellipse now ends at its ring.
  EXPECT_EQ(pToEllipse->m_pEndA, pRing);
  EXPECT_EQ(pDot->m_ptAnchor, (CPoint{5000, 0}));

  // Rotating again turns the polygon: a quarter turn about (1000, 500).
  const CPoint first = pRing->m_listChildren.front()->m_ptAnchor;
  g.Rotate(100000, 50000, 1.570796325);
  EXPECT_EQ(CountKind(*pRing, KIND_DOT), 200);
  EXPECT_TRUE(Near(pRing->m_listChildren.front()->m_ptAnchor,
                   CPoint{1000 - (first.y - 500), 500 + (first.x - 1000)}));
  EXPECT_TRUE(Near(pDot->m_ptAnchor, CPoint{1000 + 500, 500 + 4000}));
}

TEST(GroupRotate, BondsOutsideTheGroupFollowTheEllipseToItsRing) {
  CObList doc;
  auto pOwned = std::make_unique<CGroup>();
  CGroup* pGroup = pOwned.get();
  doc.push_back(std::move(pOwned));
  CGroup* pInner = AddGroup(*pGroup);
  CEllipse* pE = AddEllipse(*pInner, CRect{0, 1000, 1000, 0});
  AddDot(*pGroup, {3000, 0});
  auto pDot = std::make_unique<CDot>();
  pDot->MoveTo({5000, 0});
  CDot* pFar = pDot.get();
  doc.push_back(std::move(pDot));
  auto pBond = std::make_unique<CCoupling>();
  pBond->m_pEndA = pFar;
  pBond->m_pEndB = pE;
  CCoupling* pOutside = pBond.get();
  doc.push_back(std::move(pBond));

  // Rotating the inner group alone still reaches the bond through the drawing's list.
  pInner->SaveExact();
  pInner->Rotate(0, 0, 0.2, &doc);
  auto* pRing = dynamic_cast<CGroup*>(pInner->m_listChildren.front().get());
  ASSERT_NE(pRing, nullptr);
  EXPECT_EQ(pOutside->m_pEndB, pRing);
  EXPECT_EQ(pOutside->m_pEndA, pFar);
  CRecordingDC dc;
  pOutside->Draw(&dc);  // no use of the deleted ellipse (the sanitizer would see it)
  EXPECT_EQ(pOutside->m_ptB, pRing->m_ptAnchor);

  // The same helper for any replacement: bonds at every depth are redirected.
  RedirectBondEnds(doc, pRing, pFar);
  EXPECT_EQ(pOutside->m_pEndB, pFar);
}

TEST(GroupRotate, DegenerateEllipsesBecomeRingsWithoutFault) {
  const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const CRect boxes[] = {CRect{500, 500, 500, 500}, CRect{0, -1000, 1000, 0},
                         CRect{kMin, kMax, kMax, kMin}, CRect{kMax, kMax, kMax, kMax}};
  for (const CRect& rc : boxes) {
    CGroup g;
    AddEllipse(g, rc);
    g.SaveExact();
    g.Rotate(0, 0, 0.3);
    auto* pRing = dynamic_cast<CGroup*>(g.m_listChildren.front().get());
    ASSERT_NE(pRing, nullptr);
    EXPECT_EQ(CountKind(*pRing, KIND_DOT), 200);
    CRecordingDC dc;
    g.Draw(&dc);
  }
}

TEST(GroupRotate, QuarterTurnAndBack) {
  CGroup g;
  std::vector<CKVObject*> objs;
  objs.push_back(AddDot(g, {1000, 0}));
  objs.push_back(AddDot(g, {-400, 700}));
  auto pPlus = std::make_unique<CPlusC>();
  pPlus->MoveTo({300, 300});
  objs.push_back(Add(g, std::move(pPlus)));
  CFormula* pF = AddFormula(g, CRect{0, 100, 100, 0});
  objs.push_back(pF);
  CGroup* pInner = AddGroup(g);
  objs.push_back(AddDot(*pInner, {2000, 2000}));
  objs.push_back(AddDot(*pInner, {2100, 1900}));
  pInner->RecalcBounds();
  objs.push_back(pInner);
  std::vector<CPoint> before;
  for (CKVObject* p : objs) before.push_back(p->m_ptAnchor);

  g.SaveExact();
  EXPECT_EQ(pInner->m_nExactLeft, 197000);
  EXPECT_EQ(pF->m_nExactTop, 10000);
  EXPECT_EQ(g.m_nExactLeft, 0);  // the group itself is not recorded
  const double kQuarter = 3.14159265358979 / 2;
  g.Rotate(50000, 20000, kQuarter);
  EXPECT_TRUE(Near(objs[0]->m_ptAnchor, CPoint{700, 700}));
  // The formula is shifted, never turned: same size, anchor at its top-left corner.
  EXPECT_TRUE(Near(pF->m_ptAnchor, CPoint{600, -200}));
  EXPECT_EQ(pF->m_rcBounds.right - pF->m_rcBounds.left, 100);
  EXPECT_EQ(pF->m_rcBounds.top - pF->m_rcBounds.bottom, 100);
  EXPECT_EQ(pF->m_ptAnchor, (CPoint{pF->m_rcBounds.left, pF->m_rcBounds.top}));

  g.Rotate(50000, 20000, -kQuarter);
  for (std::size_t i = 0; i < objs.size(); ++i) {
    EXPECT_TRUE(Near(objs[i]->m_ptAnchor, before[i]))
        << i << ": " << objs[i]->m_ptAnchor.x << ", " << objs[i]->m_ptAnchor.y;
  }

  // Many small steps do not drift either.
  for (int i = 0; i < 360; ++i) g.Rotate(50000, 20000, 2 * kQuarter / 180);
  for (std::size_t i = 0; i < objs.size(); ++i) {
    EXPECT_TRUE(Near(objs[i]->m_ptAnchor, before[i], 2)) << i;
  }
}

TEST(GroupRotate, BadAnglesAndHugeCoordinatesStaySane) {
  CGroup g;
  CDot* pDot = AddDot(g, {2147483000, -2147483000});
  g.SaveExact();  // beyond the exact range: clamped, not overflowed
  EXPECT_EQ(pDot->m_nExactX, 2147483647);
  g.Rotate(0, 0, std::nan(""));  // no angle: nothing moves
  EXPECT_EQ(pDot->m_ptAnchor, (CPoint{2147483000, -2147483000}));
  g.Rotate(0, 0, 1e300);
  g.Rotate(2147483647, -2147483647 - 1, 2.0);
  EXPECT_EQ(pDot->m_ptAnchor, (CPoint{pDot->m_nExactX / 100, pDot->m_nExactY / 100}));
}

// Draws each double bond of the ring alone and checks that its second line lies nearer
// the ring's centre than its main line.
void ExpectDoubleBondsInside(CGroup& g) {
  g.RecalcBounds();
  const double cx = (g.m_rcBounds.left + g.m_rcBounds.right) / 2.0;
  const double cy = (g.m_rcBounds.top + g.m_rcBounds.bottom) / 2.0;
  auto dist = [&](const CRecordingDC::Record& r) {
    return std::hypot((r.pts[0].x + r.pts[1].x) / 2.0 - cx, (r.pts[0].y + r.pts[1].y) / 2.0 - cy);
  };
  int nDouble = 0;
  for (auto& p : g.m_listChildren) {
    auto* pBond = dynamic_cast<CCoupling*>(p.get());
    if (pBond == nullptr || pBond->m_nStyle != 2) continue;
    CRecordingDC dc;
    pBond->Draw(&dc);
    const auto lines = dc.RecordsOf(Op::Line);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_LT(dist(lines[1]), dist(lines[0]) - 50);
    ++nDouble;
  }
  EXPECT_EQ(nDouble, 3);
}

void MakeBenzene(CGroup& g) {
  PlaceRing(CPoint{0, 0}, g, 6, 0.523598775);
  int i = 0;
  for (auto& p : g.m_listChildren) {
    auto* pBond = dynamic_cast<CCoupling*>(p.get());
    if (pBond == nullptr) continue;
    ++i;
    if (i % 2 == 1 && i < 6) {
      pBond->m_nStyle = 2;
      pBond->m_nSide = 2;
    }
  }
}

TEST(GroupMirror, BenzeneKeepsItsDoubleBondsInside) {
  CGroup g;
  MakeBenzene(g);
  ExpectDoubleBondsInside(g);
  CKVObject* pVertex0 = g.m_listChildren.front().get();

  g.ResetDone();
  g.MirrorVertical();
  EXPECT_EQ(pVertex0->m_ptAnchor, (CPoint{-260, 150}));
  ExpectDoubleBondsInside(g);

  g.ResetDone();
  g.MirrorHorizontal();
  EXPECT_EQ(pVertex0->m_ptAnchor, (CPoint{-260, -150}));
  ExpectDoubleBondsInside(g);
}

TEST(GroupMirror, BoxesMirrorAndNestedGroupsMirrorWithinTheirMovedBox) {
  CGroup g;
  CDot* pDot = AddDot(g, {0, 0});
  CFormula* pF = AddFormula(g, CRect{100, 500, 300, 400});
  CEllipse* pE = AddEllipse(g, CRect{400, 300, 500, 200});
  CCoupling* pSingle = AddBond(g, pDot, pF, 1);
  g.ResetDone();
  g.MirrorHorizontal();
  EXPECT_EQ(pDot->m_ptAnchor, (CPoint{0, 470}));
  EXPECT_EQ(pF->m_rcBounds, (CRect{100, 70, 300, -30}));
  EXPECT_EQ(pF->m_ptAnchor, (CPoint{100, 70}));
  EXPECT_EQ(pE->m_rcBounds, (CRect{400, 270, 500, 170}));
  EXPECT_EQ(pSingle->m_pEndA, pDot);  // only double bonds exchange their ends

  g.ResetDone();
  g.MirrorVertical();
  g.RecalcBounds();
  EXPECT_EQ(pDot->m_ptAnchor, (CPoint{470, 470}));
  EXPECT_EQ(pF->m_rcBounds, (CRect{170, 70, 370, -30}));
  EXPECT_EQ(pE->m_rcBounds, (CRect{-30, 270, 70, 170}));

  CGroup outer;
  CDot* pO = AddDot(outer, {0, 0});
  CGroup* pInner = AddGroup(outer);
  CDot* pA = AddDot(*pInner, {1000, 0});
  CDot* pB = AddDot(*pInner, {1200, 0});
  pInner->m_rcBounds = CRect{};  // stale: recomputed before mirroring
  outer.ResetDone();
  outer.MirrorVertical();
  EXPECT_EQ(pO->m_ptAnchor, (CPoint{1200, 0}));
  EXPECT_EQ(pA->m_ptAnchor, (CPoint{200, 0}));
  EXPECT_EQ(pB->m_ptAnchor, (CPoint{0, 0}));
}

TEST(GroupDraw, DrawsDescendantsInOrderAndRecomputesBoxes) {
  CGroup g;
  g.m_crColor = RGB(1, 2, 3);
  CDot* p1 = AddDot(g, {0, 0});
  CDot* p2 = AddDot(g, {1000, 0});
  AddBond(g, p1, p2);
  CGroup* pInner = AddGroup(g);
  CDot* p3 = AddDot(*pInner, {0, 2000});
  AddBond(*pInner, p3, p1);
  AddEllipse(g, CRect{0, -500, 100, -600});

  CRecordingDC dc;
  dc.SetROP2(R2_NOTXORPEN);
  g.Draw(&dc);
  const auto lines = dc.RecordsOf(Op::Line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].pts[1], (CPoint{1000, 0}));
  EXPECT_EQ(lines[1].pts[0], (CPoint{0, 2000}));
  EXPECT_EQ(dc.Records().back().op, Op::Ellipse);
  EXPECT_EQ(pInner->m_rcBounds, (CRect{-30, 2030, 30, 1970}));
  EXPECT_EQ(g.m_rcBounds, (CRect{-30, 2030, 1030, -600}));
  EXPECT_EQ(dc.GetCurrentPen(), CPen{});
  EXPECT_EQ(dc.GetROP2(), R2_NOTXORPEN);

  // Marks recompute the box first and then draw the group's frame and handle.
  g.ResetDone();
  dc.Clear();
  g.DrawMarks(&dc);
  ASSERT_FALSE(dc.RecordsOf(Op::Rectangle).empty());
  EXPECT_EQ(dc.RecordsOf(Op::Rectangle)[0].pts[0], (CPoint{-60, 2050}));
}

TEST(GroupState, ColourSelectionPassFlagsAndExactValues) {
  CGroup g;
  CDot* pDot = AddDot(g, {10, 20});
  CGroup* pInner = AddGroup(g);
  pInner->m_crColor = RGB(9, 9, 9);
  CEllipse* pE = AddEllipse(*pInner, CRect{1, 4, 3, 2});
  CDot* pDeep = AddDot(*pInner, {0, 0});

  g.SetColor(RGB(200, 0, 0));
  EXPECT_EQ(g.m_crColor, RGB(200, 0, 0));
  EXPECT_EQ(pE->m_crColor, RGB(200, 0, 0));
  EXPECT_EQ(pDot->m_crColor, RGB(200, 0, 0));
  EXPECT_EQ(pInner->m_crColor, RGB(9, 9, 9));  // nested groups keep their own colour

  for (CKVObject* p : std::initializer_list<CKVObject*>{&g, pDot, pInner, pE, pDeep}) {
    p->m_bSelected = 1;
    p->m_bDone = 1;
  }
  g.Deselect();
  g.ResetDone();
  for (CKVObject* p : std::initializer_list<CKVObject*>{&g, pDot, pInner, pE, pDeep}) {
    EXPECT_EQ(p->m_bSelected, 0);
    EXPECT_EQ(p->m_bDone, 0);
  }

  g.SaveExact();
  EXPECT_EQ(pE->m_nExactLeft, 100);
  EXPECT_EQ(pE->m_nExactRight, 300);
  EXPECT_EQ(pE->m_nExactTop, 400);
  EXPECT_EQ(pE->m_nExactBottom, 200);
  EXPECT_EQ(pDot->m_nExactX, 1000);
  EXPECT_EQ(pDot->m_nExactY, 2000);
}

// A change anywhere in a nested group must leave every ancestor newer than whatever stamp
// anybody kept, whether or not the climb could stop early, and however many changes came
// between two reads of the clock.
TEST(ChangeStamps, EveryChangeLeavesEachAncestorNewerThanTheLastRead) {
  CGroup root;
  CGroup* pMid = AddGroup(root);
  CGroup* pLow = AddGroup(*pMid);
  CDot* pDeep = AddDot(*pLow, {0, 0});
  CDot* pSide = AddDot(*pMid, {10, 0});
  const auto EveryAncestorNewerThan = [](CKVObject* p, std::uint64_t nRead) {
    for (; p != nullptr; p = p->m_pParent) {
      if (p->m_nChangeStamp <= nRead) return false;
    }
    return true;
  };
  for (CKVObject* pFirst : std::initializer_list<CKVObject*>{pDeep, pSide, pLow}) {
    for (CKVObject* pSecond : std::initializer_list<CKVObject*>{pDeep, pSide, pMid, &root}) {
      SCOPED_TRACE(testing::Message()
                   << "first " << pFirst->m_nKind << ", then " << pSecond->m_nKind);
      const std::uint64_t nRead = CKVObject::LatestChangeStamp();
      pFirst->MarkChanged();
      EXPECT_TRUE(EveryAncestorNewerThan(pFirst, nRead));
      // A second change before anybody reads the clock: its ancestors must still count as changed.
      pSecond->MarkChanged();
      EXPECT_TRUE(EveryAncestorNewerThan(pSecond, nRead));
      // Once the clock is read, nothing counts as newer until the next change.
      const std::uint64_t nAfter = CKVObject::LatestChangeStamp();
      EXPECT_FALSE(EveryAncestorNewerThan(pDeep, nAfter));
      pDeep->MarkChanged();
      EXPECT_TRUE(EveryAncestorNewerThan(pDeep, nAfter));
    }
  }
}

TEST(GroupDepth, DeepNestingNeedsNoRecursion) {
  constexpr int kDepth = 100000;
  auto pRoot = std::make_unique<CGroup>();
  CGroup* pLevel = pRoot.get();
  for (int i = 0; i < kDepth; ++i) pLevel = AddGroup(*pLevel);
  CDot* pDot = AddDot(*pLevel, {500, 500});

  CRecordingDC dc;
  pRoot->Draw(&dc);
  EXPECT_EQ(pRoot->m_rcBounds, (CRect{470, 530, 530, 470}));
  EXPECT_EQ(pRoot->GetStoredSize(), 48 + kDepth * 48 + 44);
  EXPECT_EQ(pRoot->FindSame(pDot->m_rcBounds, pDot->m_ptAnchor), pDot);
  EXPECT_EQ(pRoot->ObjectAt({500, 500}), pDot);
  pRoot->ResetDone();
  pRoot->MoveTo({1470, 530});
  EXPECT_EQ(pDot->m_ptAnchor, (CPoint{1500, 500}));
  pRoot->SetColor(RGB(0, 0, 1));
  pRoot->Deselect();
  pRoot->SaveExact();
  pRoot->Rotate(0, 0, 0.5);
  pRoot.reset();  // the destructor takes the whole chain apart

  // Resize and mirror reset and move each nested group as they enter it, so their cost
  // grows with the square of the depth; a shallower chain shows they need no recursion.
  CGroup chain;
  pLevel = &chain;
  for (int i = 0; i < 1000; ++i) pLevel = AddGroup(*pLevel);
  CDot* pA = AddDot(*pLevel, {0, 0});
  AddDot(*pLevel, {100, 0});
  chain.Draw(&dc);
  chain.ResizeBy(CSize{160, 0});  // 160 wide: ratio 2 about (-30, 30)
  EXPECT_EQ(pA->m_ptAnchor, (CPoint{30, -30}));
  chain.MirrorVertical();
  EXPECT_EQ(pA->m_ptAnchor.x, 230);
}

}  // namespace
