#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <set>
#include <vector>

#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CGroup.h"
#include "objects/CRecordingDC.h"

namespace {

using ::testing::ElementsAre;
using Op = CRecordingDC::Op;

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// Two junctions and a bond between them, drawn on a recording surface.
struct BondFixture {
  CDot a, b;
  CCoupling bond;
  CRecordingDC dc;

  BondFixture(CPoint pa, CPoint pb, int nStyle, int nSide = 1) {
    a.MoveTo(pa);
    b.MoveTo(pb);
    bond.m_pEndA = &a;
    bond.m_pEndB = &b;
    bond.m_nStyle = nStyle;
    bond.m_nSide = nSide;
    bond.m_crColor = kRed;
  }
  void Draw() {
    dc.Clear();
    bond.Draw(&dc);
  }
  std::vector<CRecordingDC::Record> Lines() const { return dc.RecordsOf(Op::Line); }
  std::vector<CRecordingDC::Record> Polygons() const { return dc.RecordsOf(Op::Polygon); }
  // Line end points as flat (x0, y0, x1, y1) lists, for readable expectations.
  std::vector<std::vector<int>> LineCoords() const {
    std::vector<std::vector<int>> out;
    for (const auto& r : Lines()) out.push_back({r.pts[0].x, r.pts[0].y, r.pts[1].x, r.pts[1].y});
    return out;
  }
};

std::vector<CPoint> Pts(std::initializer_list<CPoint> l) { return l; }

TEST(CouplingDraw, SingleBondBandAndLine) {
  BondFixture f({0, 0}, {1000, 0}, 1);
  f.dc.SetROP2(R2_NOTXORPEN);
  f.Draw();
  ASSERT_EQ(f.Polygons().size(), 1u);
  const auto band = f.Polygons()[0];
  EXPECT_EQ(band.pts, Pts({{80, -40}, {920, -40}, {920, 40}, {80, 40}}));
  EXPECT_EQ(band.brush, (CBrush{BS_SOLID, kWhite}));
  EXPECT_EQ(band.pen, (CPen{PS_SOLID, 1, kWhite}));
  EXPECT_EQ(band.nRop, R2_COPYPEN);

  ASSERT_EQ(f.Lines().size(), 1u);
  EXPECT_THAT(f.LineCoords(), ElementsAre(ElementsAre(0, 0, 1000, 0)));
  EXPECT_EQ(f.Lines()[0].pen, (CPen{PS_SOLID, 20, kRed}));
  // The band comes first, so the bond lies on top of it.
  EXPECT_EQ(f.dc.Records()[0].op, Op::Polygon);
  // The raster operation and the drawing objects of the caller are back.
  EXPECT_EQ(f.dc.GetROP2(), R2_NOTXORPEN);
  EXPECT_EQ(f.dc.GetCurrentPen(), CPen{});
  EXPECT_EQ(f.dc.GetCurrentBrush(), CBrush{});
}

TEST(CouplingDraw, DoubleTripleAndCentredLines) {
  BondFixture f({0, 0}, {1000, 0}, 2, 1);
  f.Draw();
  EXPECT_THAT(f.LineCoords(),
              ElementsAre(ElementsAre(0, 0, 1000, 0), ElementsAre(0, -60, 1000, -60)));
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{80, -100}, {920, -100}, {920, 40}, {80, 40}}));

  f.bond.m_nSide = 2;
  f.Draw();
  EXPECT_THAT(f.LineCoords(),
              ElementsAre(ElementsAre(0, 0, 1000, 0), ElementsAre(0, 60, 1000, 60)));
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{80, -40}, {920, -40}, {920, 100}, {80, 100}}));

  f.bond.m_nStyle = 5;
  f.Draw();
  EXPECT_THAT(f.LineCoords(),
              ElementsAre(ElementsAre(0, -30, 1000, -30), ElementsAre(0, 30, 1000, 30)));
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{80, -70}, {920, -70}, {920, 70}, {80, 70}}));

  f.bond.m_nStyle = 3;
  f.Draw();
  EXPECT_THAT(f.LineCoords(),
              ElementsAre(ElementsAre(0, 0, 1000, 0), ElementsAre(0, -45, 1000, -45),
                          ElementsAre(0, 45, 1000, 45)));
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{80, -85}, {920, -85}, {920, 85}, {80, 85}}));
}

