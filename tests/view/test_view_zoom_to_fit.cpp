// Zoom to Fit: whatever the drawing, the window and its resolution, every object ends up
// inside the window, the drawing's span centred and filling the window on one axis, unless
// the zoom had to stop at a bound of the range the zoom commands reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "ViewFixture.h"
#include "resources/CommandIds.h"

namespace {

struct PixelBox {
  double left = 1e300, top = 1e300, right = -1e300, bottom = -1e300;
  void Add(CPoint p) {
    left = std::min(left, static_cast<double>(p.x));
    right = std::max(right, static_cast<double>(p.x));
    top = std::min(top, static_cast<double>(p.y));
    bottom = std::max(bottom, static_cast<double>(p.y));
  }
};

class ZoomToFit : public ViewFixture {
 protected:
  // Where the objects' boxes land in the window, in client pixels.
  PixelBox PaintedPixels() {
    PixelBox box;
    for (const auto& p : doc.m_listObjects) {
      const CRect& rc = p->m_rcBounds;
      box.Add(view.LogicalToDevice(CPoint{rc.left, rc.top}));
      box.Add(view.LogicalToDevice(CPoint{rc.right, rc.bottom}));
    }
    return box;
  }
};

TEST_F(ZoomToFit, EveryDrawingLandsInsideTheWindowCentred) {
  std::mt19937 rng(20261211);
  const double kMinZoom = 0.2 / 1.2, kMaxZoom = 4.0 * 1.2;
  int nFilled = 0, nAtBound = 0;
  for (int nCase = 0; nCase < 200; ++nCase) {
    SCOPED_TRACE(nCase);
    doc.ClearForReplace();
    std::uniform_int_distribution<int> size(200, 400);
    host.m_rcClient = CRect{0, 0, 2 * size(rng), 2 * size(rng) - 100};
    host.m_nDpiX = host.m_nDpiY = (nCase % 3 == 0) ? 144 : 96;
    // Somewhere from far left of and above the origin to far right and below it, from a
    // few hundred units to a few million across.
    std::uniform_int_distribution<int> where(-3'000'000, 3'000'000);
    std::uniform_int_distribution<int> count(1, 6);
    std::uniform_int_distribution<int> scale(0, 4);
    const int nSpan = static_cast<int>(std::pow(10.0, 2 + scale(rng)));
    const int x0 = where(rng), y0 = where(rng);
    std::uniform_int_distribution<int> offset(0, nSpan);
    for (int i = count(rng); i > 0; --i) {
      const int l = x0 + offset(rng), t = y0 - offset(rng);
      AddEllipse(l, t, l + 100 + offset(rng) / 4, t - 100 - offset(rng) / 4);
    }
    view.Viewport().SetZoom(1.0);
    view.Viewport().SetScrollX(0);
    view.Viewport().SetScrollY(0);
    ASSERT_TRUE(view.OnCommand(cmd::kZoomToFit));

    const double z = view.Viewport().Zoom();
    ASSERT_GE(z, kMinZoom - 1e-12);
    ASSERT_LE(z, kMaxZoom + 1e-12);
    const PixelBox box = PaintedPixels();
    const double cw = host.m_rcClient.right, ch = host.m_rcClient.bottom;
    // Centred, to the pixel the scroll offsets are truncated to.
    EXPECT_NEAR((box.left + box.right) / 2.0, cw / 2.0, 2.0);
    EXPECT_NEAR((box.top + box.bottom) / 2.0, ch / 2.0, 2.0);
    if (z >= kMaxZoom - 1e-12) {
      ++nAtBound;  // too large for the smallest scale: centred only
      continue;
    }
    EXPECT_GE(box.left, 0.0);
    EXPECT_GE(box.top, 0.0);
    EXPECT_LE(box.right, cw);
    EXPECT_LE(box.bottom, ch);
    if (z <= kMinZoom + 1e-12) continue;  // too small to fill the window even at 600 %
    // Filling one axis up to the margin of 16 pixels.
    const bool bFillsWidth = box.right - box.left >= cw - 32.0 - 2.0;
    const bool bFillsHeight = box.bottom - box.top >= ch - 32.0 - 2.0;
    EXPECT_TRUE(bFillsWidth || bFillsHeight)
        << (box.right - box.left) << " x " << (box.bottom - box.top) << " in " << cw << " x " << ch;
    ++nFilled;
  }
  // The cases reach both kinds: drawings fitted exactly, and drawings too large to fit.
  EXPECT_GT(nFilled, 30);
  EXPECT_GT(nAtBound, 5);
}

TEST_F(ZoomToFit, AnEmptyDrawingGetsTheDefaultZoom) {
  view.Viewport().SetZoom(2.0);
  view.Viewport().SetScrollX(4000);
  view.Viewport().SetScrollY(-300);
  view.OnZoomToFit();
  EXPECT_EQ(view.Viewport().Zoom(), 1.0);
  EXPECT_EQ(view.Viewport().ScrollX(), 0);
  EXPECT_EQ(view.Viewport().ScrollY(), 0);
}

}  // namespace
