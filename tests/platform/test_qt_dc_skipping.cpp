// The image surface skips figures and text that cannot touch the image, and keeps the
// painter's state between primitives. Neither may change a single pixel: every case here
// compares against a surface that does neither.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>

#include "PixelCompare.h"
#include "platform/CQtDC.h"
#include "platform/CTextMetrics.h"

namespace {

constexpr int kW = 160, kH = 120;

QImage Blank() { return MakeImage(kW, kH, Qt::white, QImage::Format_ARGB32_Premultiplied); }

using Scene = std::function<void(CDC&)>;

// Drawn by a surface with its own painter: the one that skips what cannot show.
QImage OnOwnPainter(const Scene& scene) {
  QImage image = Blank();
  {
    CQtDC dc(&image);
    scene(dc);
  }
  return image;
}

// Drawn through a borrowed painter, which never skips anything.
QImage OnBorrowedPainter(const Scene& scene) {
  QImage image = Blank();
  QPainter painter(&image);
  {
    CQtDC dc(&painter);
    scene(dc);
  }
  painter.end();
  return image;
}

// Pixels where a channel differs by more than the tolerance.
int CountDifferent(const QImage& a, const QImage& b, int tolerance = 0) {
  return ComparePixels(a, b, tolerance).nDifferent;
}

// A surface with its own painter on an image strokes wide solid lines itself, a borrowed
// painter leaves them to Qt: the two agree within this in the fringes of such lines. A
// figure wrongly left out differs by far more.
constexpr int kLineTolerance = 40;

int CountInk(const QImage& a) {
  int n = 0;
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) n += a.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
  }
  return n;
}

void Line(CDC& dc, int x0, int y0, int x1, int y1) {
  dc.MoveToEx(x0, y0);
  dc.LineTo(x1, y1);
}

// Logical units of the image's edges with MapZoomOne(dc, 0, 0): x 0 .. 2400, y 0 .. -1800.
constexpr int kRight = kW * 15, kBottom = -kH * 15;

}  // namespace

TEST(QtDCSkipping, FiguresAtAndBeyondTheEdgesPaintExactlyAsWithoutSkipping) {
  const Scene scene = [](CDC& dc) {
    MapZoomOne(dc, 0, 0);
    // Underneath everything, an ellipse enclosing the whole image (only its outline
    // misses it) and a polygon around it.
    dc.SelectObject(CPen{PS_SOLID, 20, RGB(90, 90, 90)});
    dc.SelectObject(CBrush{BS_SOLID, RGB(240, 240, 200)});
    dc.Ellipse(-20000, 20000, kRight + 20000, kBottom - 20000);
    const CPoint around[4] = {{-3000, 3000},
                              {kRight + 3000, 2500},
                              {kRight + 2000, kBottom - 3000},
                              {-2500, kBottom - 2000}};
    dc.SelectObject(CBrush{BS_SOLID, RGB(200, 240, 255)});
    dc.Polygon(around, 4);
    // A wide pen whose middle line runs outside the left edge but whose half width and
    // antialiased fringe reach in, and one just far enough out to leave the image alone.
    dc.SelectObject(CPen{PS_SOLID, 120, RGB(200, 0, 0)});
    Line(dc, -40, -200, -40, -1500);
    Line(dc, -2000, -200, -2000, -1500);
    // A round cap poking in over the top edge.
    Line(dc, 600, 50, 600, 2000);
    // Both ends outside, the line crossing the whole image diagonally.
    dc.SelectObject(CPen{PS_SOLID, 20, RGB(0, 0, 200)});
    Line(dc, -5000, 3000, kRight + 5000, kBottom - 3000);
    // A thin pen one pixel inside the right edge and one far beyond it.
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 120, 0)});
    Line(dc, kRight - 10, 0, kRight - 10, kBottom);
    Line(dc, kRight + 400, 0, kRight + 400, kBottom);
    // A dotted pen along the bottom edge.
    dc.SelectObject(CPen{PS_DOT, 0, RGB(0, 0, 0)});
    Line(dc, 0, kBottom + 5, kRight, kBottom + 5);
    // A frame straddling a corner.
    dc.SelectObject(CBrush{BS_HOLLOW, 0});
    dc.Rectangle(kRight - 300, 300, kRight + 300, -300);
    // Filled figures wholly outside, on every side.
    dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 0)});
    dc.Rectangle(-900, -100, -400, -600);
    dc.Rectangle(kRight + 400, -100, kRight + 900, -600);
    dc.Ellipse(100, 900, 600, 400);
    dc.Ellipse(100, kBottom - 400, 600, kBottom - 900);
  };
  const QImage own = OnOwnPainter(scene);
  const QImage borrowed = OnBorrowedPainter(scene);
  EXPECT_GT(CountInk(own), kW * kH / 2);  // the scene really paints
  EXPECT_EQ(CountDifferent(own, borrowed, kLineTolerance), 0);
}