TEST(CouplingDraw, DottedBondKeepsItsPenStyleForLineAndBand) {
  BondFixture f({0, 0}, {1000, 0}, 1);
  f.bond.m_nPenStyle = PS_DOT;
  f.bond.m_dThickness = 2.0;
  f.Draw();
  EXPECT_EQ(f.Polygons()[0].pen, (CPen{PS_DOT, 1, kWhite}));
  EXPECT_EQ(f.Lines()[0].pen, (CPen{PS_DOT, 40, kRed}));
  // Thickness 2 widens the band: H = 30 + 20, E = 70 + 20.
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{90, -50}, {910, -50}, {910, 50}, {90, 50}}));
}

TEST(CouplingDraw, OneSidedArrowShaftStopsAtTheHead) {
  BondFixture f({0, 0}, {1000, 0}, 6, 2);
  f.Draw();
  EXPECT_THAT(f.LineCoords(), ElementsAre(ElementsAre(0, 0, 880, 0)));
  ASSERT_EQ(f.Polygons().size(), 1u);  // the head only: arrows have no band
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{880, 45}, {1000, 0}, {880, -45}}));
  EXPECT_EQ(f.Polygons()[0].brush, (CBrush{BS_SOLID, kRed}));

  f.bond.m_nSide = 1;
  f.Draw();
  EXPECT_THAT(f.LineCoords(), ElementsAre(ElementsAre(1000, 0, 120, 0)));
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{120, 45}, {0, 0}, {120, -45}}));

  f.bond.m_nStyle = 8;
  f.Draw();
  EXPECT_THAT(f.LineCoords(), ElementsAre(ElementsAre(880, 0, 120, 0)));
  ASSERT_EQ(f.Polygons().size(), 2u);
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{120, 45}, {0, 0}, {120, -45}}));
  EXPECT_EQ(f.Polygons()[1].pts, Pts({{880, 45}, {1000, 0}, {880, -45}}));
}

TEST(CouplingDraw, ArrowHeadScalesWithThickness) {
  BondFixture f({0, 0}, {0, 1000}, 6, 2);  // pointing up: n = (1, 0)
  f.bond.m_dThickness = 0.5;
  f.Draw();
  EXPECT_THAT(f.LineCoords(), ElementsAre(ElementsAre(0, 0, 0, 940)));
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{-23, 940}, {0, 1000}, {23, 940}}));
  EXPECT_EQ(f.Lines()[0].pen.nWidth, 10);
}

TEST(CouplingDraw, FullWedgeAndItsNarrowingBand) {
  BondFixture f({0, 0}, {400, 0}, 4, 1);
  f.Draw();
  ASSERT_EQ(f.Polygons().size(), 2u);
  // Band: wide at A (H + N30 = 70), narrow at B (H + W with W = 30 * 80 / 400 = 6).
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{80, -70}, {320, -46}, {320, 46}, {80, 70}}));
  EXPECT_EQ(f.Polygons()[1].pts, Pts({{0, -30}, {400, 0}, {0, 30}}));
  EXPECT_EQ(f.Polygons()[1].pen, (CPen{PS_SOLID, 1, kRed}));
  EXPECT_EQ(f.Polygons()[1].brush, (CBrush{BS_SOLID, kRed}));
  EXPECT_TRUE(f.Lines().empty());

  f.bond.m_nSide = 2;
  f.Draw();
  EXPECT_EQ(f.Polygons()[0].pts, Pts({{80, -46}, {320, -70}, {320, 70}, {80, 46}}));
  EXPECT_EQ(f.Polygons()[1].pts, Pts({{400, -30}, {0, 0}, {400, 30}}));
}

