// Zoom to Fit as the window shows it: a drawing far out of sight ends up whole in the
// window, its ink clear of the window's edges (an object cut off by an edge would leave ink
// on it) and centred.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>

#include "../view/InteractFixture.h"
#include "bench/ImageHost.h"
#include "formula/CFormula.h"
#include "resources/CommandIds.h"

namespace {

class WindowOnImages : public ImageHostOn<InteractHost> {};

struct Ink {
  int nPixels = 0;
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Ink InkOf(const QImage& image) {
  Ink ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == 0xffffffffu) continue;
      ++ink.nPixels;
      ink.left = std::min(ink.left, x);
      ink.right = std::max(ink.right, x);
      ink.top = std::min(ink.top, y);
      ink.bottom = std::max(ink.bottom, y);
    }
  }
  return ink;
}

class ZoomToFitPixels : public ::testing::Test {
 protected:
  ZoomToFitPixels() : view(&host, &doc) { host.m_pView = &view; }
  WindowOnImages host;
  CKvillDoc doc;
  CKvillView view;
};

TEST_F(ZoomToFitPixels, AFarDrawingComesWholeIntoTheWindowCentred) {
  struct Window {
    int cx, cy;
  };
  // A wide window and a tall one: the drawing fills the one across, the other along.
  for (const Window w : {Window{900, 500}, Window{420, 760}}) {
    SCOPED_TRACE(w.cx);
    doc.ClearForReplace();
    host.m_rcClient = CRect{0, 0, w.cx, w.cy};
    // Far right of and below the origin: a formula, a bond to a ring junction and an arrow.
    DrawingBuilder b(doc);
    CFormula* pFormula = b.Formula("CH#idown 3#", CPoint{400000, -250000});
    CDot* pDot = b.Dot(406000, -252000);
    b.Bond(pFormula, pDot);
    b.Ellipse(407000, -249000, 412000, -254000);
    b.Bond(b.Dot(398000, -256000), b.Dot(414000, -256000), 6);
    view.Viewport().SetZoom(1.0);
    view.Viewport().SetScrollX(0);
    view.Viewport().SetScrollY(0);
    view.UpdateView();
    ASSERT_EQ(InkOf(host.Window()).nPixels, 0) << "the drawing starts out of sight";

    ASSERT_TRUE(view.OnCommand(cmd::kZoomToFit));
    const Ink ink = InkOf(host.Window());
    ASSERT_GT(ink.nPixels, 0);
    // Clear of every edge by most of the 16-pixel margin.
    EXPECT_GE(ink.left, 8);
    EXPECT_GE(ink.top, 8);
    EXPECT_LE(ink.right, w.cx - 9);
    EXPECT_LE(ink.bottom, w.cy - 9);
    // Centred, and as large as the window allows on one axis (the reach a paint may take
    // is generous by a few strokes' widths).
    EXPECT_NEAR((ink.left + ink.right) / 2.0, w.cx / 2.0, 12.0);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, w.cy / 2.0, 12.0);
    const bool bFillsWidth = ink.right - ink.left >= w.cx * 3 / 4;
    const bool bFillsHeight = ink.bottom - ink.top >= w.cy * 3 / 4;
    EXPECT_TRUE(bFillsWidth || bFillsHeight)
        << ink.left << ".." << ink.right << " x " << ink.top << ".." << ink.bottom;
  }
}

}  // namespace