TEST(QtDCSkipping, TextCellsAtTheEdgesPaintExactlyAsWithoutSkipping) {
  const Scene scene = [](CDC& dc) {
    MapZoomOne(dc, 0, 0);
    dc.SelectObject(CBrush{BS_SOLID, RGB(220, 220, 220)});
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(220, 220, 220)});
    dc.Rectangle(0, 0, kRight, kBottom);  // a grey ground, so that the white cells show
    dc.SetTextColor(RGB(0, 0, 0));
    CFont font;
    font.nHeight = -300;
    dc.SelectObject(font);
    const CSize ext = dc.GetTextExtent("Wg");
    // Cells hanging over each edge, one just outside each edge, one far away.
    dc.TextOut(-ext.cx / 2, -600, "Wg");
    dc.TextOut(kRight - ext.cx / 2, -600, "Wg");
    dc.TextOut(900, ext.cy / 2, "Wg");
    dc.TextOut(900, kBottom + ext.cy / 2, "Wg");
    dc.TextOut(-ext.cx - 20, -900, "Wg");
    dc.TextOut(kRight + 20, -900, "Wg");
    dc.TextOut(1200, ext.cy + 20, "Wg");
    dc.TextOut(1200, kBottom - 20, "Wg");
    dc.TextOut(-100000, 100000, "Wg");
  };
  const QImage own = OnOwnPainter(scene);
  EXPECT_EQ(CountDifferent(own, OnBorrowedPainter(scene)), 0);
  // The cells over the edges did paint: some white inside the grey ground.
  int nWhite = 0;
  for (int y = 0; y < kH; ++y) nWhite += own.pixel(0, y) == qRgb(255, 255, 255) ? 1 : 0;
  EXPECT_GT(nWhite, 0);
}

TEST(QtDCSkipping, ScrolledMappingsAndStrokesAcrossTheImagePaintTheSame) {
  // The view's mapping at other zooms and scroll positions, with figures on a grid that
  // the image cuts through.
  for (const int scale : {1440, 4300, 480}) {
    for (const CPoint org : {CPoint{0, 0}, CPoint{-70, -33}, CPoint{45, 90}}) {
      const Scene scene = [&](CDC& dc) {
        dc.SetMapMode(MM_ANISOTROPIC);
        dc.SetWindowExt(scale, scale);
        dc.SetViewportExt(96, -96);
        dc.SetViewportOrg(org.x, org.y);
        for (int i = 0; i < 40; ++i) {
          const int x = (i % 8) * 700 - 400, y = -(i / 8) * 700 + 300;
          dc.SelectObject(CPen{i % 3 == 0 ? PS_DOT : PS_SOLID, (i % 4) * 20, RGB(i * 6, 0, 0)});
          dc.SelectObject(CBrush{i % 2 == 0 ? BS_SOLID : BS_HOLLOW, RGB(0, 255 - i * 5, 0)});
          const CPoint band[4] = {{x, y}, {x + 300, y - 170}, {x + 260, y - 240}, {x - 40, y - 70}};
          dc.Polygon(band, 4);
          Line(dc, x, y, x + 300, y - 170);
          dc.Ellipse(x + 100, y + 50, x + 400, y - 250);
        }
      };
      EXPECT_EQ(CountDifferent(OnOwnPainter(scene), OnBorrowedPainter(scene), kLineTolerance), 0)
          << "scale " << scale << " origin " << org.x << "," << org.y;
    }
  }
}