TEST(CouplingDraw, DashedWedgeHasSixStrokesFromNothingAtB) {
  BondFixture f({0, 0}, {400, 0}, 7, 1);
  f.bond.m_dThickness = 3.0;  // the stroke pen stays 30 wide
  f.Draw();
  EXPECT_THAT(f.LineCoords(),
              ElementsAre(ElementsAre(400, 0, 400, 0), ElementsAre(320, -18, 320, 18),
                          ElementsAre(240, -36, 240, 36), ElementsAre(160, -54, 160, 54),
                          ElementsAre(80, -72, 80, 72), ElementsAre(0, -90, 0, 90)));
  for (const auto& r : f.Lines()) EXPECT_EQ(r.pen, (CPen{PS_SOLID, 30, kRed}));

  // Side 2 turns it round: the strokes start at A.
  f.bond.m_nSide = 2;
  f.bond.m_dThickness = 1.0;
  f.Draw();
  ASSERT_EQ(f.Lines().size(), 6u);
  EXPECT_THAT(f.LineCoords().front(), ElementsAre(0, 0, 0, 0));
  EXPECT_THAT(f.LineCoords().back(), ElementsAre(400, -30, 400, 30));
}

TEST(CouplingDraw, WideDashedBondKeepsItsWidth) {
  BondFixture f({0, 0}, {170, 0}, 9);
  f.Draw();
  // floor((170 + 80) / 80) = 3 strokes from B toward A.
  EXPECT_THAT(f.LineCoords(),
              ElementsAre(ElementsAre(170, -30, 170, 30), ElementsAre(90, -30, 90, 30),
                          ElementsAre(10, -30, 10, 30)));
}

TEST(CouplingDraw, HarmonicCurveOfElevenSamples) {
  BondFixture f({0, 0}, {100, 0}, 10);
  f.Draw();
  const auto lines = f.LineCoords();
  ASSERT_EQ(lines.size(), 10u);  // 11 points: one MoveTo and ten LineTo
  EXPECT_THAT(lines[0], ElementsAre(100, 0, 90, -12));
  EXPECT_THAT(lines[3], ElementsAre(70, -28, 60, -30));
  EXPECT_THAT(lines[9], ElementsAre(10, 13, 0, 22));
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i][0], lines[i - 1][2]);  // one connected polyline
  }
}

TEST(CouplingDraw, ShortBondHasNoBand) {
  BondFixture f({0, 0}, {80, 0}, 1);  // |E| = 80 for thickness 1
  f.Draw();
  EXPECT_TRUE(f.Polygons().empty());
  EXPECT_EQ(f.Lines().size(), 1u);
  f.b.ResetDone();
  f.b.MoveTo({81, 0});
  f.Draw();
  EXPECT_EQ(f.Polygons().size(), 1u);
}

TEST(CouplingDraw, CoincidentEndsDegenerateToPoints) {
  for (int nStyle = 1; nStyle <= 10; ++nStyle) {
    for (int nSide = 1; nSide <= 2; ++nSide) {
      BondFixture f({500, 500}, {500, 500}, nStyle, nSide);
      f.Draw();
      for (const auto& r : f.dc.Records()) {
        for (const CPoint& p : r.pts) EXPECT_EQ(p, (CPoint{500, 500})) << "style " << nStyle;
      }
      for (const auto& r : f.Polygons()) {
        EXPECT_NE(r.pts.size(), 4u) << "no band for style " << nStyle;
      }
      EXPECT_EQ(f.bond.HitTest({500, 500}), 0);
    }
  }
}

