// The common object model: hit and handle zones, marks, the pass flag, the corner rule of
// Intersects, IsInside, FindSame, the formula resize rule and selection through parents.
#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CPlusC.h"
#include "objects/CRecordingDC.h"
#include "tests/objects/GeometryPrinters.h"
#include "view/CKvillView.h"

namespace {

using Op = CRecordingDC::Op;

// A charge of box (1000, 2000, 1200, 1800): selection frame (970, 2020, 1230, 1780),
// midX 1100, midY 1900.
std::unique_ptr<CPlusC> MakeCharge(bool bKeepAspect) {
  auto p = std::make_unique<CPlusC>();
  p->MoveTo(CPoint{1000, 2000});
  p->m_bKeepAspect = bKeepAspect ? 1 : 0;
  p->ResetDone();
  return p;
}

CRect RectOf(const CRecordingDC::Record& r) {
  return CRect{r.pts[0].x, r.pts[0].y, r.pts[1].x, r.pts[1].y};
}

}  // namespace

TEST(ObjectHitTest, FrameEdgesHitAndOneUnitOutsideMisses) {
  auto p = MakeCharge(true);
  ASSERT_EQ(p->GetSelectionFrame(), (CRect{970, 2020, 1230, 1780}));
  EXPECT_EQ(p->HitTest(CPoint{970, 1900}), KIND_PLUS);
  EXPECT_EQ(p->HitTest(CPoint{1230, 1900}), KIND_PLUS);
  EXPECT_EQ(p->HitTest(CPoint{1100, 2020}), KIND_PLUS);
  EXPECT_EQ(p->HitTest(CPoint{1100, 1780}), KIND_PLUS);
  EXPECT_EQ(p->HitTest(CPoint{969, 1900}), 0);
  EXPECT_EQ(p->HitTest(CPoint{1231, 1900}), 0);
  EXPECT_EQ(p->HitTest(CPoint{1100, 2021}), 0);
  EXPECT_EQ(p->HitTest(CPoint{1100, 1779}), 0);
}

TEST(ObjectHitHandle, ZonesWithFreeAspect) {
  auto p = MakeCharge(false);
  struct Case {
    CPoint pt;
    int nHandle;
  };
  // Frame (970, 2020, 1230, 1780): each zone checked at an inner edge.
  const Case cases[] = {
      {{1150, 1780}, 1}, {{1230, 1860}, 1},  // bottom-right corner, 80 units square
      {{1060, 1780}, 2}, {{1140, 1860}, 2},  // bottom middle, midX +- 40
      {{970, 1780}, 3},  {{1050, 1860}, 3},  // bottom-left
      {{970, 1860}, 3},                      // the overlap of 3 and 4 goes to 3 (tested first)
      {{970, 1940}, 4},  {{1050, 1861}, 4},  // left middle, midY +- 40
      {{970, 2020}, 5},  {{1050, 1941}, 5},  // top-left
      {{1060, 2020}, 6}, {{1140, 1940}, 6},  // top middle
      {{1150, 2020}, 7}, {{1230, 1941}, 7},  // top-right
      {{1150, 1861}, 8}, {{1230, 1900}, 8},  // right middle
  };
  for (const Case& c : cases) {
    EXPECT_EQ(p->HitHandle(c.pt), c.nHandle) << c.pt.x << "," << c.pt.y;
  }
  // One unit outside each corner zone, and the centre, are no handle.
  EXPECT_EQ(p->HitHandle(CPoint{1149, 1800}), 0);  // left of handle 1, right of handle 2
  EXPECT_EQ(p->HitHandle(CPoint{1231, 1780}), 0);
  EXPECT_EQ(p->HitHandle(CPoint{1100, 1900}), 0);
  EXPECT_EQ(p->HitHandle(CPoint{969, 2020}), 0);
}

TEST(ObjectHitHandle, LockedAspectOffersOnlyHandleOne) {
  auto p = MakeCharge(true);
  EXPECT_EQ(p->HitHandle(CPoint{1230, 1780}), 1);
  EXPECT_EQ(p->HitHandle(CPoint{1100, 1800}), 0);  // bottom middle zone
  EXPECT_EQ(p->HitHandle(CPoint{970, 2020}), 0);   // top-left zone
  EXPECT_EQ(p->HitHandle(CPoint{1149, 1780}), 0);  // one unit left of handle 1
  EXPECT_EQ(p->HitHandle(CPoint{1230, 1861}), 0);  // one unit above handle 1
}