// One surface keeps pens, brushes and the transform between primitives; a fresh surface
// for every primitive starts from nothing. A state kept too long (a brush on a figure
// that has none, a pen whose width in pixels changed with the mapping) shows as a
// difference.
TEST(QtDCSkipping, KeptPainterStateDrawsAsAFreshSurfaceForEachFigure) {
  struct Step {
    int nScale;
    CPen pen;
    CBrush brush;
    int nFigure;  // 0 line, 1 rectangle, 2 ellipse, 3 polygon, 4 text
  };
  const Step steps[] = {
      {1440, CPen{PS_SOLID, 40, RGB(255, 0, 0)}, CBrush{BS_SOLID, RGB(0, 0, 255)}, 1},
      {1440, CPen{PS_SOLID, 40, RGB(255, 0, 0)}, CBrush{BS_SOLID, RGB(0, 0, 255)}, 0},
      {1440, CPen{PS_SOLID, 40, RGB(255, 0, 0)}, CBrush{BS_HOLLOW, 0}, 2},
      {1440, CPen{PS_SOLID, 10, RGB(0, 0, 0)}, CBrush{BS_HOLLOW, 0}, 3},
      // The same pen is one pixel wide at this zoom and wider at the next.
      {14400, CPen{PS_SOLID, 10, RGB(0, 0, 0)}, CBrush{BS_SOLID, RGB(0, 200, 0)}, 3},
      {144, CPen{PS_SOLID, 10, RGB(0, 0, 0)}, CBrush{BS_SOLID, RGB(0, 200, 0)}, 3},
      {1440, CPen{PS_DOT, 30, RGB(0, 90, 0)}, CBrush{BS_SOLID, RGB(200, 200, 0)}, 4},
      {1440, CPen{PS_DOT, 30, RGB(0, 90, 0)}, CBrush{BS_SOLID, RGB(200, 200, 0)}, 1},
      {1440, CPen{PS_SOLID, 30, RGB(0, 90, 0)}, CBrush{BS_SOLID, RGB(200, 0, 200)}, 2},
  };
  const auto draw = [](CDC& dc, const Step& s) {
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(s.nScale, s.nScale);
    dc.SetViewportExt(96, -96);
    dc.SetViewportOrg(10, 10);
    dc.SelectObject(s.pen);
    dc.SelectObject(s.brush);
    const int u = s.nScale / 96;  // logical units a pixel
    switch (s.nFigure) {
      case 0:
        Line(dc, 5 * u, -5 * u, 120 * u, -90 * u);
        break;
      case 1:
        dc.Rectangle(20 * u, -10 * u, 90 * u, -60 * u);
        break;
      case 2:
        dc.Ellipse(30 * u, -20 * u, 140 * u, -100 * u);
        break;
      case 3: {
        const CPoint tri[3] = {{2 * u, -50 * u}, {70 * u, -2 * u}, {130 * u, -95 * u}};
        dc.Polygon(tri, 3);
        break;
      }
      default: {
        CFont font;
        font.nHeight = -20 * u;
        dc.SelectObject(font);
        dc.TextOut(15 * u, -40 * u, "Kept");
        break;
      }
    }
  };
  QImage kept = Blank();
  {
    CQtDC dc(&kept);
    for (const Step& s : steps) draw(dc, s);
  }
  QImage fresh = Blank();
  for (const Step& s : steps) {
    CQtDC dc(&fresh);
    draw(dc, s);
  }
  EXPECT_GT(CountInk(kept), 1000);
  EXPECT_EQ(CountDifferent(kept, fresh), 0);
}