TEST(CouplingDraw, BadThicknessAndExtremeEndsStaySane) {
  const double kInf = std::numeric_limits<double>::infinity();
  const double thicknesses[] = {0.0, -3.0, 1e300, -kInf, std::numeric_limits<double>::quiet_NaN()};
  const std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const CPoint ends[][2] = {{{kMin, kMin}, {kMax, kMax}},
                            {{kMax, 0}, {kMin, 0}},
                            {{0, kMin}, {0, kMax}},
                            {{kMax, kMax}, {kMax, kMax}},
                            {{0, 0}, {1000, 300}}};
  for (int nStyle = 0; nStyle <= 11; ++nStyle) {
    for (double t : thicknesses) {
      for (const auto& e : ends) {
        CDot a, b;
        a.m_ptAnchor = e[0];
        b.m_ptAnchor = e[1];
        CCoupling bond;
        bond.m_pEndA = &a;
        bond.m_pEndB = &b;
        bond.m_nStyle = nStyle;
        bond.m_nSide = nStyle % 2 + 1;
        bond.m_nPenStyle = 7;  // not a pen style the program makes
        bond.m_dThickness = t;
        CRecordingDC dc;
        bond.Draw(&dc);
        // Strokes and curve samples stay bounded however long the bond is.
        EXPECT_LE(dc.Records().size(), 16400u);
        for (const auto& r : dc.Records()) {
          EXPECT_GE(r.pen.nWidth, 0);
          EXPECT_LE(r.pen.nWidth, kMaxPenWidth);
          EXPECT_TRUE(r.pen.nStyle == PS_SOLID || r.pen.nStyle == PS_DOT);
        }
        if (nStyle >= 1 && nStyle <= 10 && !(e[0] == e[1])) {
          EXPECT_FALSE(dc.Records().empty());
        }
        bond.HitTest(CPoint{0, 0});
        bond.HitTest(CPoint{kMax, kMin});
      }
    }
  }
  // The stored thickness itself is never altered by drawing.
  BondFixture f({0, 0}, {1000, 0}, 1);
  f.bond.m_dThickness = -kInf;
  f.Draw();
  EXPECT_EQ(f.bond.m_dThickness, -kInf);
  EXPECT_EQ(f.Lines()[0].pen.nWidth, 0);
  f.bond.m_dThickness = 1e9;
  f.Draw();
  EXPECT_EQ(f.Lines()[0].pen.nWidth, kMaxPenWidth);
  f.bond.m_dThickness = std::numeric_limits<double>::quiet_NaN();
  f.Draw();
  EXPECT_EQ(f.Lines()[0].pen.nWidth, 20);
}

TEST(CouplingDraw, FollowsItsEndsAndDrawsLiveToTheFreePoint) {
  BondFixture f({0, 0}, {1000, 0}, 1);
  f.Draw();
  f.a.ResetDone();
  f.a.MoveTo({0, 500});
  f.Draw();
  EXPECT_THAT(f.LineCoords(), ElementsAre(ElementsAre(0, 500, 1000, 0)));
  EXPECT_EQ(f.bond.m_ptA, (CPoint{0, 500}));
  EXPECT_EQ(f.bond.m_ptB, (CPoint{1000, 0}));

  // While the second end is placed, end B is not consulted: B is the mouse.
  CCoupling live;
  live.m_pEndA = &f.a;
  live.m_bLive = 1;
  live.m_ptB = CPoint{300, 900};
  f.dc.Clear();
  f.dc.SetROP2(R2_NOTXORPEN);
  live.Draw(&f.dc);
  EXPECT_THAT(f.LineCoords(), ElementsAre(ElementsAre(0, 500, 300, 900)));
  EXPECT_EQ(f.Lines()[0].nRop, R2_COPYPEN);
}

