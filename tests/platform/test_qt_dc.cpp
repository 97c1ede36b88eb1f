#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <vector>

#include "PixelCompare.h"
#include "platform/CQtDC.h"

namespace {

// A background with every pixel different, drawn over with ordinary antialiased figures,
// so that an inverting figure meets many colours.
QImage BusyImage(int w, int h) {
  QImage image = MakeImage(w, h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(x * 7 % 256, y * 5 % 256, (x ^ y) % 256));
  }
  CQtDC dc(&image);
  MapZoomOne(dc, 0, 0);
  dc.SelectObject(CPen{PS_SOLID, 60, RGB(30, 120, 200)});
  dc.SelectObject(CBrush{BS_SOLID, RGB(250, 200, 10)});
  dc.Ellipse(300, -300, 1500, -1400);
  return image;
}

// Draws one set of figures of each kind with the current raster operation.
void DrawFigures(CDC& dc) {
  dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 0)});
  dc.SelectObject(CPen{PS_SOLID, 20, RGB(0, 0, 0)});
  dc.Rectangle(200, -200, 1200, -900);  // frame and filled interior overlap at the edge
  dc.SelectObject(CBrush{BS_HOLLOW, 0});
  dc.SelectObject(CPen{PS_SOLID, 90, RGB(200, 30, 30)});
  dc.Ellipse(500, -100, 2000, -1300);
  dc.SelectObject(CPen{PS_DOT, 0, RGB(0, 0, 0)});
  dc.MoveToEx(0, -1500);
  dc.LineTo(2300, -50);
  const CPoint tri[3] = {{100, -1000}, {900, -1450}, {1700, -800}};
  const int counts[1] = {3};
  dc.SelectObject(CBrush{BS_SOLID, RGB(10, 200, 90)});
  dc.SelectObject(CPen{PS_SOLID, 1, RGB(0, 0, 0)});
  dc.PolyPolygon(tri, counts, 1);
}

}  // namespace

TEST(QtDCInvert, DrawingTwiceRestoresEveryPixel) {
  // Also on a high-density back buffer, where a device pixel is half a layout pixel.
  for (double dpr : {1.0, 2.0}) {
    QImage image = BusyImage(160, 110);
    image.setDevicePixelRatio(dpr);
    const QImage before = image.copy();
    for (int pass = 0; pass < 2; ++pass) {
      {
        CQtDC dc(&image);
        MapZoomOne(dc, 3, 2);
        dc.SetROP2(R2_NOTXORPEN);
        DrawFigures(dc);
      }
      int differing = 0;
      for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
          differing += image.pixel(x, y) != before.pixel(x, y);
        }
      }
      if (pass == 0) {
        EXPECT_GT(differing, 1000) << "the first pass must change the picture, dpr " << dpr;
      } else {
        EXPECT_EQ(differing, 0) << "dpr " << dpr;
      }
    }
  }
}

TEST(QtDCInvert, FilledFrameInvertsEachPixelOnce) {
  // A black square with a black outline: inverting white must give a solid black square,
  // not one whose outline was inverted twice back to white.
  QImage image = MakeImage(60, 60);
  {
    CQtDC dc(&image);
    MapZoomOne(dc, 0, 0);
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 0)});
    dc.SelectObject(CPen{PS_SOLID, 45, RGB(0, 0, 0)});  // three pixels wide
    dc.Rectangle(150, -150, 600, -600);                 // device 10..40
  }
  EXPECT_EQ(CountNot(image, Qt::black, QRect(QPoint(10, 10), QPoint(39, 39))), 0);
  EXPECT_EQ(CountNot(image, Qt::white, QRect(0, 0, 60, 5)), 0);
  EXPECT_EQ(CountNot(image, Qt::white, QRect(0, 45, 60, 15)), 0);
}

TEST(QtDCInvert, HollowBrushInvertsOnlyTheOutline) {
  QImage image = MakeImage(60, 60);
  {
    CQtDC dc(&image);
    MapZoomOne(dc, 0, 0);
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CBrush{BS_HOLLOW, 0});
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
    dc.Rectangle(150, -150, 600, -600);
  }
  EXPECT_EQ(CountNot(image, Qt::white, QRect(QPoint(13, 13), QPoint(36, 36))), 0);
  EXPECT_GT(CountNot(image, Qt::white, QRect(QPoint(8, 8), QPoint(12, 42))), 20);
}