TEST(QtDCSkipping, AnotherUserOfABorrowedPainterDoesNotLeaveItsStateOnOurFigures) {
  const auto scene = [](QPainter& painter, bool bInterfere) {
    CQtDC dc(&painter);
    MapZoomOne(dc, 0, 0);
    dc.SelectObject(CPen{PS_SOLID, 40, RGB(0, 0, 160)});
    dc.SelectObject(CBrush{BS_SOLID, RGB(160, 0, 0)});
    dc.Rectangle(150, -150, 1200, -900);
    if (bInterfere) {
      // The window's own drawing between two of ours, through the same painter.
      painter.setWorldTransform(QTransform::fromScale(3, 3));
      painter.setCompositionMode(QPainter::CompositionMode_Xor);
      painter.setRenderHint(QPainter::Antialiasing, false);
      painter.setPen(QPen(Qt::green, 7));
      painter.setBrush(Qt::yellow);
    }
    dc.Rectangle(900, -600, 2000, -1500);
  };
  QImage plain = Blank(), interfered = Blank();
  {
    QPainter p(&plain);
    scene(p, false);
  }
  {
    QPainter p(&interfered);
    scene(p, true);
  }
  EXPECT_EQ(CountDifferent(plain, interfered), 0);
}

// A white figure on white paper is left out: blending opaque white over white at any
// coverage gives white again. The premise itself, on a surface that leaves nothing out.
TEST(QtDCSkipping, WhiteFiguresOnWhitePaperChangeNoPixel) {
  const Scene scene = [](CDC& dc) {
    MapZoomOne(dc, 3, -2);
    dc.SelectObject(CBrush{BS_SOLID, RGB(255, 255, 255)});
    for (int i = 0; i < 60; ++i) {
      // Odd sizes and angles put the edges at every fraction of a pixel.
      const int x = (i * 397) % 2300, y = -((i * 251) % 1700);
      dc.SelectObject(CPen{PS_SOLID, (i % 5) * 17 + 1, RGB(255, 255, 255)});
      const CPoint band[4] = {
          {x, y}, {x + 333 + i, y - 117 - 3 * i}, {x + 301, y - 197}, {x - 29, y - 61 - i}};
      dc.Polygon(band, 4);
      Line(dc, x + 7, y - 3, x + 250 - 4 * i, y - 311 + 2 * i);
      dc.Ellipse(x + 11, y - 13, x + 171 + i, y - 97);
    }
  };
  EXPECT_EQ(CountInk(OnBorrowedPainter(scene)), 0);
  EXPECT_EQ(CountInk(OnOwnPainter(scene)), 0);
}

// White bands behind bonds over other strokes, close beside them, and on paper only, the
// way a drawing of rings paints them: whatever is left out, the picture is the same.
TEST(QtDCSkipping, WhiteBandsNearOtherStrokesPaintExactlyAsWithoutSkipping) {
  for (const int scale : {1440, 700, 3000}) {
    const Scene scene = [&](CDC& dc) {
      dc.SetMapMode(MM_ANISOTROPIC);
      dc.SetWindowExt(scale, scale);
      dc.SetViewportExt(96, -96);
      dc.SetViewportOrg(0, 0);
      const int u = scale / 96;  // units a pixel
      for (int i = 0; i < 12; ++i) {
        const int x = (i % 4) * 40 * u, y = -(i / 4) * 40 * u;
        // A black stroke, then a white band at a distance from it growing with i: over it,
        // touching its fringe, a pixel or two away, far away.
        dc.SelectObject(CPen{PS_SOLID, 3 * u, RGB(0, 0, 0)});
        Line(dc, x + 5 * u, y - 5 * u, x + 35 * u, y - 30 * u);
        const int d = (i - 2) * u / 2;
        const CPoint band[4] = {{x + 5 * u + d, y - 12 * u},
                                {x + 30 * u + d, y - 34 * u},
                                {x + 34 * u + d, y - 30 * u},
                                {x + 9 * u + d, y - 8 * u}};
        dc.SelectObject(CBrush{BS_SOLID, RGB(255, 255, 255)});
        dc.SelectObject(CPen{PS_SOLID, 1, RGB(255, 255, 255)});
        dc.Polygon(band, 4);
        // A thick white line across the black one.
        dc.SelectObject(CPen{PS_SOLID, 2 * u, RGB(255, 255, 255)});
        Line(dc, x + 2 * u, y - 38 * u, x + 38 * u, y - 2 * u);
      }
    };
    const QImage own = OnOwnPainter(scene);
    EXPECT_GT(CountInk(own), 500);
    EXPECT_EQ(CountDifferent(own, OnBorrowedPainter(scene), kLineTolerance), 0)
        << "scale " << scale;
  }
}

