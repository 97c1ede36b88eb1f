// Wide solid lines stroked straight into an image's pixels: against Qt's own antialiased
// stroke of the same line, against the coverage rule worked out pixel by pixel, at and
// beyond the image's edges, and in order among the figures the painter draws.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>

#include "PixelCompare.h"
#include "platform/CQtDC.h"
#include "platform/LineRaster.h"

namespace {

// How far the direct stroke may stray from Qt's: Qt measures the covered area of each pixel
// and draws round ends as curves flattened to polygons, the direct stroke goes by the
// distance of the pixel's centre to the segment. Both agree wherever a pixel is wholly in
// or out; along the sides they differ by a few hundredths of coverage, and most (up to
// about 0.15) at the edges of the round ends of pens some ten pixels wide, where Qt's
// flattened end lies a little inside the true circle.
constexpr int kMaxChannelDiff = 40;
constexpr double kMaxMeanDiff = 6.0;  // per channel, over the pixels either stroke touched

LineRasterTarget TargetOf(QImage& image) {
  return LineRasterTarget{reinterpret_cast<std::uint32_t*>(image.bits()), image.bytesPerLine() / 4,
                          image.width(), image.height()};
}

void QtStroke(QImage& image, QPointF a, QPointF b, double width, QColor color) {
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, true);
  QPen pen(color);
  pen.setWidthF(width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  p.setPen(pen);
  QPainterPath path(a);
  path.lineTo(b);
  p.drawPath(path);
}

std::uint32_t Argb(QColor c) { return 0xFF000000u | (c.rgb() & 0xFFFFFFu); }

// Distance of pixel (x, y)'s centre to the segment a-b.
double CentreDistance(int x, int y, QPointF a, QPointF b) {
  const double px = x + 0.5 - a.x(), py = y + 0.5 - a.y();
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  const double l2 = dx * dx + dy * dy;
  const double t = l2 > 0 ? std::clamp((px * dx + py * dy) / l2, 0.0, 1.0) : 0.0;
  return std::hypot(px - t * dx, py - t * dy);
}

// The colour the coverage rule gives a pixel of background bg: coverage
// clamp(r + 0.5 - d, 0, 1) of the opaque colour over it, each channel rounded.
QRgb Expected(QRgb bg, QRgb color, double cover) {
  const double a = std::round(std::clamp(cover, 0.0, 1.0) * 255.0) / 255.0;
  const auto mix = [&](int s, int d) { return static_cast<int>(std::lround(s * a + d * (1 - a))); };
  return qRgba(mix(qRed(color), qRed(bg)), mix(qGreen(color), qGreen(bg)),
               mix(qBlue(color), qBlue(bg)), mix(255, qAlpha(bg)));
}

// An opaque background of many colours, changing from pixel to pixel.
QImage Patterned(int w, int h) {
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      image.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x * y) % 256, (255 - x * 5) & 255));
    }
  }
  return image;
}

QImage White(int w, int h, QImage::Format format = QImage::Format_ARGB32_Premultiplied) {
  return MakeImage(w, h, Qt::white, format);
}

// Checks every pixel of an image stroked directly against the coverage rule applied to the
// background it was drawn over; channels may differ by one where the rounding of the
// coverage falls on the other side. Returns the number of pixels the stroke changed.
int ExpectCoverageRule(const QImage& drawn, const QImage& bg, QPointF a, QPointF b, double r,
                       QRgb color) {
  int nChanged = 0, nBad = 0;
  for (int y = 0; y < drawn.height(); ++y) {
    for (int x = 0; x < drawn.width(); ++x) {
      const double d = CentreDistance(x, y, a, b);
      const QRgb want = Expected(bg.pixel(x, y), color, r + 0.5 - d);
      const QRgb got = drawn.pixel(x, y);
      if (got != bg.pixel(x, y)) ++nChanged;
      // Exactly the colour half a pixel inside, exactly the background half a pixel out.
      const int tolerance = (d <= r - 0.5 || d >= r + 0.5) ? 0 : 1;
      if (ChannelDiff(got, want) > tolerance && ++nBad <= 5) {
        ADD_FAILURE() << "pixel " << x << "," << y << " at distance " << d << " (radius " << r
                      << "): got " << std::hex << got << " want " << want;
      }
    }
  }
  return nChanged;
}

}  // namespace

