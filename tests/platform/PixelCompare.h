#pragma once

// What the Qt surface tests share: the view's mapping at zoom 1.0, images at the screen's
// 96 pixels per inch, and pixel-by-pixel comparisons of what two surfaces drew.

#include <QColor>
#include <QImage>
#include <QRect>
#include <algorithm>
#include <cstdlib>

#include "objects/CDC.h"

// 96 pixels per inch, in the unit QImage keeps its resolution in.
inline constexpr int kDotsPerMeter96 = 3780;

// The view's mapping at zoom 1.0: 1440 units per inch (15 units a pixel at 96 pixels per
// inch), y up, the origin at device point (ox, oy).
inline void MapZoomOne(CDC& dc, int ox = 0, int oy = 0) {
  dc.SetMapMode(MM_ANISOTROPIC);
  dc.SetWindowExt(1440, 1440);
  dc.SetViewportExt(dc.GetDeviceCaps(LOGPIXELSX), -dc.GetDeviceCaps(LOGPIXELSY));
  dc.SetViewportOrg(ox, oy);
}

// An image of w x h pixels at 96 pixels per inch, filled with one colour.
inline QImage MakeImage(int w, int h, QColor fill = Qt::white,
                        QImage::Format format = QImage::Format_RGB32) {
  QImage image(w, h, format);
  image.setDotsPerMeterX(kDotsPerMeter96);
  image.setDotsPerMeterY(kDotsPerMeter96);
  image.fill(fill);
  return image;
}

// The largest difference of one channel (alpha included) between two pixels.
inline int ChannelDiff(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                   std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
}

// Two images of one size compared pixel by pixel: how many pixels differ by more than
// the tolerance in some channel, and the largest difference found.
struct PixelComparison {
  int nDifferent = 0;
  int nMaxDiff = 0;
};
inline PixelComparison ComparePixels(const QImage& a, const QImage& b, int tolerance = 0) {
  PixelComparison c;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const int d = ChannelDiff(a.pixel(x, y), b.pixel(x, y));
      c.nDifferent += d > tolerance ? 1 : 0;
      c.nMaxDiff = std::max(c.nMaxDiff, d);
    }
  }
  return c;
}

// Whether a pixel has exactly the colour c (alpha aside), and how many pixels of an area
// have any other colour.
inline bool IsColour(QRgb px, QColor c) {
  return qRed(px) == c.red() && qGreen(px) == c.green() && qBlue(px) == c.blue();
}
inline int CountNot(const QImage& image, QColor c, QRect area) {
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (!IsColour(image.pixel(x, y), c)) ++n;
    }
  }
  return n;
}
