#pragma once

#include <cstddef>
#include <cstdint>

// Straight strokes with round ends drawn straight into 32-bit pixels, without a painter.
// A bond of a few pixels' width is the commonest figure on the screen, and a general
// stroker pays for building, flattening and scan-converting an outline for each of them.

// The pixels of an image in memory: rows of width 32-bit words, stride words apart.
struct LineRasterTarget {
  std::uint32_t* pBits = nullptr;
  std::ptrdiff_t nStride = 0;  // in pixels
  int nWidth = 0;
  int nHeight = 0;
  // Only the pixels of columns [nClipLeft, nClipRight) and rows [nClipTop, nClipBottom)
  // are written; those written get exactly what they get without the limit.
  int nClipLeft = 0, nClipTop = 0;
  int nClipRight = 1 << 30, nClipBottom = 1 << 30;
};

// The pixels a stroke changed, inclusive; empty when x0 > x1.
struct LineRasterBox {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  bool IsEmpty() const { return x0 > x1 || y0 > y1; }
};

// Cuts the segment a-b down to its part inside the box [l, r] x [t, b] (Liang-Barsky);
// false when nothing of it lies inside.
bool ClipSegmentToBox(double& ax, double& ay, double& bx, double& by, double l, double t, double r,
                      double b);

// Strokes the segment a-b (device pixels; pixel (i, j) is the square [i, i+1] x [j, j+1])
// with round ends, dRadius being half the pen's width (more than half a pixel), in the
// opaque colour argb (0xFFRRGGBB), blended over the pixels (premultiplied, source over) by
// how much of each pixel the stroke covers. The coverage of a pixel is taken from the
// distance d of its centre to the segment, clamp(dRadius + 0.5 - d, 0, 1): a pixel whose
// centre lies half a pixel or more inside gets the colour exactly, one whose centre lies
// half a pixel or more outside is left alone. Endpoints anywhere (even far outside) are
// safe: the segment is cut to the target first; a non-finite input draws nothing.
LineRasterBox FillCapsule(const LineRasterTarget& target, double ax, double ay, double bx,
                          double by, double dRadius, std::uint32_t argb);