// The view takes the handle an object finds, and finds none while a resize goes on.
TEST(ObjectHitHandle, NothingDuringResizeAndNothingOnDots) {
  CKvillDoc doc;
  CKvillView view(nullptr, &doc);
  auto p = MakeCharge(false);
  p->m_bSelected = 1;
  CKVObject* pCharge = p.get();
  doc.m_listObjects.push_back(std::move(p));
  EXPECT_EQ(view.FindHandleAt(CPoint{1230, 1780}), pCharge);
  EXPECT_EQ(view.Mouse().Handle(), 1);
  view.Mouse().SetHandle(0);
  view.Mouse().SetResizing(1);
  EXPECT_EQ(view.FindHandleAt(CPoint{1230, 1780}), nullptr);
  EXPECT_EQ(view.Mouse().Handle(), 0);
  view.Mouse().SetResizing(0);
  CDot dot;
  dot.MoveTo(CPoint{0, 0});
  EXPECT_EQ(dot.HitHandle(CPoint{30, -30}), 0);
}

TEST(ObjectDrawMarks, FrameAndHandleOneForLockedCharge) {
  auto p = MakeCharge(true);
  CRecordingDC dc;
  p->DrawMarks(&dc);
  const auto rects = dc.RecordsOf(Op::Rectangle);
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(RectOf(rects[0]), (CRect{970, 2020, 1230, 1780}));
  EXPECT_EQ(rects[0].brush.nStyle, BS_HOLLOW);
  EXPECT_EQ(rects[0].pen, (CPen{PS_SOLID, 20, 0}));
  EXPECT_EQ(rects[0].nRop, R2_COPYPEN);
  // Handle 1: 65 units square, 15 inside the bottom-right corner, solid black.
  EXPECT_EQ(RectOf(rects[1]), (CRect{1150, 1860, 1215, 1795}));
  EXPECT_EQ(rects[1].brush, (CBrush{BS_SOLID, 0}));
  EXPECT_EQ(p->m_bDone, 1);
  // Marks are drawn once per pass; the previous drawing objects come back.
  p->DrawMarks(&dc);
  EXPECT_EQ(dc.RecordsOf(Op::Rectangle).size(), 2u);
  EXPECT_EQ(dc.GetCurrentPen(), CPen{});
  EXPECT_EQ(dc.GetCurrentBrush(), CBrush{});
}

TEST(ObjectDrawMarks, AllEightHandlesForFreeAspect) {
  auto p = MakeCharge(false);
  CRecordingDC dc;
  p->DrawMarks(&dc);
  const auto rects = dc.RecordsOf(Op::Rectangle);
  ASSERT_EQ(rects.size(), 9u);
  const CRect expected[] = {
      {970, 2020, 1230, 1780},   // frame
      {1150, 1860, 1215, 1795},  // 1 bottom-right
      {1060, 1860, 1140, 1795},  // 2 bottom middle: 80 wide, centred
      {985, 1860, 1050, 1795},   // 3 bottom-left
      {985, 1940, 1050, 1860},   // 4 left middle
      {985, 2005, 1050, 1940},   // 5 top-left
      {1060, 2005, 1140, 1940},  // 6 top middle
      {1150, 2005, 1215, 1940},  // 7 top-right
      {1150, 1940, 1215, 1860},  // 8 right middle
  };
  for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(RectOf(rects[i]), expected[i]) << i;
}

TEST(ObjectDrawMarks, DotShowsOnlyItsFrameAndFormulaNoMiddleHandles) {
  CDot dot;
  dot.MoveTo(CPoint{500, 500});
  dot.ResetDone();
  CRecordingDC dc;
  dot.DrawMarks(&dc);
  auto rects = dc.RecordsOf(Op::Rectangle);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(RectOf(rects[0]), (CRect{440, 550, 560, 450}));  // 120 x 100

  // Only groups, ellipses and charges get handles 2 to 8, even with a free aspect.
  CFormula formula;
  formula.m_bKeepAspect = 0;
  dc.Clear();
  formula.DrawMarks(&dc);
  EXPECT_EQ(dc.RecordsOf(Op::Rectangle).size(), 2u);
}

