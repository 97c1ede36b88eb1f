#include "platform/LineRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kRowsAhead = 6;

}  // namespace

bool ClipSegmentToBox(double& ax, double& ay, double& bx, double& by, double l, double t, double r,
                      double b) {
  const double dx = bx - ax, dy = by - ay;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - l, r - ax, ay - t, b - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0.0) {
      if (q[i] < 0.0) return false;
      continue;
    }
    const double u = q[i] / p[i];
    if (p[i] < 0.0) {
      t0 = std::max(t0, u);
    } else {
      t1 = std::min(t1, u);
    }
    if (t0 > t1) return false;
  }
  const double x0 = ax + t0 * dx, y0 = ay + t0 * dy;
  bx = ax + t1 * dx;
  by = ay + t1 * dy;
  ax = x0;
  ay = y0;
  return true;
}

namespace {

// A pixel's four channels, one in each 16-bit lane of a 64-bit word (blue, red, green,
// alpha from the bottom), so that one multiplication scales all four.
inline std::uint64_t Spread(std::uint32_t p) {
  return (std::uint64_t{p & 0xFF00FF00u} << 24) | (p & 0x00FF00FFu);
}

// Opaque source (spread) over a premultiplied pixel at coverage a of 255, each channel
// divided by 255 with rounding; a coverage of 0 gives the pixel back, 255 the source, and
// white over white stays white at any coverage.
inline std::uint32_t Blend(std::uint64_t src, std::uint32_t dst, std::uint32_t a) {
  constexpr std::uint64_t kLanes = 0x00FF00FF00FF00FFull;
  std::uint64_t t = src * a + Spread(dst) * (255 - a);
  t = ((t + ((t >> 8) & kLanes) + 0x0080008000800080ull) >> 8) & kLanes;
  return static_cast<std::uint32_t>(t & 0x00FF00FFu) |
         static_cast<std::uint32_t>((t >> 24) & 0xFF00FF00u);
}

// Pixel columns from a row position: positions are first held to a little beyond the
// target, so the conversions neither overflow nor need the library's floor and ceil.
inline double Hold(double x, int w) { return std::clamp(x, -2.0, w + 2.0); }
inline int Floor(double x) {
  const int i = static_cast<int>(x);
  return i - (x < i ? 1 : 0);
}
inline int Ceil(double x) {
  const int i = static_cast<int>(x);
  return i + (x > i ? 1 : 0);
}

// The first and last pixel of a row whose centres lie within [lo, hi]; none when lo > hi
// (and when either is NaN).
inline void CentresWithin(double lo, double hi, int w, int& i0, int& i1) {
  if (!(lo <= hi)) {
    i0 = 0;
    i1 = -1;
    return;
  }
  i0 = Ceil(Hold(lo, w) - 0.5);
  i1 = Floor(Hold(hi, w) - 0.5);
}

// Widens [lo, hi] by the section of a row with the disc of radius r (r2 = r * r) around a
// point at x = cx, dy above or below the row.
inline void AddDisc(double cx, double dy, double r2, double& lo, double& hi) {
  if (dy * dy <= r2) {
    const double h = std::sqrt(r2 - dy * dy);
    lo = std::min(lo, cx - h);
    hi = std::max(hi, cx + h);
  }
}

// Coverage of 255 from a signed depth inside the stroke's outer edge (rOut - distance).
inline std::uint32_t Alpha(double depth) {
  return static_cast<std::uint32_t>(std::clamp(depth, 0.0, 1.0) * 255.0 + 0.5);
}

// Paints the outer run o0..o1 of a row, whose pixels i0..i1 the stroke covers wholly, at
// the coverage depth(i) gives.
template <class Depth>
inline void PaintRun(std::uint32_t* row, int o0, int o1, int i0, int i1, std::uint32_t argb,
                     const Depth& depth, int c0, int c1) {
  const std::uint64_t src = Spread(argb);
  for (int i = std::max(o0, c0); i < std::min(i0, c1 + 1); ++i) {
    row[i] = Blend(src, row[i], Alpha(depth(i)));
  }
  const int f0 = std::max(i0, c0), f1 = std::min(i1, c1);
  if (f0 <= f1) std::fill(row + f0, row + f1 + 1, argb);
  for (int i = std::max(i1 + 1, c0); i <= std::min(o1, c1); ++i) {
    row[i] = Blend(src, row[i], Alpha(depth(i)));
  }
}

// A stroke with round ends prepared for its rows. Relative to a, the distance across the
// segment is s = -uy x + ux y and the distance along it t = ux x + uy y: both change
// linearly along a row, and within the band between the end discs (0 <= t <= len) the
// distance to the segment is |s|. A segment of no length is a point, around which the
// stroke is a disc.
struct Capsule {
  Capsule(double ax_, double ay_, double bx_, double by_, double dRadius)
      : ax(ax_), ay(ay_), bx(bx_), by(by_), rIn(dRadius - 0.5), rOut(dRadius + 0.5) {
    const double dx = bx - ax, dy = by - ay;
    const double d = std::hypot(dx, dy);
    if (d > 1e-9) {
      ux = dx / d;
      uy = dy / d;
      len = d;
    }
    invUx = ux != 0.0 ? 1.0 / ux : 0.0;
    invUy = uy != 0.0 ? 1.0 / uy : 0.0;
    rIn2 = rIn * rIn;
    rOut2 = rOut * rOut;
  }