TEST(CouplingHitTest, DistanceRule) {
  BondFixture f({0, 0}, {1000, 0}, 1);
  f.Draw();
  EXPECT_EQ(f.bond.HitTest({500, 120}), KIND_COUPLING);
  EXPECT_EQ(f.bond.HitTest({500, -120}), KIND_COUPLING);
  EXPECT_EQ(f.bond.HitTest({500, 121}), 0);
  EXPECT_EQ(f.bond.HitTest({0, 0}), KIND_COUPLING);
  EXPECT_EQ(f.bond.HitTest({1000, 0}), KIND_COUPLING);
  EXPECT_EQ(f.bond.HitTest({-1, 0}), 0);
  EXPECT_EQ(f.bond.HitTest({1001, 0}), 0);

  // 45 degrees: the vertical branch with a tolerance of round(120 cos 45) = 85 in x.
  BondFixture d({1000, 1000}, {0, 0}, 1);
  d.Draw();
  EXPECT_EQ(d.bond.HitTest({585, 500}), KIND_COUPLING);
  EXPECT_EQ(d.bond.HitTest({415, 500}), KIND_COUPLING);
  EXPECT_EQ(d.bond.HitTest({586, 500}), 0);
  EXPECT_EQ(d.bond.HitTest({500, 1001}), 0);

  // Steep bond: measured across x.
  BondFixture s({0, 0}, {100, 1000}, 1);
  s.Draw();
  EXPECT_EQ(s.bond.HitTest({50 + 119, 500}), KIND_COUPLING);
  EXPECT_EQ(s.bond.HitTest({50 + 120, 500}), 0);

  // Nearly horizontal bonds, measured across y, with tolerances that are not whole units.
  // (1000, 300): 120 * 1000 / 1044.03 = 114.94, rounded up to 115; the middle is (500, 150).
  BondFixture h({1000, 300}, {0, 0}, 1);
  h.Draw();
  EXPECT_EQ(h.bond.HitTest({500, 150 + 115}), KIND_COUPLING);
  EXPECT_EQ(h.bond.HitTest({500, 150 - 115}), KIND_COUPLING);
  EXPECT_EQ(h.bond.HitTest({500, 150 + 116}), 0);
  EXPECT_EQ(h.bond.HitTest({500, 150 - 116}), 0);
  // (1000, 100): 120 * 1000 / 1004.99 = 119.40, rounded down to 119; the middle is (500, 50).
  BondFixture l({0, 0}, {1000, 100}, 1);
  l.Draw();
  EXPECT_EQ(l.bond.HitTest({500, 50 + 119}), KIND_COUPLING);
  EXPECT_EQ(l.bond.HitTest({500, 50 + 120}), 0);
  EXPECT_EQ(l.bond.HitTest({500, 50 - 120}), 0);

  // Inside a group the group is hit, never the bond.
  CGroup g;
  auto pBond = std::make_unique<CCoupling>();
  pBond->m_ptB = CPoint{1000, 0};
  CCoupling* p = pBond.get();
  g.AddChild(std::move(pBond));
  EXPECT_EQ(p->HitTest({500, 0}), 0);
}

TEST(CouplingSwap, CyclesDoubleBondsAndTurnsWedgesAndArrows) {
  CCoupling b;
  b.m_nStyle = 2;
  b.m_nSide = 1;
  b.Swap();
  EXPECT_EQ(b.m_nStyle, 2);
  EXPECT_EQ(b.m_nSide, 2);
  b.Swap();
  EXPECT_EQ(b.m_nStyle, 5);
  b.Swap();
  EXPECT_EQ(b.m_nStyle, 2);
  EXPECT_EQ(b.m_nSide, 1);

  for (int nStyle : {4, 6, 7}) {
    b.m_nStyle = nStyle;
    b.m_nSide = 1;
    b.Swap();
    EXPECT_EQ(b.m_nSide, 2);
    b.Swap();
    EXPECT_EQ(b.m_nSide, 1);
    EXPECT_EQ(b.m_nStyle, nStyle);
  }
  for (int nStyle : {1, 3, 8, 9, 10}) {
    for (int nSide : {1, 2}) {
      b.m_nStyle = nStyle;
      b.m_nSide = nSide;
      b.Swap();
      EXPECT_EQ(b.m_nStyle, nStyle);
      EXPECT_EQ(b.m_nSide, nSide);
    }
  }
}

TEST(CouplingSelection, OwnFlagOrEitherEnd) {
  BondFixture f({0, 0}, {1000, 0}, 1);
  EXPECT_EQ(f.bond.IsSelected(), 0);
  f.b.SetSelected(1);
  EXPECT_EQ(f.bond.IsSelected(), 1);
  f.b.SetSelected(0);
  f.bond.m_bSelected = 1;
  EXPECT_EQ(f.bond.IsSelected(), 1);
  f.a.SetSelected(1);
  f.bond.Deselect();  // clears the bond's own flag only
  EXPECT_EQ(f.bond.m_bSelected, 0);
  EXPECT_EQ(f.a.m_bSelected, 1);
  EXPECT_EQ(f.bond.IsSelected(), 1);

  // An end inside a selected group counts.
  CGroup g;
  auto pDot = std::make_unique<CDot>();
  CDot* pInner = pDot.get();
  g.AddChild(std::move(pDot));
  CCoupling toGroup;
  toGroup.m_pEndA = &f.b;
  toGroup.m_pEndB = pInner;
  EXPECT_EQ(toGroup.IsSelected(), 0);
  g.m_bSelected = 1;
  EXPECT_EQ(toGroup.IsSelected(), 1);
}