TEST(DirectLine, RandomLinesMatchQtsOwnStrokeOnWhiteAndOnColour) {
  std::mt19937 rng(20261209);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  constexpr int kW = 96, kH = 80;
  const QImage patterned = Patterned(kW, kH);
  int nWorst = 0;
  double dWorstMean = 0;
  for (int i = 0; i < 240; ++i) {
    const double width = 1.5 + unit(rng) * 18.5;
    const double len = (i % 10 == 0) ? unit(rng) * 2 : 4 + unit(rng) * 60;
    const double angle = unit(rng) * 6.283185307179586;
    const QPointF a(10 + unit(rng) * 76, 10 + unit(rng) * 60);
    const QPointF b = a + QPointF(len * std::cos(angle), len * std::sin(angle));
    const QColor color(static_cast<int>(unit(rng) * 255), static_cast<int>(unit(rng) * 255),
                       static_cast<int>(unit(rng) * 255));
    const QImage bg = (i % 2 == 0) ? White(kW, kH) : patterned;
    QImage mine = bg, qt = bg;
    FillCapsule(TargetOf(mine), a.x(), a.y(), b.x(), b.y(), width / 2, Argb(color));
    QtStroke(qt, a, b, width, color);
    int nMax = 0, nTouched = 0;
    long sum = 0;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const QRgb m = mine.pixel(x, y), q = qt.pixel(x, y);
        const int diff = ChannelDiff(m, q);
        nMax = std::max(nMax, diff);
        if (m != bg.pixel(x, y) || q != bg.pixel(x, y)) {
          ++nTouched;
          sum += std::abs(qRed(m) - qRed(q)) + std::abs(qGreen(m) - qGreen(q)) +
                 std::abs(qBlue(m) - qBlue(q));
        }
        // Far from the line neither stroke changes anything.
        if (CentreDistance(x, y, a, b) > width / 2 + 1.5) {
          ASSERT_EQ(m, bg.pixel(x, y)) << "line " << i << " pixel " << x << "," << y;
          ASSERT_EQ(q, bg.pixel(x, y)) << "line " << i << " pixel " << x << "," << y;
        }
      }
    }
    const double mean = nTouched > 0 ? sum / (3.0 * nTouched) : 0.0;
    EXPECT_LE(nMax, kMaxChannelDiff) << "line " << i << " width " << width << " from " << a.x()
                                     << "," << a.y() << " to " << b.x() << "," << b.y();
    EXPECT_LE(mean, kMaxMeanDiff) << "line " << i;
    nWorst = std::max(nWorst, nMax);
    dWorstMean = std::max(dWorstMean, mean);
  }
  RecordProperty("worst_channel_diff", nWorst);
  RecordProperty("worst_mean_diff_x100", static_cast<int>(dWorstMean * 100));
}

TEST(DirectLine, EveryPixelFollowsTheCoverageRule) {
  // Level, upright, diagonal and odd angles, sub-pixel ends, thin and wide, on colour.
  struct Case {
    QPointF a, b;
    double r;
  };
  const Case cases[] = {
      {{10, 20.5}, {50, 20.5}, 2.0},    {{10.25, 20.3}, {50.7, 20.3}, 0.75},
      {{30.5, 5}, {30.5, 55}, 3.3},     {{5.1, 5.2}, {55.3, 52.9}, 2.0},
      {{50.2, 8.9}, {12.4, 40.1}, 6.6}, {{20.0, 30.0}, {21.0, 30.2}, 4.5},
      {{8, 50}, {58, 47.5}, 1.1},       {{33.3, 12.1}, {35.9, 57.7}, 9.9},
  };
  const QImage bg = Patterned(64, 64);
  for (const Case& c : cases) {
    QImage drawn = bg;
    const QRgb color = qRgb(30, 140, 250);
    FillCapsule(TargetOf(drawn), c.a.x(), c.a.y(), c.b.x(), c.b.y(), c.r, color);
    EXPECT_GT(ExpectCoverageRule(drawn, bg, c.a, c.b, c.r, color), 20);
  }
}