  // The parts of row j (its centre line at y = j + 0.5) within the inner and the outer
  // radius: the band's part, then the end discs'. The pixels of the outer run get the
  // colour by their coverage, those of the inner run wholly. False when the row has no
  // pixel of the outer run; o0 and o1 are its ends all the same.
  bool Runs(int j, int w, int& o0, int& o1, int& i0, int& i1) const {
    const double y = j + 0.5;
    const double dyA = y - ay, dyB = y - by;
    const double s0 = dyA * ux, t0 = dyA * uy;  // at x = ax
    double tl = kInf, th = -kInf;
    if (len > 0.0) {
      if (ux != 0.0) {
        tl = -t0 * invUx;
        th = (len - t0) * invUx;
        if (tl > th) std::swap(tl, th);
      } else if (t0 >= 0.0 && t0 <= len) {
        tl = -kInf;
        th = kInf;
      }
    }
    double loIn = kInf, hiIn = -kInf, loOut = kInf, hiOut = -kInf;
    if (tl <= th) {
      Across(s0, tl, th, rIn, loIn, hiIn);
      Across(s0, tl, th, rOut, loOut, hiOut);
    }
    AddDisc(ax, dyA, rOut2, loOut, hiOut);
    AddDisc(bx, dyB, rOut2, loOut, hiOut);
    CentresWithin(loOut, hiOut, w, o0, o1);
    o0 = std::max(o0, 0);
    o1 = std::min(o1, w - 1);
    if (o0 > o1) return false;
    AddDisc(ax, dyA, rIn2, loIn, hiIn);
    AddDisc(bx, dyB, rIn2, loIn, hiIn);
    CentresWithin(loIn, hiIn, w, i0, i1);
    // The inner run lies within the outer one; rounding must not push it out.
    i0 = std::max(i0, o0);
    i1 = std::min(i1, o1);
    if (i0 > i1) {
      i0 = o1 + 1;
      i1 = o1;
    }
    return true;
  }

  // Paints row j's runs: out of reach of the end discs every pixel of the outer run lies
  // in the band, where the distance to the segment is the one across it.
  // Only columns c0..c1 are written; the depth of each pixel does not depend on them.
  void PaintRow(std::uint32_t* row, int j, int o0, int o1, int i0, int i1, std::uint32_t argb,
                int c0, int c1) const {
    const double dyA = j + 0.5 - ay, dyB = j + 0.5 - by;
    if (dyA * dyA > rOut2 && dyB * dyB > rOut2) {
      const double sAt0 = dyA * ux - uy * (o0 + 0.5 - ax);
      PaintRun(
          row, o0, o1, i0, i1, argb, [&](int i) { return rOut - std::abs(sAt0 - uy * (i - o0)); },
          c0, c1);
      return;
    }
    const double t0 = dyA * uy;
    PaintRun(
        row, o0, o1, i0, i1, argb,
        [&](int i) {
          const double xa = i + 0.5 - ax;
          const double t = std::clamp(t0 + ux * xa, 0.0, len);
          const double ex = xa - t * ux, ey = dyA - t * uy;
          return rOut - std::sqrt(ex * ex + ey * ey);
        },
        c0, c1);
  }

