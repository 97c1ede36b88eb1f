#include <gtest/gtest.h>

#include <cmath>

#include "ViewFixture.h"
#include "objects/CRecordingDC.h"
#include "resources/CommandIds.h"

using ViewState = ViewFixture;

TEST_F(ViewState, ConstructionStateAndDocumentClient) {
  EXPECT_EQ(doc.GetClient(), &view);
  EXPECT_EQ(view.Viewport().Zoom(), 10.0);
  EXPECT_EQ(view.Viewport().ExtBottom(), 10);
  EXPECT_EQ(view.Viewport().ExtRight(), 10);
  EXPECT_EQ(view.m_bPaintEnabled, 1);
  EXPECT_EQ(view.m_bPendingModified, 1);
  EXPECT_TRUE(view.Embedding().IsKillArmed());
  EXPECT_EQ(view.SelCount(), 0);
  EXPECT_EQ(view.Current(), nullptr);
  EXPECT_TRUE(view.History().IsEmpty());
  EXPECT_EQ(view.History().Position(), std::nullopt);
  EXPECT_EQ(view.Settings().m_bEnglish, 1);
  EXPECT_NE(view.m_cfNative, 0u);
  EXPECT_EQ(host.m_formats.count("Valendra Native"), 1u);
  EXPECT_EQ(host.m_formats.count("Object Descriptor"), 1u);
}

TEST(ViewLanguage, CzechUserInterfaceClearsEnglishAndViewUnregistersOnDestruction) {
  FakeViewHost host;
  host.m_nLanguage = 1029;
  CKvillDoc doc;
  {
    CKvillView view(&host, &doc);
    EXPECT_EQ(view.Settings().m_bEnglish, 0);
    EXPECT_EQ(doc.GetClient(), &view);
  }
  EXPECT_EQ(doc.GetClient(), nullptr);
}

using ViewCoordinates = ViewFixture;

TEST_F(ViewCoordinates, ClickAtZoomOneIsFifteenUnitsPerPixel) {
  view.Viewport().SetZoom(1.0);
  EXPECT_EQ(view.DeviceToLogical(CPoint{10, 10}), (CPoint{150, -150}));
  EXPECT_EQ(view.DeviceToLogical(CPoint{0, 0}), (CPoint{0, 0}));
  // 120 pixels per inch: 12 units per pixel.
  host.m_nDpiX = host.m_nDpiY = 120;
  EXPECT_EQ(view.DeviceToLogical(CPoint{10, 10}), (CPoint{120, -120}));
}

TEST_F(ViewCoordinates, ScrollOffsetsTreatTheAxesDifferently) {
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(400);
  view.Viewport().SetScrollY(400);
  EXPECT_EQ(view.ScrollOffsetX(), 5);   // 2000 / 4 / 100
  EXPECT_EQ(view.ScrollOffsetY(), 10);  // 2000 / 2 / 100
  // (0 + 5) * 1440 * 2 / 96 = 150; -(0 + 10) * 1440 * 2 / 96 = -300.
  EXPECT_EQ(view.DeviceToLogical(CPoint{0, 0}), (CPoint{150, -300}));

  CRecordingDC dc;
  view.OnPrepareDC(&dc);
  EXPECT_EQ(dc.GetMapMode(), MM_ANISOTROPIC);
  EXPECT_EQ(dc.GetWindowExt(), (CSize{2880, 2880}));
  EXPECT_EQ(dc.GetViewportExt(), (CSize{96, -96}));
  EXPECT_EQ(dc.GetViewportOrg(), (CPoint{-5, -10}));
}

TEST_F(ViewCoordinates, SurfaceMappingInvertsTheMouseConversion) {
  for (double z : {1.0, 1.2, 2.0, 0.5}) {
    view.Viewport().SetZoom(z);
    view.Viewport().SetScrollX(1234);
    view.Viewport().SetScrollY(4321);
    CRecordingDC dc;
    view.OnPrepareDC(&dc);
    for (CPoint p : {CPoint{0, 0}, CPoint{37, 81}, CPoint{640, 480}}) {
      const CPoint P = view.DeviceToLogical(p);
      const CPoint back = dc.LPtoDP(P);
      EXPECT_LE(std::abs(back.x - p.x), 1) << z;
      EXPECT_LE(std::abs(back.y - p.y), 1) << z;
    }
  }
}

TEST_F(ViewCoordinates, InverseConversionSubtractsTheScrollOffset) {
  view.Viewport().SetZoom(1.0);
  EXPECT_EQ(view.LogicalToDevice(CPoint{150, -150}), (CPoint{10, 10}));
  // Parts of a pixel are cut off toward zero on both sides of the origin:
  // 158 / 15 = 10.53 gives 10, and -158 / 15 gives -10.
  EXPECT_EQ(view.LogicalToDevice(CPoint{158, -158}), (CPoint{10, 10}));
  EXPECT_EQ(view.LogicalToDevice(CPoint{-158, 158}), (CPoint{-10, -10}));
  EXPECT_EQ(view.LogicalToDevice(CPoint{164, -164}), (CPoint{10, 10}));
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(400);
  view.Viewport().SetScrollY(400);
  // trunc(3000 / 30) - 5 = 95; trunc(3000 / 30) - 10 = 90.
  EXPECT_EQ(view.LogicalToDevice(CPoint{3000, -3000}), (CPoint{95, 90}));
  // trunc(3029 / 30) = trunc(100.97) = 100, before the offset.
  EXPECT_EQ(view.LogicalToDevice(CPoint{3029, -3029}), (CPoint{95, 90}));
}