TEST(QtDCMapping, A1440UnitLineIs96PixelsLongAtZoomOne) {
  QImage image = MakeImage(140, 80);
  CQtDC dc(&image);
  ASSERT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 96);
  ASSERT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96);
  MapZoomOne(dc, 10, 10);
  dc.SetROP2(R2_NOTXORPEN);  // aliased: every pixel is either drawn or not
  dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
  dc.MoveToEx(0, -727);  // device y 58.47
  dc.LineTo(1440, -727);
  dc.GetPainter()->end();

  int first = -1, last = -1, count = 0;
  for (int x = 0; x < image.width(); ++x) {
    if (!IsColour(image.pixel(x, 58), Qt::white)) {
      if (first < 0) first = x;
      last = x;
      ++count;
    }
  }
  EXPECT_EQ(first, 10);
  EXPECT_EQ(count, 96);
  EXPECT_EQ(last, 105);
  // One pixel thick: nothing above or below the row.
  EXPECT_EQ(CountNot(image, Qt::white, QRect(0, 0, 140, 58)), 0);
  EXPECT_EQ(CountNot(image, Qt::white, QRect(0, 59, 140, 21)), 0);
}

TEST(QtDCMapping, DeviceCapsFollowTheDevice) {
  QImage image(10, 10, QImage::Format_RGB32);
  image.setDotsPerMeterX(11811);  // 300 dpi
  image.setDotsPerMeterY(3780);
  CQtDC dc(&image);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 300);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96);
}

TEST(QtDCMapping, ViewportOriginAndYFlipPlaceFigures) {
  // A filled square at drawing units (1440, -1440)..(2880, -2880) lands 96 pixels right
  // and below the viewport origin when y points up.
  QImage image = MakeImage(260, 260);
  {
    CQtDC dc(&image);
    MapZoomOne(dc, 20, 30);
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 0)});
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
    dc.Rectangle(1440, -1440, 2880, -2880);
  }
  EXPECT_TRUE(IsColour(image.pixel(20 + 96 + 2, 30 + 96 + 2), Qt::black));
  EXPECT_TRUE(IsColour(image.pixel(20 + 192 - 2, 30 + 192 - 2), Qt::black));
  EXPECT_TRUE(IsColour(image.pixel(20 + 96 - 3, 30 + 96 + 10), Qt::white));
  EXPECT_TRUE(IsColour(image.pixel(20 + 150, 30 + 192 + 3), Qt::white));
}

TEST(QtDCPens, SelectAndRestoreReturnsThePreviousPen) {
  QImage image = MakeImage(100, 40);
  CQtDC dc(&image);
  MapZoomOne(dc, 0, 0);
  const CPen red{PS_SOLID, 60, RGB(255, 0, 0)};
  const CPen blue{PS_DOT, 30, RGB(0, 0, 255)};
  const CPen original = dc.SelectObject(red);
  {
    CSelectGuard<CPen> guard(&dc, blue);
    EXPECT_EQ(dc.GetCurrentPen(), blue);
  }
  EXPECT_EQ(dc.GetCurrentPen(), red);
  // The restored pen is the one that draws.
  dc.MoveToEx(150, -300);
  dc.LineTo(1200, -300);  // device y 20, 4 pixels wide
  EXPECT_EQ(dc.SelectObject(original), red);
  dc.GetPainter()->end();
  const QRgb mid = image.pixel(40, 20);
  EXPECT_GT(qRed(mid), 200);
  EXPECT_LT(qBlue(mid), 60);
}

TEST(QtDCPens, WidthIsLogicalButAtLeastOnePixel) {
  QImage image = MakeImage(120, 120);
  {
    CQtDC dc(&image);
    MapZoomOne(dc, 0, 0);
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CPen{PS_SOLID, 1, RGB(0, 0, 0)});  // 1/15 of a pixel
    dc.MoveToEx(150, -157);
    dc.LineTo(1500, -157);                               // device y 10.47
    dc.SelectObject(CPen{PS_SOLID, 150, RGB(0, 0, 0)});  // ten pixels
    dc.MoveToEx(300, -907);
    dc.LineTo(1300, -907);  // device y 60.47
  }
  int thin = 0, thick = 0;
  for (int y = 0; y < 40; ++y) thin += !IsColour(image.pixel(50, y), Qt::white);
  for (int y = 40; y < 90; ++y) thick += !IsColour(image.pixel(50, y), Qt::white);
  EXPECT_EQ(thin, 1);
  EXPECT_GE(thick, 9);
  EXPECT_LE(thick, 11);
}