TEST(ObjectDragFrames, InvertedFramesAndRestoredState) {
  auto p = MakeCharge(false);
  CRecordingDC dc;
  dc.SetROP2(R2_COPYPEN);
  p->m_bSelected = 1;
  p->DragBy(&dc, CSize{100, -50}, 0);
  EXPECT_EQ(p->m_ptAnchor, (CPoint{1100, 1950}));
  EXPECT_EQ(p->m_rcBounds, (CRect{1100, 1950, 1300, 1750}));
  const auto rects = dc.RecordsOf(Op::Rectangle);
  // Old and new frame with handle 1 each, then seven handles of each frame.
  ASSERT_EQ(rects.size(), 2u + 2u + 14u);
  for (const auto& r : rects) EXPECT_EQ(r.nRop, R2_NOTXORPEN);
  EXPECT_EQ(RectOf(rects[0]), (CRect{970, 2020, 1230, 1780}));
  EXPECT_EQ(RectOf(rects[2]), (CRect{1070, 1970, 1330, 1730}));
  EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
  EXPECT_EQ(dc.GetCurrentBrush(), CBrush{});
  // A second drag in the same pass does nothing.
  p->DragBy(&dc, CSize{100, -50}, 0);
  EXPECT_EQ(p->m_ptAnchor, (CPoint{1100, 1950}));
}

TEST(ObjectDragFrames, UnselectedDotMovesWithoutFeedback) {
  CDot dot;
  dot.MoveTo(CPoint{0, 0});
  dot.ResetDone();
  CRecordingDC dc;
  dot.DragBy(&dc, CSize{10, 10}, 0);
  EXPECT_EQ(dot.m_ptAnchor, (CPoint{10, 10}));
  EXPECT_TRUE(dc.Records().empty());
}

TEST(ObjectPassFlag, SecondMoveInOnePassDoesNothing) {
  CEllipse e;
  e.m_rcBounds = CRect{0, 100, 200, -100};
  e.MoveTo(CPoint{50, 50});
  EXPECT_EQ(e.m_rcBounds, (CRect{50, 150, 250, -50}));
  e.MoveTo(CPoint{500, 500});
  EXPECT_EQ(e.m_ptAnchor, (CPoint{50, 50}));
  e.ResetDone();
  e.MoveTo(CPoint{500, 500});
  EXPECT_EQ(e.m_rcBounds, (CRect{500, 600, 700, 400}));
}

TEST(ObjectIntersects, CornerRuleWithHalfOpenEdges) {
  CEllipse e;
  e.m_rcBounds = CRect{0, 100, 100, 0};
  // A corner of the given box inside the object's box.
  EXPECT_EQ(e.Intersects(CRect{50, 200, 200, 50}), 1);
  // A corner of the object inside the given box.
  EXPECT_EQ(e.Intersects(CRect{-50, 50, 50, -50}), 1);
  // The left and lower edges belong to a box, the right and upper ones do not: a box whose
  // lower-left corner is our upper-right corner counts, one a unit further away does not.
  EXPECT_EQ(e.Intersects(CRect{100, 200, 200, 100}), 1);
  EXPECT_EQ(e.Intersects(CRect{101, 200, 200, 101}), 0);
  // Our lower-left corner on the given box's excluded upper-right corner: only the given
  // box's corner (0, 0), which lies on our included edges, makes them intersect.
  EXPECT_EQ(e.Intersects(CRect{-100, 0, 0, -100}), 1);
  EXPECT_EQ(e.Intersects(CRect{-100, -1, -1, -100}), 0);
  // A plus-shaped overlap has no corner inside the other box: no intersection.
  EXPECT_EQ(e.Intersects(CRect{40, 300, 60, -200}), 0);
  // Boxes given with top below bottom are normalised first.
  EXPECT_EQ(e.Intersects(CRect{50, 50, 200, 200}), 1);
}

TEST(ObjectIsInside, StrictOnEverySide) {
  CEllipse e;
  e.m_rcBounds = CRect{0, 100, 100, 0};
  EXPECT_TRUE(e.IsInside(CRect{-1, 101, 101, -1}));
  EXPECT_FALSE(e.IsInside(CRect{0, 101, 101, -1}));
  EXPECT_FALSE(e.IsInside(CRect{-1, 100, 101, -1}));
  EXPECT_FALSE(e.IsInside(CRect{-1, 101, 100, -1}));
  EXPECT_FALSE(e.IsInside(CRect{-1, 101, 101, 0}));
}

TEST(ObjectFindSame, BoxAndAnchorMustBothMatch) {
  CDot dot;
  dot.MoveTo(CPoint{10, 20});
  EXPECT_EQ(dot.FindSame(CRect{-20, 50, 40, -10}, CPoint{10, 20}), &dot);
  EXPECT_EQ(dot.FindSame(CRect{-20, 50, 40, -10}, CPoint{10, 21}), nullptr);
  EXPECT_EQ(dot.FindSame(CRect{-20, 50, 41, -10}, CPoint{10, 20}), nullptr);
}