TEST(CouplingSelection, IntersectsThroughItsEndsAndIsNeverInside) {
  BondFixture f({0, 0}, {1000, 0}, 1);
  const CRect nearA{-100, 100, 100, -100}, nearB{900, 100, 1100, -100}, middle{400, 100, 600, -100};
  EXPECT_EQ(f.bond.Intersects(nearA), 1);
  EXPECT_EQ(f.bond.Intersects(nearB), 1);
  EXPECT_EQ(f.bond.Intersects(middle), 0);
  EXPECT_FALSE(f.bond.IsInside(CRect{-5000, 5000, 5000, -5000}));
  f.bond.m_pEndB = nullptr;
  EXPECT_EQ(f.bond.Intersects(nearB), 0);
  EXPECT_EQ(f.bond.Intersects(nearA), 1);
  EXPECT_FALSE(f.bond.HitHandle({0, 0}));
}

TEST(CouplingSelection, BondEndsThatAreBondsDoNotGoRoundInCircles) {
  CCoupling a, b;
  a.m_pEndA = &b;
  a.m_pEndB = &a;
  b.m_pEndA = &a;
  b.m_pEndB = &b;
  a.m_rcBounds = CRect{0, 100, 100, 0};
  EXPECT_EQ(a.IsSelected(), 0);
  EXPECT_EQ(a.Intersects(CRect{50, 500, 500, 50}), 1);
  EXPECT_EQ(b.Intersects(CRect{500, 900, 900, 500}), 0);
  b.m_bSelected = 1;
  EXPECT_EQ(a.IsSelected(), 1);
  CRecordingDC dc;
  a.Draw(&dc);
  EXPECT_EQ(a.m_ptA, b.m_ptAnchor);
}

TEST(CouplingClip, RayLeavesTheFrame) {
  const CRect box{0, 100, 200, 0};
  const CPoint S{100, 50};
  EXPECT_EQ(CCoupling::ClipRay(S, {100, 900}, box), (CPoint{100, 100}));
  EXPECT_EQ(CCoupling::ClipRay(S, {100, -900}, box), (CPoint{100, 0}));
  EXPECT_EQ(CCoupling::ClipRay(S, {100, 50}, box), (CPoint{100, 0}));
  EXPECT_EQ(CCoupling::ClipRay(S, {1000, 50}, box), (CPoint{200, 50}));
  EXPECT_EQ(CCoupling::ClipRay(S, {-1000, 50}, box), (CPoint{0, 50}));
  // k = 0.2: y = 50 + 100 * 0.2 = 70 on the right side.
  EXPECT_EQ(CCoupling::ClipRay(S, {600, 150}, box), (CPoint{200, 70}));
  // Steep: y would be 50 + 100 * 4 = 450, so the top edge at x = 100 + round(50 / 4) = 113.
  EXPECT_EQ(CCoupling::ClipRay(S, {200, 450}, box), (CPoint{113, 100}));
  EXPECT_EQ(CCoupling::ClipRay(S, {0, -350}, box), (CPoint{88, 0}));
}

}  // namespace