TEST(DirectLine, ALineOfNoLengthIsARoundDot) {
  const QImage bg = White(40, 40);
  for (const double r : {0.8, 2.5, 7.25}) {
    QImage drawn = bg;
    const QPointF c(19.7, 20.2);
    FillCapsule(TargetOf(drawn), c.x(), c.y(), c.x(), c.y(), r, qRgb(0, 0, 0));
    const int n = ExpectCoverageRule(drawn, bg, c, c, r, qRgb(0, 0, 0));
    // About the disc's area, and round: as wide as it is high.
    EXPECT_NEAR(n, 3.14159 * (r + 0.5) * (r + 0.5), 2 * 3.14159 * (r + 0.5) + 2) << r;
    int x0 = 40, x1 = -1, y0 = 40, y1 = -1;
    for (int y = 0; y < 40; ++y) {
      for (int x = 0; x < 40; ++x) {
        if (drawn.pixel(x, y) == bg.pixel(x, y)) continue;
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
    }
    EXPECT_LE(std::abs((x1 - x0) - (y1 - y0)), 1) << r;
    if (r > 1) {
      EXPECT_EQ(drawn.pixel(19, 20), qRgb(0, 0, 0)) << r;  // the middle is covered
    }
  }
}

TEST(DirectLine, CutAtEveryEdgeAndFromFarOutsideDrawsOnlyTheVisiblePart) {
  constexpr int kW = 50, kH = 40;
  const QImage bg = Patterned(kW, kH);
  struct Case {
    QPointF a, b;
    double r;
  };
  const Case cases[] = {
      // Through each edge, and a round end hanging over each edge.
      {{-20, 10.5}, {25, 12}, 2.5},
      {{30, 20}, {80, 25.5}, 2.5},
      {{12.5, -30}, {14, 20}, 3.0},
      {{40, 15}, {37.2, 70}, 3.0},
      {{-1.2, 30}, {-1.0, 5}, 2.2},
      {{51.1, 5}, {51.0, 35}, 2.2},
      {{5, -1.5}, {45, -1.6}, 2.0},
      {{5, 41.4}, {45, 41.2}, 2.0},
      // Far beyond the image on both sides, crossing it, and crossing a corner.
      {{-1e9, -1e9}, {1e9, 1e9 + 7}, 3.5},
      {{-1e9, 20.25}, {1e9, 20.25}, 1.75},
      {{25.5, -1e9}, {25.5, 1e9}, 4.0},
      {{-1e9, 1e9}, {1e9 + 3, -1e9 + 40}, 2.0},
      {{-1e9, -1e9 + 0.5}, {kW - 10.0, 20.5}, 3.0},
  };
  for (const Case& c : cases) {
    QImage drawn = bg;
    const QRgb color = qRgb(200, 10, 90);
    FillCapsule(TargetOf(drawn), c.a.x(), c.a.y(), c.b.x(), c.b.y(), c.r, color);
    EXPECT_GT(ExpectCoverageRule(drawn, bg, c.a, c.b, c.r, color), 10)
        << c.a.x() << "," << c.a.y() << " " << c.b.x() << "," << c.b.y();
  }
  // Wholly outside, even just beyond the reach of the stroke: nothing changes.
  for (const Case& c : {Case{{-4.1, -10}, {-4.1, 50}, 3.5}, Case{{-1e9, 43.6}, {1e9, 43.6}, 3},
                        Case{{1e9, 1e9}, {2e9, 3e9}, 100}}) {
    QImage drawn = bg;
    FillCapsule(TargetOf(drawn), c.a.x(), c.a.y(), c.b.x(), c.b.y(), c.r, qRgb(0, 0, 0));
    EXPECT_EQ(drawn, bg);
  }
}

TEST(DirectLine, NonFiniteInputDrawsNothingAndAHugePenCoversAll) {
  const QImage bg = Patterned(30, 20);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const double bad[][5] = {{nan, 1, 5, 5, 2}, {1, 1, inf, 5, 2},        {1, -inf, 5, 5, 2},
                           {1, 1, 5, 5, nan}, {1, 1, 5, 5, inf},        {1, 1, 5, 5, 0.5},
                           {1, 1, 5, 5, -3},  {nan, nan, nan, nan, nan}};
  for (const auto& v : bad) {
    QImage drawn = bg;
    const LineRasterBox box = FillCapsule(TargetOf(drawn), v[0], v[1], v[2], v[3], v[4], 0);
    EXPECT_TRUE(box.IsEmpty());
    EXPECT_EQ(drawn, bg);
  }
  QImage drawn = bg;
  const LineRasterBox box = FillCapsule(TargetOf(drawn), -1e9, 3, 1e9, 5, 1e8, qRgb(9, 8, 7));
  EXPECT_EQ(box.x0, 0);
  EXPECT_EQ(box.y0, 0);
  EXPECT_EQ(box.x1, 29);
  EXPECT_EQ(box.y1, 19);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) ASSERT_EQ(drawn.pixel(x, y), qRgb(9, 8, 7));
  }
}

