#pragma once

// What an image shows, for tests that look at a window, a printed page or a picture: the
// bounds and count of the pixels of one colour, and of every other pixel that is not white.
#include <QImage>
#include <algorithm>

struct PixelBounds {
  int nPixels = 0;
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  void Add(int x, int y) {
    ++nPixels;
    left = std::min(left, x);
    right = std::max(right, x);
    top = std::min(top, y);
    bottom = std::max(bottom, y);
  }
  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

// pMarked (if given) gets the pixels of colour rgbMarked, pInk (if given) all others that
// are not white.
inline void SurveyPixels(const QImage& image, QRgb rgbMarked, PixelBounds* pMarked,
                         PixelBounds* pInk) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < rgb.height(); ++y) {
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb c = rgb.pixel(x, y);
      if (c == (rgbMarked | 0xff000000u)) {
        if (pMarked != nullptr) pMarked->Add(x, y);
      } else if (c != 0xffffffffu && pInk != nullptr) {
        pInk->Add(x, y);
      }
    }
  }
}

inline PixelBounds InkOf(const QImage& image) {
  PixelBounds ink;
  SurveyPixels(image, 0xffffffffu, nullptr, &ink);
  return ink;
}
