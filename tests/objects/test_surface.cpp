// The surface's own state: selection and restoration, raster operations, the mappings and
// the recording surface's fixed metrics.
#include <gtest/gtest.h>

#include "objects/CRecordingDC.h"
#include "tests/objects/GeometryPrinters.h"

TEST(Surface, SelectReturnsPreviousAndGuardsRestore) {
  CRecordingDC dc;
  const CPen red{PS_DOT, 40, RGB(255, 0, 0)};
  const CPen prev = dc.SelectObject(red);
  EXPECT_EQ(prev, CPen{});
  EXPECT_EQ(dc.SelectObject(prev), red);
  {
    CSelectGuard<CFont> font(&dc, CFont{"Symbol", -180, 400});
    CRop2Guard rop(&dc, R2_NOTXORPEN);
    EXPECT_EQ(dc.GetCurrentFont().strFace, "Symbol");
    EXPECT_EQ(dc.GetROP2(), R2_NOTXORPEN);
  }
  EXPECT_EQ(dc.GetCurrentFont(), CFont{});
  EXPECT_EQ(dc.GetROP2(), R2_COPYPEN);
}

TEST(Surface, PenWidthsAreClampedToDrawableRange) {
  CRecordingDC dc;
  dc.SelectObject(CPen{PS_SOLID, -5, 0});
  EXPECT_EQ(dc.GetCurrentPen().nWidth, 0);
  dc.SelectObject(CPen{PS_SOLID, 2000000000, 0});
  EXPECT_EQ(dc.GetCurrentPen().nWidth, kMaxPenWidth);
}

TEST(Surface, PrimitivesRecordStateAndNormalisedBoxes) {
  CRecordingDC dc;
  dc.SelectObject(CBrush{BS_HOLLOW, 0});
  dc.MoveToEx(10, 20);
  dc.LineTo(30, 40);
  dc.LineTo(50, 0);  // continues from the current position
  dc.Rectangle(100, -100, 0, 0);
  const auto& r = dc.Records();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].pts[0], (CPoint{10, 20}));
  EXPECT_EQ(r[1].pts[0], (CPoint{30, 40}));
  EXPECT_EQ(r[1].pts[1], (CPoint{50, 0}));
  EXPECT_EQ(r[2].pts[0], (CPoint{0, 0}));  // top-left of the box, y up
  EXPECT_EQ(r[2].pts[1], (CPoint{100, -100}));
  EXPECT_EQ(r[2].brush.nStyle, BS_HOLLOW);
}

TEST(Surface, PolyPolygonDrawsEachPolygon) {
  CRecordingDC dc;
  const CPoint pts[] = {{0, 0}, {10, 0}, {5, 5}, {20, 20}, {30, 20}, {25, 25}};
  const int counts[] = {3, 3};
  dc.PolyPolygon(pts, counts, 2);
  const auto polys = dc.RecordsOf(CRecordingDC::Op::Polygon);
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_EQ(polys[1].pts[0], (CPoint{20, 20}));
}

TEST(Surface, RecordingMetricsAndOpaqueTextCell) {
  CRecordingDC dc;
  dc.SelectObject(CFont{"Arial", -240, 400});
  EXPECT_EQ(dc.GetTextExtent("HO"), (CSize{240, 270}));
  dc.SetTextColor(RGB(0, 0, 255));
  dc.TextOut(100, 500, "H");
  const auto texts = dc.RecordsOf(CRecordingDC::Op::Text);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].pts[0], (CPoint{100, 500}));
  EXPECT_EQ(texts[0].pts[1], (CPoint{220, 230}));  // the cell goes down from the point
  EXPECT_EQ(texts[0].crText, RGB(0, 0, 255));
}

TEST(SurfaceMapping, AnisotropicViewMapping) {
  // The view's mapping at 96 pixels per inch and zoom 1: 1440 units per 96 pixels, y up.
  CRecordingDC dc;
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(1440, 1440);
  dc.SetViewportExt(96, -96);
  EXPECT_EQ(dc.LPtoDP(CPoint{1440, -1440}), (CPoint{96, 96}));
  EXPECT_EQ(dc.DPtoLP(CPoint{10, 10}), (CPoint{150, -150}));
  dc.SetWindowOrg(300, 0);
  EXPECT_EQ(dc.LPtoDP(CPoint{300, 0}), (CPoint{0, 0}));
  // A zero extent is ignored rather than dividing by zero.
  dc.SetWindowExt(0, 5);
  EXPECT_EQ(dc.GetWindowExt(), (CSize{1440, 1440}));
}

TEST(SurfaceMapping, HimetricIsHundredthsOfAMillimetreWithYUp) {
  CRecordingDC dc;
  dc.SetPixelsPerInch(254);
  dc.SetMapMode(MM_HIMETRIC);
  EXPECT_EQ(dc.LPtoDP(CPoint{1000, 1000}), (CPoint{100, -100}));
  EXPECT_EQ(dc.DPtoLP(CPoint{100, -100}), (CPoint{1000, 1000}));
}