namespace {

// A formula drawn once, as the view draws every object before the bonds, so that its box
// is the one of its text: with the recording metrics a "C" at scale 1 is 120 x 270.
std::unique_ptr<CFormula> MakeFormula(const char* pszText, CPoint anchor, CRecordingDC& dc) {
  auto p = std::make_unique<CFormula>();
  p->m_strText = pszText;
  p->ResetDone();
  p->MoveTo(anchor);
  p->Draw(&dc);
  return p;
}

TEST(CouplingAttach, BondToAFormulaLeavesTheLetterFrame) {
  CRecordingDC dc;
  auto pF = MakeFormula("C", {0, 1000}, dc);
  EXPECT_EQ(pF->m_rcBounds, (CRect{0, 1000, 120, 730}));
  CDot dot;
  dot.MoveTo({5060, 885});
  CCoupling bond;
  bond.m_pEndA = pF.get();
  bond.m_pEndB = &dot;
  bond.Draw(&dc);
  // Letter frame (-30, 1020, 150, 710); the centre is the middle of the "C", half a
  // letter below the frame's top.
  EXPECT_EQ(bond.m_szLetter, (CSize{120, 270}));
  EXPECT_EQ(bond.m_rcBounds, (CRect{-30, 1020, 150, 710}));
  EXPECT_EQ(bond.m_nAttachDx, 90);
  EXPECT_EQ(bond.m_nAttachDy, 135);
  EXPECT_EQ(bond.m_ptA, (CPoint{150, 885}));
  EXPECT_EQ(bond.m_ptB, (CPoint{5060, 885}));

  // Straight down, and with the formula as end B.
  dot.ResetDone();
  dot.MoveTo({60, -5000});
  bond.Draw(&dc);
  EXPECT_EQ(bond.m_ptA, (CPoint{60, 710}));
  std::swap(bond.m_pEndA, bond.m_pEndB);
  bond.Draw(&dc);
  EXPECT_EQ(bond.m_ptA, (CPoint{60, -5000}));
  EXPECT_EQ(bond.m_ptB, (CPoint{60, 710}));
}

TEST(CouplingAttach, BondBetweenTwoFormulasFollowsBoth) {
  CRecordingDC dc;
  auto p1 = MakeFormula("C", {0, 1000}, dc);
  auto p2 = MakeFormula("C", {3000, 1000}, dc);
  CCoupling bond;
  bond.m_pEndA = p1.get();
  bond.m_pEndB = p2.get();
  bond.Draw(&dc);
  EXPECT_EQ(bond.m_ptA, (CPoint{150, 885}));
  EXPECT_EQ(bond.m_ptB, (CPoint{2970, 885}));

  // Move the second formula up and to the right: both end points change.
  p2->ResetDone();
  p2->MoveTo({3000, 4000});
  p2->Draw(&dc);
  bond.Draw(&dc);
  EXPECT_EQ(bond.m_ptA, (CPoint{150, 975}));
  EXPECT_EQ(bond.m_ptB, (CPoint{2970, 3795}));
  const auto lines = dc.RecordsOf(CRecordingDC::Op::Line);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().pts[0], (CPoint{150, 975}));
  EXPECT_EQ(lines.back().pts[1], (CPoint{2970, 3795}));
}

TEST(CouplingAttach, LetterSizeFollowsScaleAndEmptyTextAndLiveDrawing) {
  CRecordingDC dc;
  auto pF = MakeFormula("OH", {0, 0}, dc);
  CDot dot;
  dot.MoveTo({0, -9000});
  CCoupling bond;
  bond.m_pEndA = pF.get();
  bond.m_pEndB = &dot;
  bond.Draw(&dc);
  // The middle of the first letter, not of the whole text: x = 60, 90 from the frame's left.
  EXPECT_EQ(bond.m_nAttachDx, 90);

  pF->m_dScale = 2.0;
  pF->Draw(&dc);
  bond.Draw(&dc);
  EXPECT_EQ(bond.m_szLetter, (CSize{240, 540}));
  EXPECT_EQ(bond.m_nAttachDx, 150);
  EXPECT_EQ(bond.m_nAttachDy, 270);

  // An empty text attaches where its caret stands.
  auto pEmpty = MakeFormula("", {1000, 0}, dc);
  CCoupling toEmpty;
  toEmpty.m_pEndA = &dot;
  toEmpty.m_pEndB = pEmpty.get();
  toEmpty.Draw(&dc);
  EXPECT_EQ(toEmpty.m_ptA, (CPoint{0, -9000}));
  EXPECT_EQ(toEmpty.m_rcBounds.left + toEmpty.m_nAttachDx, 1000) << pEmpty->m_rcBounds.left;

  // While the bond is dragged out of a formula, A leaves the frame toward the mouse.
  CCoupling live;
  live.m_pEndA = pF.get();
  live.m_bLive = 1;
  live.m_ptB = CPoint{10000, pF->m_ptAnchor.y - 270};
  live.Draw(&dc);
  EXPECT_EQ(live.m_ptA.x, live.m_rcBounds.right);
  EXPECT_EQ(live.m_ptB, (CPoint{10000, -270}));
}

}  // namespace