TEST(QtDCPens, DottedPenLeavesGaps) {
  QImage image = MakeImage(120, 30);
  {
    CQtDC dc(&image);
    MapZoomOne(dc, 0, 0);
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CPen{PS_DOT, 0, RGB(0, 0, 0)});
    dc.MoveToEx(150, -157);
    dc.LineTo(1650, -157);  // 100 pixels
  }
  int on = 0, runs = 0;
  bool prev = false;
  for (int x = 0; x < image.width(); ++x) {
    const bool ink = !IsColour(image.pixel(x, 10), Qt::white);
    on += ink;
    runs += ink && !prev;
    prev = ink;
  }
  EXPECT_GE(on, 45);
  EXPECT_LE(on, 55);
  EXPECT_GE(runs, 15);
}

TEST(QtDCText, OpaqueCellHangsDownFromThePoint) {
  QImage image = MakeImage(200, 100, QColor(100, 100, 100));
  CQtDC dc(&image);
  MapZoomOne(dc, 0, 0);
  dc.SelectObject(CFont{"Arial", -480, 400});  // 32 pixels: cell 536 units, 35.7 pixels
  dc.SetTextColor(RGB(0, 0, 0));
  const CSize ext = dc.GetTextExtent("T");
  dc.TextOut(300, -300, "T");  // cell from device (20, 20)
  dc.GetPainter()->end();
  ASSERT_EQ(ext.cy, 536);
  const int w = ext.cx * 96 / 1440, h = ext.cy * 96 / 1440;
  const QRect cell(21, 21, w - 2, h - 2);
  int white = 0, ink = 0;
  for (int y = cell.top(); y <= cell.bottom(); ++y) {
    for (int x = cell.left(); x <= cell.right(); ++x) {
      const QRgb px = image.pixel(x, y);
      if (IsColour(px, Qt::white)) ++white;
      if (qRed(px) < 60) ++ink;
    }
  }
  EXPECT_GT(white, cell.width() * cell.height() / 2);
  EXPECT_GT(ink, 20);
  // Nothing above or left of the cell is touched.
  EXPECT_EQ(CountNot(image, QColor(100, 100, 100), QRect(0, 0, 200, 19)), 0);
  EXPECT_EQ(CountNot(image, QColor(100, 100, 100), QRect(0, 0, 19, 100)), 0);
  // Upright: the bar of the T is in the upper half of the cell.
  int inkTop = 0, inkBottom = 0;
  for (int x = cell.left(); x <= cell.right(); ++x) {
    for (int y = cell.top(); y < cell.top() + h / 2; ++y) inkTop += qRed(image.pixel(x, y)) < 60;
    for (int y = cell.top() + h / 2; y <= cell.bottom(); ++y) {
      inkBottom += qRed(image.pixel(x, y)) < 60;
    }
  }
  EXPECT_GT(inkTop, inkBottom);
}

TEST(QtDCText, InkStaysInsideTheMeasuredCell) {
  QImage image = MakeImage(400, 80, QColor(100, 100, 100));
  CQtDC dc(&image);
  MapZoomOne(dc, 0, 0);
  dc.SelectObject(CFont{"Arial", -360, 400});
  dc.SetTextColor(RGB(0, 0, 0));
  const CSize ext = dc.GetTextExtent("WHAM");
  dc.TextOut(150, -150, "WHAM");
  dc.GetPainter()->end();
  // Right of the cell the background is untouched, and the last letter reaches near it.
  const int right = 10 + ext.cx * 96 / 1440;
  EXPECT_EQ(CountNot(image, QColor(100, 100, 100), QRect(right + 2, 0, 400 - right - 2, 80)), 0);
  int inkNearEnd = 0;
  for (int y = 10; y < 10 + ext.cy * 96 / 1440; ++y) {
    for (int x = right - 6; x < right; ++x) inkNearEnd += qRed(image.pixel(x, y)) < 60;
  }
  EXPECT_GT(inkNearEnd, 3);
}

TEST(QtDCText, RasterOperationDoesNotInvertText) {
  QImage image = MakeImage(100, 60, Qt::black);
  CQtDC dc(&image);
  MapZoomOne(dc, 0, 0);
  dc.SetROP2(R2_NOTXORPEN);
  dc.SelectObject(CFont{"Arial", -240, 400});
  dc.TextOut(150, -150, "I");
  dc.GetPainter()->end();
  EXPECT_TRUE(IsColour(image.pixel(11, 11), Qt::white));  // the cell is painted, not inverted
}