TEST(ObjectResize, FormulaScalesByTheLargerComponent) {
  CFormula f;  // box (0, 100, 100, 0): 100 x 100
  f.ResizeBy(CSize{50, 0});
  EXPECT_DOUBLE_EQ(f.m_dScale, 1.5);
  f.m_dScale = 1.0;
  f.ResizeBy(CSize{0, -50});  // dragging down enlarges
  EXPECT_DOUBLE_EQ(f.m_dScale, 1.5);
  f.m_dScale = 2.0;
  f.ResizeBy(CSize{-10, 40});  // |dy| wins: (100 - 40) / 100
  EXPECT_DOUBLE_EQ(f.m_dScale, 1.2);
  EXPECT_EQ(f.m_rcBounds, (CRect{0, 100, 100, 0}));  // the box waits for the next Draw
}

TEST(ObjectSelection, ChildReportsAndSetsItsTopGroup) {
  CGroup outer;
  auto inner = std::make_unique<CGroup>();
  auto dot = std::make_unique<CDot>();
  CDot* pDot = dot.get();
  inner->AddChild(std::move(dot));
  CGroup* pInner = inner.get();
  outer.AddChild(std::move(inner));
  EXPECT_EQ(pDot->GetTop(), &outer);
  EXPECT_EQ(pDot->IsSelected(), 0);
  pDot->SetSelected(1);
  EXPECT_EQ(outer.m_bSelected, 1);
  EXPECT_EQ(pInner->m_bSelected, 0);
  EXPECT_EQ(pDot->m_bSelected, 0);
  EXPECT_EQ(pDot->IsSelected(), 1);
}

TEST(ObjectSetHalfSize, AnchorBecomesTopLeft) {
  CEllipse e;
  e.MoveTo(CPoint{1000, 1000});
  e.SetHalfSize(181, 181);
  EXPECT_EQ(e.m_rcBounds, (CRect{819, 1181, 1181, 819}));
  EXPECT_EQ(e.m_ptAnchor, (CPoint{819, 1181}));
}

// Every base operation on boxes and anchors at the int32 limits: the sanitizers watch for
// overflow, and the results stay within int32 (saturated) rather than wrapping.
TEST(ObjectExtremes, BaseOperationsAtInt32Limits) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  CKvillView view;
  for (const CRect& rc : {CRect{kMin, kMax, kMax, kMin}, CRect{kMax, kMin, kMin, kMax},
                          CRect{kMax, kMax, kMax, kMax}, CRect{kMin, kMin, kMin, kMin}}) {
    for (const CPoint& anchor : {CPoint{kMin, kMax}, CPoint{kMax, kMin}}) {
      CPlusC p;
      p.m_rcBounds = rc;
      p.m_ptAnchor = anchor;
      p.m_bKeepAspect = 0;
      CRecordingDC dc;
      const CRect f = p.GetSelectionFrame();
      EXPECT_LE(f.left, rc.left);
      EXPECT_GE(f.right, rc.right);
      p.HitTest(CPoint{kMin, kMax});
      p.HitHandle(CPoint{kMax, kMin});
      p.HitHandle(CPoint{kMin, kMin});
      p.IsInside(CRect{kMin, kMax, kMax, kMin});
      p.Intersects(CRect{kMax, kMin, kMin, kMax});
      p.DrawMarks(&dc);
      p.ResetDone();
      p.m_bSelected = 1;
      p.DragBy(&dc, CSize{kMax, kMin}, 0);
      p.ResetDone();
      p.MoveTo(CPoint{kMin, kMax});
      EXPECT_EQ(p.m_ptAnchor, (CPoint{kMin, kMax}));
      p.Draw(&dc);
      p.ResizeBy(CSize{kMax, kMin});
      p.ResizeBy(CSize{kMin, kMax});
      p.SetScale(1e300);
      p.SetHalfSize(kMax, kMax);

      CFormula formula;
      formula.m_rcBounds = rc;
      formula.ResizeBy(CSize{kMin, kMax});
      formula.ResizeBy(CSize{kMax, 0});

      CDot dot;
      dot.MoveTo(anchor);
      EXPECT_EQ(dot.m_ptAnchor, anchor);
    }
  }
}