TEST(DirectLine, TheChangedBoxBoundsEveryChangedPixel) {
  const QImage bg = White(60, 50);
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> coord(-20.0, 80.0);
  int nDrawn = 0;
  for (int i = 0; i < 60; ++i) {
    QImage drawn = bg;
    const LineRasterBox box = FillCapsule(TargetOf(drawn), coord(rng), coord(rng), coord(rng),
                                          coord(rng), 0.6 + (i % 7), qRgb(0, 0, 0));
    int n = 0;
    for (int y = 0; y < 50; ++y) {
      for (int x = 0; x < 60; ++x) {
        if (drawn.pixel(x, y) == bg.pixel(x, y)) continue;
        ++n;
        ASSERT_TRUE(x >= box.x0 && x <= box.x1 && y >= box.y0 && y <= box.y1)
            << "line " << i << " pixel " << x << "," << y;
      }
    }
    nDrawn += n > 0 ? 1 : 0;
  }
  EXPECT_GT(nDrawn, 30);
}

// ---- Through the surface ----

namespace {

constexpr int kSW = 160, kSH = 120;

void Line(CDC& dc, int x0, int y0, int x1, int y1) {
  dc.MoveToEx(x0, y0);
  dc.LineTo(x1, y1);
}

using Scene = std::function<void(CDC&)>;

QImage OnOwnPainter(const Scene& scene, QImage::Format format) {
  QImage image = White(kSW, kSH, format);
  {
    CQtDC dc(&image);
    scene(dc);
  }
  return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Every figure through Qt: a borrowed painter never strokes lines itself.
QImage AllQt(const Scene& scene) {
  QImage image = White(kSW, kSH);
  QPainter painter(&image);
  {
    CQtDC dc(&painter);
    scene(dc);
  }
  painter.end();
  return image;
}

PixelComparison Compare(const QImage& a, const QImage& b) { return ComparePixels(a, b); }

}  // namespace

TEST(DirectLine, LinesInterleaveWithQtFiguresInDrawingOrder) {
  const Scene scene = [](CDC& dc) {
    MapZoomOne(dc);
    // A Qt figure, a direct line across it, a Qt figure over the line, text over all,
    // then a direct line over the text and a last Qt figure over its end.
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
    dc.SelectObject(CBrush{BS_SOLID, RGB(0, 160, 0)});
    dc.Rectangle(150, -150, 1500, -1200);
    dc.SelectObject(CPen{PS_SOLID, 90, RGB(200, 0, 0)});
    Line(dc, 75, -600, 2200, -700);
    dc.SelectObject(CPen{PS_SOLID, 15, RGB(0, 0, 0)});
    dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 220)});
    dc.Ellipse(600, -300, 1100, -1000);
    CFont font;
    font.nHeight = -300;
    dc.SelectObject(font);
    dc.SetTextColor(RGB(0, 0, 0));
    dc.TextOut(1300, -450, "HO");
    dc.SelectObject(CPen{PS_SOLID, 60, RGB(250, 200, 0)});
    Line(dc, 1200, -300, 2300, -1500);
    dc.SelectObject(CBrush{BS_SOLID, RGB(120, 0, 120)});
    const CPoint tri[3] = {{2000, -1100}, {2350, -1300}, {2100, -1700}};
    dc.Polygon(tri, 3);
  };
  const QImage direct = OnOwnPainter(scene, QImage::Format_ARGB32_Premultiplied);
  const QImage qt = AllQt(scene);
  const PixelComparison c = Compare(direct, qt);
  EXPECT_GT(c.nDifferent, 0);  // the lines were stroked directly, not by Qt
  EXPECT_LE(c.nMaxDiff, kMaxChannelDiff);
  // Pixels well inside each figure show the last one drawn there.
  EXPECT_EQ(direct.pixel(20, 20), qRgb(0, 160, 0));     // rectangle
  EXPECT_EQ(direct.pixel(30, 41), qRgb(200, 0, 0));     // red line over the rectangle
  EXPECT_EQ(direct.pixel(56, 43), qRgb(0, 0, 220));     // ellipse over the red line
  EXPECT_EQ(direct.pixel(135, 47), qRgb(200, 0, 0));    // red line beyond the rectangle
  EXPECT_EQ(direct.pixel(102, 44), qRgb(250, 200, 0));  // yellow over the text cell
  EXPECT_EQ(direct.pixel(111, 55), qRgb(250, 200, 0));  // yellow line beyond the cell
  EXPECT_EQ(direct.pixel(143, 91), qRgb(120, 0, 120));  // triangle over the yellow line
}

TEST(DirectLine, AnRgb32ImageGetsTheSameOpaquePixels) {
  const Scene scene = [](CDC& dc) {
    MapZoomOne(dc);
    for (int i = 0; i < 12; ++i) {
      dc.SelectObject(CPen{PS_SOLID, 20 + 11 * i, RGB(20 * i, 255 - 20 * i, 90)});
      Line(dc, 100 + 180 * i, -100, 2300 - 170 * i, -1700 + 40 * i);
    }
  };
  const QImage premultiplied = OnOwnPainter(scene, QImage::Format_ARGB32_Premultiplied);
  const QImage rgb32 = OnOwnPainter(scene, QImage::Format_RGB32);
  EXPECT_EQ(Compare(premultiplied, rgb32).nDifferent, 0);
  const PixelComparison c = Compare(rgb32, AllQt(scene));
  EXPECT_GT(c.nDifferent, 0);
  EXPECT_LE(c.nMaxDiff, kMaxChannelDiff);
}