TEST(QtDCSkipping, AThickWhiteStrokeBesideABlackOneIsLeftOutOnlyBeyondItsReach) {
  const Scene scene = [](CDC& dc) {
    MapZoomOne(dc, 0, 0);
    // Its middle line a little farther away each time: the half width and fringe of the
    // white stroke reach the black one until they no longer do.
    for (int i = 0; i < 20; ++i) {
      // Two columns of ten, a quarter of a pixel farther each time from 3 to 8 pixels,
      // at fractional positions.
      const int x = (i % 2) * 1200, y = -(7 + (i / 2) * 11) * 15 - 7 * (i % 3);
      dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
      Line(dc, x + 75, y, x + 1100, y);
      dc.SelectObject(CPen{PS_SOLID, 90, RGB(255, 255, 255)});
      const int d = 45 + i * 4;  // in units, 15 a pixel
      Line(dc, x + 75, y - d, x + 1100, y - d);
    }
  };
  const QImage own = OnOwnPainter(scene);
  EXPECT_GT(CountInk(own), 500);
  EXPECT_EQ(CountDifferent(own, OnBorrowedPainter(scene), kLineTolerance), 0);
}

// A text cell is opaque white: on white paper it is left out, next to ink it is painted.
TEST(QtDCSkipping, TextCellsOnPaperAndBesideInkPaintExactlyAsWithoutSkipping) {
  const Scene scene = [](CDC& dc) {
    MapZoomOne(dc, 0, 0);
    dc.SetTextColor(RGB(0, 0, 120));
    CFont font;
    font.nHeight = -240;
    dc.SelectObject(font);
    const CSize ext = dc.GetTextExtent("CH");
    for (int i = 0; i < 8; ++i) {
      const int x = 60 + (i % 4) * 560, y = -60 - (i / 4) * 900;
      // A thin line above the cell, nearer with each i, the last ones through the cell.
      dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
      Line(dc, x - 30, y + 60 - i * 10, x + ext.cx + 30, y + 60 - i * 10);
      dc.TextOut(x, y, "CH");
    }
    dc.TextOut(300, -1500, "on paper");
  };
  const QImage own = OnOwnPainter(scene);
  EXPECT_GT(CountInk(own), 200);
  EXPECT_EQ(CountDifferent(own, OnBorrowedPainter(scene)), 0);
}

// Strings are shaped once and their glyphs kept; drawn again from what was kept, they
// paint exactly what QPainter::drawText paints for them, in every face, size and place.
TEST(QtDCSkipping, KeptShapesPaintAsDrawingTheTextAfresh) {
  struct Case {
    const char* face;
    int nHeight;
    const char* text;
  };
  const Case cases[] = {{"Arial", -240, "CH"},    {"Arial", -180, "3"},
                        {"Arial", -240, "NO"},    {"Arial", -517, "Wgf;x"},
                        {"Symbol", -240, "abpD"}, {"Arial", -240, "\x8a\xe8\xbe"},
                        {"Arial", 300, "O\xf0H"}, {"Times New Roman", -333, "Kq"}};
  for (const int nCodePage : {1252, 1250}) {
    ASSERT_TRUE(CTextMetrics::SetCodePage(nCodePage));
    QImage kept = Blank(), fresh = Blank();
    {
      CQtDC dc(&kept);
      for (int pass = 0; pass < 2; ++pass) {  // the second pass draws from what was kept
        MapZoomOne(dc, pass * 7, 0);
        int y = -30;
        for (const Case& c : cases) {
          dc.SelectObject(CFont{c.face, c.nHeight, 400});
          dc.SetTextColor(RGB(0, 0, 0));
          dc.TextOut(40 + pass * 1150, y, c.text);
          y -= 210;
        }
      }
    }
    {
      // The same cells through a plain painter: the cell's transform, its white fill, the
      // reference font scaled to the height, the text at its ascent.
      QPainter p(&fresh);
      p.setRenderHint(QPainter::Antialiasing, true);
      p.setRenderHint(QPainter::TextAntialiasing, true);
      for (int pass = 0; pass < 2; ++pass) {
        int y = -30;
        for (const Case& c : cases) {
          const CFont font{c.face, c.nHeight, 400};
          const double s = 96.0 / 1440.0;
          const QTransform cell(s, 0, 0, s, pass * 7 + (40 + pass * 1150) * s, -y * s);
          const double k = CTextMetrics::ScaleOf(font);
          const CTextMetrics::ReferenceFace face = CTextMetrics::CachedReferenceFace(font);
          const CSize ext = CTextMetrics::Extent(font, c.text);
          p.setWorldTransform(cell);
          p.fillRect(QRectF(0, 0, ext.cx, ext.cy), Qt::white);  // cells overlap here
          p.setWorldTransform(QTransform::fromScale(k, k) * cell);
          p.setFont(face.font);
          p.setPen(Qt::black);
          p.drawText(QPointF(0, face.dAscent), CTextMetrics::TextFor(font, c.text));
          y -= 210;
        }
      }
    }
    EXPECT_GT(CountInk(kept), 300);
    EXPECT_EQ(CountDifferent(kept, fresh), 0) << "code page " << nCodePage;
  }
  CTextMetrics::SetCodePage(1252);
}

