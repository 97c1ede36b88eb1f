// Junction dots, ellipses and charges: placing, drawing, resizing and scaling.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "objects/CRecordingDC.h"
#include "tests/objects/GeometryPrinters.h"

namespace {

using Op = CRecordingDC::Op;

CPoint P(int x, int y) { return CPoint{x, y}; }

}  // namespace

TEST(Charges, PlusChargeStrokesAtWorkedExample) {
  CPlusC p;
  p.MoveTo(P(1000, 2000));
  EXPECT_EQ(p.m_rcBounds, (CRect{1000, 2000, 1200, 1800}));
  p.m_crColor = RGB(200, 0, 0);
  CRecordingDC dc;
  p.Draw(&dc);
  const auto ellipses = dc.RecordsOf(Op::Ellipse);
  ASSERT_EQ(ellipses.size(), 1u);
  EXPECT_EQ(ellipses[0].pts[0], P(1000, 2000));
  EXPECT_EQ(ellipses[0].pts[1], P(1200, 1800));
  EXPECT_EQ(ellipses[0].brush.nStyle, BS_HOLLOW);
  EXPECT_EQ(ellipses[0].pen, (CPen{PS_SOLID, 20, RGB(200, 0, 0)}));
  const auto lines = dc.RecordsOf(Op::Line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].pts[0], P(1020, 1900));
  EXPECT_EQ(lines[0].pts[1], P(1180, 1900));
  EXPECT_EQ(lines[1].pts[0], P(1100, 1980));
  EXPECT_EQ(lines[1].pts[1], P(1100, 1820));
  EXPECT_EQ(lines[1].pen.crColor, RGB(200, 0, 0));
  // The surface gets its previous pen and brush back.
  EXPECT_EQ(dc.GetCurrentPen(), CPen{});
  EXPECT_EQ(dc.GetCurrentBrush(), CBrush{});
}

TEST(Charges, MinusChargeIsSmallerAndHasOnlyTheHorizontalStroke) {
  CMinusC m;
  m.MoveTo(P(0, 0));
  EXPECT_EQ(m.m_rcBounds, (CRect{0, 0, 180, -180}));
  CRecordingDC dc;
  m.Draw(&dc);
  const auto lines = dc.RecordsOf(Op::Line);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].pts[0], P(18, -90));
  EXPECT_EQ(lines[0].pts[1], P(162, -90));
}

TEST(Charges, OddSizedBoxRoundsStrokeEndsAndTruncatesCentres) {
  CPlusC p;
  p.m_rcBounds = CRect{-5, 0, 0, -5};  // w = h = 5: 0.1 w = 0.5 rounds up
  CRecordingDC dc;
  p.Draw(&dc);
  const auto lines = dc.RecordsOf(Op::Line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].pts[0], P(-4, -2));  // round(-4.5) = -4; (0 + -5) / 2 = -2
  EXPECT_EQ(lines[0].pts[1], P(0, -2));   // round(-0.5) = 0
  EXPECT_EQ(lines[1].pts[0], P(-2, 0));   // round(-0.5) = 0
  EXPECT_EQ(lines[1].pts[1], P(-2, -4));  // round(-4.5) = -4
}

TEST(Thickness, PenWidthIsTwentyTimesThicknessRounded) {
  struct Case {
    double t;
    int nWidth;
  };
  const Case cases[] = {{0.1, 2}, {0.75, 15}, {1.0, 20}, {1.5, 30}, {0.025, 1}, {0.024, 0}};
  for (const Case& c : cases) {
    CEllipse e;
    e.m_dThickness = c.t;
    CRecordingDC dc;
    e.Draw(&dc);
    ASSERT_EQ(dc.Records().size(), 1u);
    EXPECT_EQ(dc.Records()[0].pen.nWidth, c.nWidth) << c.t;
  }
}

TEST(Thickness, AbsurdThicknessesGiveDrawablePens) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double t : {inf, -inf, nan, -3.0, 0.0, 1e300, -1e300}) {
    CPlusC p;
    p.m_dThickness = t;
    CRecordingDC dc;
    p.Draw(&dc);
    for (const auto& r : dc.Records()) {
      EXPECT_GE(r.pen.nWidth, 0) << t;
      EXPECT_LE(r.pen.nWidth, kMaxPenWidth) << t;
    }
  }
}