using ViewZoom = ViewFixture;

TEST_F(ViewZoom, ZoomInStopsAtTwoTenths) {
  view.Viewport().SetZoom(0.2);
  view.OnZoomIn();
  EXPECT_EQ(view.Viewport().Zoom(), 0.2);
  view.Viewport().SetZoom(0.21);
  view.OnZoomIn();
  EXPECT_NEAR(view.Viewport().Zoom(), 0.175, 1e-12);
}

TEST_F(ViewZoom, NineStepsInAndEightOutFromOne) {
  view.OnZoomDefault();
  EXPECT_EQ(view.Viewport().Zoom(), 1.0);
  for (int i = 0; i < 9; ++i) view.OnZoomIn();
  EXPECT_NEAR(view.Viewport().Zoom(), std::pow(1.2, -9), 1e-12);
  EXPECT_NEAR(view.Viewport().Zoom(), 0.194, 0.001);
  view.OnZoomIn();  // a tenth step does nothing
  EXPECT_NEAR(view.Viewport().Zoom(), std::pow(1.2, -9), 1e-12);

  view.OnZoomDefault();
  for (int i = 0; i < 8; ++i) view.OnZoomOut();
  EXPECT_NEAR(view.Viewport().Zoom(), std::pow(1.2, 8), 1e-9);
  EXPECT_NEAR(view.Viewport().Zoom(), 4.30, 0.01);
  view.OnZoomOut();
  EXPECT_NEAR(view.Viewport().Zoom(), std::pow(1.2, 8), 1e-9);
}

TEST_F(ViewZoom, EmptyDrawingStillZoomsAndHasNoScrollBars) {
  view.OnZoomDefault();
  view.OnZoomIn();
  EXPECT_NEAR(view.Viewport().Zoom(), 1 / 1.2, 1e-12);
  EXPECT_EQ(view.Viewport().ExtBottom(), 10);
  EXPECT_EQ(view.Viewport().ExtRight(), 10);
  EXPECT_FALSE(host.m_bars[SB_HORZ].bShown);
  EXPECT_FALSE(host.m_bars[SB_VERT].bShown);
  view.OnZoomOut();
  EXPECT_NEAR(view.Viewport().Zoom(), 1.0, 1e-12);
}

TEST_F(ViewZoom, WheelTakesOneStepPerMessageAndNothingWhileResizing) {
  view.OnZoomDefault();
  view.OnMouseWheel(240);  // two notches
  EXPECT_NEAR(view.Viewport().Zoom(), 1 / 1.2, 1e-12);
  view.OnMouseWheel(-360);
  EXPECT_NEAR(view.Viewport().Zoom(), 1.0, 1e-12);
  view.Mouse().SetResizing(1);
  view.OnMouseWheel(120);
  view.OnCommand(cmd::kZoomOut);
  EXPECT_NEAR(view.Viewport().Zoom(), 1.0, 1e-12);
}

TEST_F(ViewZoom, ZoomKeepsTheScrolledPlaceByThePageSizes) {
  AddEllipse(0, 0, 30000, -30000);  // reduced extents 10000 x 10000
  view.OnZoomDefault();
  EXPECT_EQ(view.Viewport().HPage(), 800);
  EXPECT_EQ(view.Viewport().VPage(), 600);
  view.Viewport().SetScrollX(12000);
  view.Viewport().SetScrollY(3000);
  view.OnZoomIn();
  // Pages at z = 1/1.2: trunc(800 * 10000 / 12000) = 666, trunc(600 * 10000 / 12000) = 500.
  EXPECT_EQ(view.Viewport().HPage(), 666);
  EXPECT_EQ(view.Viewport().VPage(), 500);
  // x: trunc((12000 - trunc(333 - 400)) / 1.2) = trunc(12067 / 1.2) = 10055.
  EXPECT_EQ(view.Viewport().ScrollX(), 10055);
  // y: 3000 + 600 / 2 - 500 / 2 = 3050.
  EXPECT_EQ(view.Viewport().ScrollY(), 3050);
  view.OnZoomOut();
  // x: trunc((10055 - trunc(400 - 333)) * 1.2) = trunc(9988 * 1.2) = 11985.
  EXPECT_EQ(view.Viewport().ScrollX(), 11985);
  EXPECT_EQ(view.Viewport().ScrollY(), 3000);
}

TEST_F(ViewZoom, DefaultZoomResetsZoomAndScroll) {
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(500);
  view.Viewport().SetScrollY(700);
  EXPECT_TRUE(view.OnCommand(cmd::kZoomDefault));
  EXPECT_EQ(view.Viewport().Zoom(), 1.0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
  EXPECT_EQ(view.Viewport().ScrollY(), 0);
}

TEST_F(ViewZoom, SizeChangeValidatesTheFrameInsideToolbarAndBorders) {
  host.m_rcClient = CRect{0, 0, 400, 300};
  view.OnSize();
  EXPECT_EQ(host.CountLog("ValidateParentRect 2,32,398,332"), 1);
  view.Settings().m_bToolBarHidden = 1;
  view.OnSize();
  EXPECT_EQ(host.CountLog("ValidateParentRect 2,2,398,302"), 1);
}