  // Narrows the band's part [tl, th] of a row (offsets from ax) to its points within
  // radius r of the segment; [lo, hi] gets them as row positions when any are left.
  void Across(double s0, double tl, double th, double r, double& lo, double& hi) const {
    double l = tl, u = th;
    if (uy != 0.0) {
      double a = (s0 - r) * invUy, b = (s0 + r) * invUy;
      if (a > b) std::swap(a, b);
      l = std::max(l, a);
      u = std::min(u, b);
    } else if (std::abs(s0) > r) {
      return;
    }
    if (l <= u) {
      lo = ax + l;
      hi = ax + u;
    }
  }

  double ax, ay, bx, by;
  double ux = 1.0, uy = 0.0, len = 0.0;
  double invUx = 0.0, invUy = 0.0;
  double rIn, rOut, rIn2 = 0.0, rOut2 = 0.0;
};

}  // namespace

LineRasterBox FillCapsule(const LineRasterTarget& target, double ax, double ay, double bx,
                          double by, double dRadius, std::uint32_t argb) {
  LineRasterBox box;
  const int w = target.nWidth, h = target.nHeight;
  if (target.pBits == nullptr || w <= 0 || h <= 0) return box;
  if (!std::isfinite(ax) || !std::isfinite(ay) || !std::isfinite(bx) || !std::isfinite(by) ||
      !std::isfinite(dRadius) || !(dRadius > 0.5)) {
    return box;
  }
  // Far ends are cut off a little beyond the reach of the stroke, so that the ends made by
  // the cut stay out of sight and every number below stays small.
  const double margin = dRadius + 2.0;
  if (!ClipSegmentToBox(ax, ay, bx, by, -margin, -margin, w + margin, h + margin)) return box;
  const Capsule c(ax, ay, bx, by, dRadius);

  const double top = std::min(ay, by) - c.rOut, bottom = std::max(ay, by) + c.rOut;
  const int j0 = std::max(std::max(0, target.nClipTop), Ceil(Hold(top, h) - 0.5));
  const int j1 = std::min(std::min(h, target.nClipBottom) - 1, Floor(Hold(bottom, h) - 0.5));
  const int c0 = std::max(0, target.nClipLeft), c1 = std::min(w, target.nClipRight) - 1;
  if (c0 > c1) return box;
  // Rows lie a whole image width apart, too far for the processor to guess that the next
  // row is wanted, and on an image just filled most rows of a stroke would wait for
  // memory: rows are asked for a few ahead of their turn, across the stroke's reach in
  // them (a shallow stroke's next rows mostly lie under its current one).
  const std::ptrdiff_t stride = target.nStride;
  const double dxPerRow = c.uy != 0.0 ? std::min(std::abs(c.ux * c.invUy), 8.0) : 0.0;
  const auto prefetch = [&](int j, double lo, double hi) {
    if (j > j1) return;
    const std::uint32_t* p = target.pBits + j * stride;
    const int x0 = std::max(0, Floor(Hold(lo, w))), x1 = std::min(w - 1, Ceil(Hold(hi, w)));
    for (int x = x0; x <= x1; x += 16) __builtin_prefetch(p + x, 1);
    if (x1 >= x0) __builtin_prefetch(p + x1, 1);
  };
  for (int k = 0; k < kRowsAhead; ++k) {
    prefetch(j0 + k, std::min(ax, bx) - c.rOut, std::max(ax, bx) + c.rOut);
  }

  box.x0 = w;
  box.x1 = -1;
  box.y0 = h;
  box.y1 = -1;
  for (int j = j0; j <= j1; ++j) {
    int o0, o1, i0 = 0, i1 = -1;
    const bool bRow = c.Runs(j, w, o0, o1, i0, i1);
    prefetch(j + kRowsAhead, o0 - kRowsAhead * dxPerRow, o1 + kRowsAhead * dxPerRow);
    if (!bRow || o1 < c0 || o0 > c1) continue;
    c.PaintRow(target.pBits + static_cast<std::ptrdiff_t>(j) * stride, j, o0, o1, i0, i1, argb, c0,
               c1);
    box.x0 = std::min(box.x0, std::max(o0, c0));
    box.x1 = std::max(box.x1, std::min(o1, c1));
    box.y0 = std::min(box.y0, j);
    box.y1 = j;
  }
  return box;
}