namespace {

// Whether the segment a-b meets the box (left <= right, bottom <= top).
bool MeetsBox(CPoint a, CPoint b, const CRect& box) {
  double u0 = 0.0, u1 = 1.0;
  const auto keep = [&](double p, double q) {
    if (p == 0.0) return q >= 0.0;
    const double r = q / p;
    if (p < 0.0) {
      u0 = std::max(u0, r);
    } else {
      u1 = std::min(u1, r);
    }
    return u0 <= u1;
  };
  const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
  return keep(-dx, a.x - double(box.left)) && keep(dx, double(box.right) - a.x) &&
         keep(-dy, a.y - double(box.bottom)) && keep(dy, double(box.top) - a.y);
}

}  // namespace

// A bond drawn with its dashes or its curve samples spaced along it does on a surface with
// a clip box only the part that can reach the device: every stroke of the unclipped
// drawing that comes near the box is drawn, exactly, and little else, whatever the ends,
// the length, the thickness and the mapping.
TEST(CouplingDraw, StrokesAlongABondAreClippedToWhatCanShow) {
  std::uint64_t seed = 20240611;
  const auto next = [&seed] {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(seed >> 33);
  };
  const auto coord = [&] {
    // Mostly near the window, some anywhere in the 32-bit range.
    return next() % 4 == 0 ? static_cast<std::int32_t>(next())
                           : static_cast<std::int32_t>(next() % 200000) - 100000;
  };
  for (int n = 0; n < 60; ++n) {
    const int nStyle = std::array{7, 9, 10}[next() % 3];
    BondFixture f({coord(), coord()}, {coord(), coord()}, nStyle, 1 + int(next() % 2));
    f.bond.m_dThickness = std::array{0.1, 1.0, 3.0, 1e300}[next() % 4];
    SCOPED_TRACE(testing::Message()
                 << "style " << nStyle << " from (" << f.a.m_ptAnchor.x << ", " << f.a.m_ptAnchor.y
                 << ") to (" << f.b.m_ptAnchor.x << ", " << f.b.m_ptAnchor.y << ")");
    f.Draw();
    const auto all = f.Lines();
    // A window of 800 x 600 pixels somewhere, at a scale of 1 to 40 units a pixel.
    const int nUnits = 1 + int(next() % 40);
    f.dc.SetMapMode(MM_ANISOTROPIC);
    f.dc.SetWindowOrg(static_cast<std::int32_t>(next() % 200000) - 100000,
                      static_cast<std::int32_t>(next() % 200000) - 100000);
    f.dc.SetWindowExt(nUnits, -nUnits);
    f.dc.SetViewportExt(1, 1);
    f.dc.SetDeviceSize(CSize{800, 600});
    const CRect box = *f.dc.GetClipBox();
    f.Draw();
    const auto clipped = f.Lines();
    std::set<std::array<int, 5>> drawn;
    for (const auto& c : clipped) {
      drawn.insert({c.pts[0].x, c.pts[0].y, c.pts[1].x, c.pts[1].y, c.pen.nWidth});
    }
    std::size_t nNear = 0;
    for (const auto& r : all) {
      if (!MeetsBox(r.pts[0], r.pts[1], box)) continue;
      ++nNear;
      ASSERT_TRUE(drawn.count({r.pts[0].x, r.pts[0].y, r.pts[1].x, r.pts[1].y, r.pen.nWidth}))
          << "a stroke at (" << r.pts[0].x << ", " << r.pts[0].y << ") is missing";
    }
    // Besides those, only the strokes whose ink may still reach it (as wide as the dashes
    // or the curve's swing and the pen) and one more on either side: however long the
    // bond, the work is what the window's stretch of it holds.
    const double t = std::min(f.bond.m_dThickness, 1000.0);
    const double l = std::hypot(double(f.a.m_ptAnchor.x) - f.b.m_ptAnchor.x,
                                double(f.a.m_ptAnchor.y) - f.b.m_ptAnchor.y);
    const double step = std::max(nStyle == 10 ? 10.0 : 80.0, std::ceil(l / 16384));
    const double reach =
        std::hypot(double(box.right) - box.left, double(box.top) - box.bottom) + 2 * (50 * t + 32);
    EXPECT_LE(double(clipped.size()), reach / step + 4) << nNear << " of " << all.size();
  }
}