TEST(Dots, BoxFollowsAnchorAndNothingIsDrawn) {
  CDot dot;
  dot.MoveTo(P(-100, 250));
  EXPECT_EQ(dot.m_rcBounds, (CRect{-130, 280, -70, 220}));
  EXPECT_EQ(dot.GetSelectionFrame(), (CRect{-160, 300, -40, 200}));
  CRecordingDC dc;
  dot.Draw(&dc);
  EXPECT_TRUE(dc.Records().empty());
  dot.ResizeBy(CSize{500, -500});
  dot.SetScale(3.0);  // a dot keeps its box; only the factor is stored
  EXPECT_EQ(dot.m_rcBounds, (CRect{-130, 280, -70, 220}));
  EXPECT_DOUBLE_EQ(dot.m_dScale, 3.0);
}

TEST(Resize, FreeResizeBeyondOwnSizeClampsToTwentyByForty) {
  CEllipse e;
  e.MoveTo(P(0, 0));
  e.SetHalfSize(181, 181);  // box (-181, 181, 181, -181), anchor (-181, 181)
  e.m_bKeepAspect = 0;
  e.ResizeBy(CSize{-500, 500});
  EXPECT_EQ(e.m_rcBounds, (CRect{-181, 181, -161, 141}));
  EXPECT_EQ(e.m_ptAnchor, P(-181, 181));
}

TEST(Resize, FreeResizeMovesOnlyTheBottomRightCorner) {
  CEllipse e;
  e.m_rcBounds = CRect{0, 0, 300, -200};
  e.m_bKeepAspect = 0;
  e.ResizeBy(CSize{50, -70});
  EXPECT_EQ(e.m_rcBounds, (CRect{0, 0, 350, -270}));
}

TEST(Resize, LockedResizeScalesAboutTopLeft) {
  CPlusC p;
  p.MoveTo(P(1000, 2000));
  p.ResizeBy(CSize{100, 0});  // 200 wide: ratio 1.5
  EXPECT_EQ(p.m_rcBounds, (CRect{1000, 2000, 1300, 1700}));
  EXPECT_DOUBLE_EQ(p.m_dScale, 1.0);
  // Dragging down by 150 on a 300-high box: |dy| wins, ratio (300 + 150) / 300.
  p.ResizeBy(CSize{10, -150});
  EXPECT_EQ(p.m_rcBounds, (CRect{1000, 2000, 1450, 1550}));
}

TEST(Resize, LockedResizeThatWouldTurnInsideOutCollapsesToTwenty) {
  CMinusC m;
  m.MoveTo(P(0, 0));
  m.ResizeBy(CSize{-180, 0});  // width would be 0
  EXPECT_EQ(m.m_rcBounds, (CRect{0, 0, 20, -20}));
  m.MoveTo(P(0, 0));
  CEllipse e;
  e.m_rcBounds = CRect{0, 0, 100, -100};
  e.ResizeBy(CSize{10, 101});  // bottom would rise above top
  EXPECT_EQ(e.m_rcBounds, (CRect{0, 0, 20, -20}));
}

TEST(Scale, EllipseScalesAboutItsAnchor) {
  CEllipse e;
  e.m_rcBounds = CRect{100, 100, 301, -101};
  e.m_ptAnchor = P(100, 100);
  e.m_dScale = 7.0;
  e.SetScale(0.5);
  // right = 100 + round(201 * 0.5) = 201; bottom = 100 - round(201 * 0.5) = -1
  EXPECT_EQ(e.m_rcBounds, (CRect{100, 100, 201, -1}));
  EXPECT_DOUBLE_EQ(e.m_dScale, 1.0);
}

TEST(Scale, NonFiniteFactorsStayDefined) {
  for (double k : {std::numeric_limits<double>::infinity(), std::nan(""), -1e308}) {
    CPlusC p;
    p.MoveTo(P(0, 0));
    p.SetScale(k);
    EXPECT_LE(p.m_rcBounds.left, p.m_ptAnchor.x);
  }
}