TEST(QtDCDevice, BorrowedPainterKeepsItsStateAndTransform) {
  QImage image = MakeImage(100, 100);
  QPainter painter(&image);
  painter.translate(50, 0);
  const QTransform before = painter.worldTransform();
  {
    CQtDC dc(&painter);
    MapZoomOne(dc, 0, 0);
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 0)});
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
    dc.Rectangle(0, 0, 300, -300);  // device 50..70 after the painter's own translation
  }
  EXPECT_EQ(painter.worldTransform(), before);
  EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_SourceOver);
  painter.end();
  EXPECT_TRUE(IsColour(image.pixel(60, 10), Qt::black));
  EXPECT_TRUE(IsColour(image.pixel(10, 10), Qt::white));
}

TEST(QtDCDevice, InactivePainterDrawsNothingAndDoesNotCrash) {
  QImage empty;
  CQtDC dc(&empty);
  EXPECT_FALSE(dc.GetPainter()->isActive());
  dc.SelectObject(CPen{PS_SOLID, 20, 0});
  dc.Rectangle(0, 0, 100, -100);
  dc.TextOut(0, 0, "x");
  // Measuring needs no device: the default font's "D" still measures.
  EXPECT_EQ(dc.GetTextExtent("D").cy, 268);
}

TEST(QtDCMapping, HimetricMapsHundredthsOfAMillimetre) {
  QImage image(300, 300, QImage::Format_RGB32);
  image.setDotsPerMeterX(10000);  // 254 dpi: one pixel per 0.1 mm
  image.setDotsPerMeterY(10000);
  image.fill(Qt::white);
  {
    CQtDC dc(&image);
    ASSERT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 254);
    dc.SetMapMode(MM_HIMETRIC);  // y up from the device origin
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 0)});
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
    dc.Rectangle(1000, -1000, 2000, -2000);  // device 100..200
  }
  EXPECT_TRUE(IsColour(image.pixel(103, 103), Qt::black));
  EXPECT_TRUE(IsColour(image.pixel(196, 196), Qt::black));
  EXPECT_TRUE(IsColour(image.pixel(96, 150), Qt::white));
  EXPECT_TRUE(IsColour(image.pixel(150, 204), Qt::white));
}

TEST(QtDCDevice, PdfWriterGetsShapesAndTextButNoInvertingFigures) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    CQtDC dc(&writer);
    EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 1200);
    dc.SetMapMode(MM_ANISOTROPIC);
    dc.SetWindowExt(1440, 1440);
    dc.SetViewportExt(1200, -1200);
    dc.SelectObject(CPen{PS_SOLID, 20, RGB(0, 0, 0)});
    dc.Ellipse(100, -100, 1000, -800);
    dc.SelectObject(CFont{"Arial", -240, 400});
    dc.TextOut(200, -1000, "Valendra");
    {
      CRop2Guard rop(&dc, R2_NOTXORPEN);  // skipped: a PDF has no raster operations
      dc.Rectangle(0, 0, 500, -500);
    }
  }
  const QByteArray pdf = buffer.data();
  ASSERT_TRUE(pdf.startsWith("%PDF"));
  // The text is embedded as text in Liberation Sans, not drawn as outlines.
  EXPECT_TRUE(pdf.contains("LiberationSans"));
}

TEST(QtDCDevice, ExtremeCoordinatesDrawWithoutHarm) {
  QImage image = MakeImage(64, 64);
  CQtDC dc(&image);
  MapZoomOne(dc, 0, 0);
  dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 0)});
  for (int rop : {R2_COPYPEN, R2_NOTXORPEN}) {
    dc.SetROP2(rop);
    for (int width : {0, kMaxPenWidth}) {
      dc.SelectObject(CPen{PS_DOT, width, RGB(0, 0, 0)});
      dc.Rectangle(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN);
      dc.Ellipse(INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN);
      dc.MoveToEx(INT32_MIN, INT32_MIN);
      dc.LineTo(INT32_MAX, INT32_MAX);
      const CPoint tri[3] = {{INT32_MIN, 0}, {INT32_MAX, INT32_MAX}, {0, INT32_MIN}};
      dc.Polygon(tri, 3);
    }
  }
  dc.SelectObject(CFont{"Arial", INT32_MIN, 400});
  dc.TextOut(INT32_MAX, INT32_MIN, "Extreme");
  dc.SetWindowOrg(INT32_MIN, INT32_MAX);
  dc.SetViewportExt(INT32_MAX, INT32_MIN);
  dc.SelectObject(CFont{"Arial", -240, 400});
  dc.TextOut(INT32_MIN, INT32_MAX, "x");
  dc.Rectangle(0, 0, 10, 10);
  SUCCEED();
}