TEST(DirectLine, OtherLinesAndSurfacesStayWithQt) {
  // Each of these must paint exactly as Qt does: the direct stroke would differ.
  const Scene dotted = [](CDC& dc) {
    MapZoomOne(dc);
    dc.SelectObject(CPen{PS_DOT, 60, RGB(0, 0, 0)});
    Line(dc, 100, -100, 2200, -1500);
  };
  const Scene thin = [](CDC& dc) {
    MapZoomOne(dc);
    dc.SelectObject(CPen{PS_SOLID, 15, RGB(0, 0, 0)});  // one pixel
    Line(dc, 100, -100, 2200, -1500);
  };
  const Scene uneven = [](CDC& dc) {
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1440, 1440);
    dc.SetViewportExt(96, -60);  // x and y scaled differently: an oval pen
    dc.SelectObject(CPen{PS_SOLID, 90, RGB(0, 0, 0)});
    Line(dc, 100, -100, 2200, -1500);
  };
  for (const Scene* p : {&dotted, &thin, &uneven}) {
    const QImage own = OnOwnPainter(*p, QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(Compare(own, AllQt(*p)).nDifferent, 0);
    EXPECT_NE(own, White(kSW, kSH));
  }
  // An inverting line twice gives back the paper.
  QImage image = White(kSW, kSH);
  {
    CQtDC dc(&image);
    MapZoomOne(dc);
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CPen{PS_SOLID, 90, RGB(0, 0, 0)});
    Line(dc, 100, -100, 2200, -1500);
    Line(dc, 100, -100, 2200, -1500);
  }
  EXPECT_EQ(image, White(kSW, kSH));
  // A clip set on the surface's painter by its owner is kept.
  QImage clipped = White(kSW, kSH);
  {
    CQtDC dc(&clipped);
    dc.GetPainter()->setClipRect(QRect(0, 0, 80, kSH));
    MapZoomOne(dc);
    dc.SelectObject(CPen{PS_SOLID, 90, RGB(0, 0, 0)});
    Line(dc, 100, -900, 2300, -900);
  }
  EXPECT_EQ(clipped.pixel(40, 60), qRgb(0, 0, 0));
  EXPECT_EQ(clipped.pixel(120, 60), qRgb(255, 255, 255));
}

TEST(DirectLine, ALineOfNoLengthShowsOnTheScreenAsInExports) {
  // Exports and printing draw through a borrowed painter, so Qt decides what a line of
  // no length shows; the screen's own painter must agree with it.
  const Scene point = [](CDC& dc) {
    MapZoomOne(dc);
    dc.SelectObject(CPen{PS_SOLID, 90, RGB(0, 0, 0)});
    Line(dc, 1000, -800, 1000, -800);
    dc.SelectObject(CPen{PS_SOLID, 60, RGB(200, 0, 0)});
    Line(dc, 1500, -1000, 1800, -1000);  // a real line beside it still shows
  };
  const QImage own = OnOwnPainter(point, QImage::Format_ARGB32_Premultiplied);
  EXPECT_LE(Compare(own, AllQt(point)).nMaxDiff, 40);
  EXPECT_EQ(own.pixel(66, 53), AllQt(point).pixel(66, 53));  // where the dot would be
  EXPECT_NE(own, White(kSW, kSH));
}

TEST(DirectLine, ExtremeMappingsAndCoordinatesAreSafe) {
  QImage image = White(kSW, kSH);
  {
    CQtDC dc(&image);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SelectObject(CPen{PS_SOLID, 2000000000, RGB(0, 0, 0)});
    for (const int ext : {1, 1000000000}) {
      dc.SetWindowExt(ext, ext);
      dc.SetViewportExt(2000000000, 2000000000);
      const int big = std::numeric_limits<int>::max();
      Line(dc, -big, -big, big, big);
      Line(dc, big, -big, -big, big);
      Line(dc, 0, 0, 0, 0);
    }
    dc.SetWindowExt(0, 0);  // a mapping to infinity and beyond
    Line(dc, 1, 1, 5, 5);
  }
  // The huge pen covered the image.
  EXPECT_EQ(image.pixel(kSW / 2, kSH / 2), qRgb(0, 0, 0));
}