// An ellipse far larger than the image is drawn as the part of its outline (or area) that
// reaches the image, sampled a pixel apart: what Qt draws of the whole curve, within the
// antialiased fringe, however large it is.
TEST(QtDCSkipping, EllipsesFarLargerThanTheImageDrawWhatQtDrawsOfThem) {
  struct Case {
    const char* name;
    CRect box;
    int nPen;
    bool bFill;
  };
  const int R = kRight, B = kBottom;
  const Case cases[] = {
      {"enclosing, thin pen", {-40000, 40000, R + 40000, B - 40000}, 0, false},
      {"enclosing, filled", {-40000, 40000, R + 40000, B - 40000}, 20, true},
      {"edge across the image, wide pen", {-30000, 30000, R / 2, B - 30000}, 150, false},
      {"edge across, filled", {R / 3, 50000, R / 3 + 120000, B - 50000}, 20, true},
      {"flat and wide, crossing twice", {-60000, -600, R + 60000, -1200}, 40, false},
      {"flat, filled", {-60000, -600, R + 60000, -1200}, 0, true},
      {"a corner clipped", {R - 600, 900, R + 90000, -90000}, 60, false},
      {"outside, beside the image", {R + 200, 50000, R + 100000, B - 50000}, 60, true},
      {"enormous", {-2000000000, 2000000000, 2000000000, -2000000000}, 20, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto colours = [&c](CDC& dc) {
      dc.SelectObject(CPen{PS_SOLID, c.nPen, RGB(0, 0, 160)});
      dc.SelectObject(c.bFill ? CBrush{BS_SOLID, RGB(250, 200, 0)} : CBrush{BS_HOLLOW, 0});
    };
    const QImage own = OnOwnPainter([&](CDC& dc) {
      MapZoomOne(dc, 0, 0);
      colours(dc);
      dc.Ellipse(c.box.left, c.box.top, c.box.right, c.box.bottom);
    });
    // Qt's own drawing of the whole ellipse, with the same mapping and pen.
    QImage qt = Blank();
    {
      QPainter p(&qt);
      p.setRenderHint(QPainter::Antialiasing);
      p.setWorldTransform(QTransform::fromScale(96.0 / 1440.0, -96.0 / 1440.0));
      QPen pen(QColor(0, 0, 160));
      if (c.nPen * 96.0 / 1440.0 <= 1.0) {
        pen.setWidth(0);
        pen.setCosmetic(true);
      } else {
        pen.setWidthF(c.nPen);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
      }
      p.setPen(pen);
      p.setBrush(c.bFill ? QBrush(QColor(250, 200, 0)) : QBrush(Qt::NoBrush));
      p.drawEllipse(QRectF(QPointF(c.box.left, c.box.top), QPointF(c.box.right, c.box.bottom)));
    }
    const int nInk = std::max(CountInk(own), CountInk(qt));
    // Only pixels of the curve's fringe may differ, and not by much.
    EXPECT_LE(CountDifferent(own, qt, 100), std::max(3, nInk / 50))
        << CountInk(own) << " against " << CountInk(qt) << " inked";
  }
}