TEST(QtDCInvert, FiguresFarBeyondTheDeviceStillInvertWhatShows) {
  QImage image = MakeImage(64, 64);
  for (int pass = 0; pass < 2; ++pass) {
    CQtDC dc(&image);
    MapZoomOne(dc, 0, 0);
    dc.SetROP2(R2_NOTXORPEN);
    dc.SelectObject(CBrush{BS_SOLID, RGB(0, 0, 0)});
    dc.SelectObject(CPen{PS_DOT, 300, RGB(0, 0, 0)});
    dc.Rectangle(-2000000000, 2000000000, 2000000000, -2000000000);  // covers the image
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});
    dc.MoveToEx(-2000000000, -487);  // the row of device y 32
    dc.LineTo(2000000000, -487);
    dc.GetPainter()->end();
    // First pass: the interior inverted, and the line inverted back; second: all restored.
    const QColor fill = pass == 0 ? Qt::black : Qt::white;
    EXPECT_EQ(CountNot(image, fill, QRect(0, 0, 64, 32)), 0) << "pass " << pass;
    EXPECT_EQ(CountNot(image, fill, QRect(0, 33, 64, 31)), 0) << "pass " << pass;
    EXPECT_EQ(CountNot(image, Qt::white, QRect(0, 32, 64, 1)), 0) << "pass " << pass;
  }
}

// On a screen of device pixel ratio 2 the view draws on an image with twice the pixels and
// that ratio, in the window's own pixels: every figure must come out exactly as drawn at
// twice the scale on an ordinary image, sharp, and not as the smaller picture enlarged.
TEST(QtDCDevice, DevicePixelRatioDrawsAtTheImagesResolution) {
  const auto draw = [](CDC& dc) {
    dc.SelectObject(CPen{PS_SOLID, 45, RGB(20, 40, 160)});  // wide: stroked into the pixels
    dc.MoveToEx(100, -100);
    dc.LineTo(1300, -700);
    dc.SelectObject(CPen{PS_SOLID, 0, RGB(0, 0, 0)});  // thin: one device pixel
    dc.MoveToEx(100, -900);
    dc.LineTo(1400, -1000);
    dc.SelectObject(CBrush{BS_SOLID, RGB(240, 200, 20)});
    dc.Ellipse(700, -200, 1400, -600);
    dc.SelectObject(CPen{PS_SOLID, 15, RGB(255, 255, 255)});  // white on white: left out
    dc.Rectangle(50, -1100, 400, -1300);
    dc.SelectObject(CFont{"Arial", -180, 400});
    dc.TextOut(200, -1150, "CH3");
    dc.SelectObject(CPen{PS_SOLID, 30, RGB(200, 0, 0)});  // far off the image: skipped
    dc.MoveToEx(90000, -90000);
    dc.LineTo(99000, -99000);
  };
  // 1500 x 1500 units at 96 pixels per inch are 100 x 100 window pixels.
  QImage hi(200, 200, QImage::Format_ARGB32_Premultiplied);
  hi.setDotsPerMeterX(kDotsPerMeter96);
  hi.setDotsPerMeterY(kDotsPerMeter96);
  hi.setDevicePixelRatio(2.0);
  hi.fill(Qt::white);
  {
    CQtDC dc(&hi);
    MapZoomOne(dc);
    draw(dc);
  }
  QImage plain(200, 200, QImage::Format_ARGB32_Premultiplied);
  plain.setDotsPerMeterX(2 * kDotsPerMeter96);
  plain.setDotsPerMeterY(2 * kDotsPerMeter96);
  plain.fill(Qt::white);
  {
    CQtDC dc(&plain);
    MapZoomOne(dc);
    draw(dc);
  }
  ASSERT_GT(CountNot(plain, Qt::white, plain.rect()), 500);
  hi.setDevicePixelRatio(1.0);
  int nDiffer = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 200; ++x) nDiffer += hi.pixel(x, y) != plain.pixel(x, y);
  }
  EXPECT_EQ(nDiffer, 0);
  // The thin line is one image pixel thick: sharp, not a doubled window pixel.
  int nInk = 0;
  for (int y = 100; y < 140; ++y) nInk += !IsColour(hi.pixel(20, y), Qt::white) ? 1 : 0;
  EXPECT_GE(nInk, 1);
  EXPECT_LE(nInk, 2);
}
