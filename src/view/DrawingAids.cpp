#include "view/DrawingAids.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "resources/CommandIds.h"

const DrawingAidRow kDrawingAidRows[5] = {
    {cmd::kAidStandardBonds, "DrawingAids\\StandardBonds", &CDrawingAids::m_bStandardBonds},
    {cmd::kAidClickAddsBond, "DrawingAids\\ClickAddsBond", &CDrawingAids::m_bClickAddsBond},
    {cmd::kAidFuseRings, "DrawingAids\\FuseRings", &CDrawingAids::m_bFuseRings},
    {cmd::kAidKeepTools, "DrawingAids\\KeepTools", &CDrawingAids::m_bKeepTools},
    {cmd::kAidTypingMakesLabels, "DrawingAids\\TypingMakesLabels",
     &CDrawingAids::m_bTypingMakesLabels},
};

const DrawingAidRow* FindDrawingAid(int nCommand) {
  const auto it = std::find_if(std::begin(kDrawingAidRows), std::end(kDrawingAidRows),
                               [&](const DrawingAidRow& r) { return r.nCommand == nCommand; });
  return it != std::end(kDrawingAidRows) ? it : nullptr;
}

namespace aids {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kStep = kPi / 12;  // 15 degrees

double AngleTo(CPoint from, CPoint to) {
  return std::atan2(static_cast<double>(to.y) - from.y, static_cast<double>(to.x) - from.x);
}

// The angle in [0, 2 pi).
double Normalized(double a) {
  a = std::fmod(a, 2 * kPi);
  return a < 0 ? a + 2 * kPi : a;
}

double SnappedNear(double a) {
  const double snapped = std::round(a / kStep) * kStep;
  return std::abs(snapped - a) <= 3.0 * kPi / 180.0 ? snapped : a;
}

// Which side of the line from p through q the point r lies on: > 0 left, < 0 right.
double Side(CPoint p, CPoint q, double rx, double ry) {
  return (static_cast<double>(q.x) - p.x) * (ry - p.y) -
         (static_cast<double>(q.y) - p.y) * (rx - p.x);
}

// Of the two directions 120 degrees either side of the single bond to n.
double ZigzagAngle(CPoint j, CPoint n, std::span<const CPoint> beyond) {
  const double phi = AngleTo(j, n);
  const double c1 = phi + 2 * kPi / 3, c2 = phi - 2 * kPi / 3;
  if (!beyond.empty()) {
    // A chain alternates: the new bond leaves on the side of the line n-j away from the
    // bond before.
    const CPoint m = beyond.front();
    const double sm = Side(n, j, m.x, m.y);
    const double s1 = Side(n, j, j.x + std::cos(c1), j.y + std::sin(c1));
    if (sm != 0) return (s1 > 0) != (sm > 0) ? c1 : c2;
  }
  // Else nearer the horizontal, then further right, then lower (a chain begun by a bond
  // up to the right goes on down to the right).
  const double h1 = std::abs(std::sin(c1)), h2 = std::abs(std::sin(c2));
  if (std::abs(h1 - h2) > 1e-9) return h1 < h2 ? c1 : c2;
  if (std::abs(std::cos(c1) - std::cos(c2)) > 1e-9) return std::cos(c1) > std::cos(c2) ? c1 : c2;
  return std::sin(c1) < std::sin(c2) ? c1 : c2;
}

}  // namespace

CPoint PointAt(CPoint from, double dAngle, double dLength) {
  return CPoint{SatAdd(from.x, Round32(dLength * std::cos(dAngle))),
                SatAdd(from.y, Round32(dLength * std::sin(dAngle)))};
}

CPoint SnapBondEnd(CPoint a, CPoint p) {
  const double angle = p == a ? 0.0 : std::round(AngleTo(a, p) / kStep) * kStep;
  return PointAt(a, angle, kStandardBond);
}

double FreeAngle(CPoint j, std::span<const CPoint> others) {
  std::vector<double> angles;
  for (const CPoint& p : others) {
    if (p != j) angles.push_back(Normalized(AngleTo(j, p)));
  }
  if (angles.empty()) return kPi / 2;
  std::sort(angles.begin(), angles.end());
  double dBestGap = -1, dBest = 0;
  for (std::size_t i = 0; i < angles.size(); ++i) {
    const double from = angles[i];
    const double to = i + 1 < angles.size() ? angles[i + 1] : angles[0] + 2 * kPi;
    if (to - from > dBestGap + 1e-9) {
      dBestGap = to - from;
      dBest = from + (to - from) / 2;
    }
  }
  return Normalized(SnappedNear(Normalized(dBest)));
}

double NewBondAngle(CPoint j, std::span<const CPoint> others, std::span<const CPoint> beyond) {
  const auto first = std::find_if(others.begin(), others.end(), [&](CPoint p) { return p != j; });
  if (first == others.end()) return kPi / 6;
  const bool bSingle = std::none_of(first + 1, others.end(), [&](CPoint p) { return p != j; });
  if (bSingle) return Normalized(SnappedNear(Normalized(ZigzagAngle(j, *first, beyond))));
  return FreeAngle(j, others);
}

std::vector<CPoint> RingOnBond(CPoint a, CPoint b, CPoint towards, int nVertices) {
  const double ax = a.x, ay = a.y, bx = b.x, by = b.y;
  const double length = std::hypot(bx - ax, by - ay);
  const int n = std::max(3, nVertices);
  // The centre lies on the bond's perpendicular bisector, an apothem away, on the side of
  // the press (its left when the press is on the line).
  const double apothem = length / (2 * std::tan(kPi / n));
  const double radius = length / (2 * std::sin(kPi / n));
  const double side = Side(a, b, towards.x, towards.y) >= 0 ? 1.0 : -1.0;
  const double nx = -(by - ay) / length * side, ny = (bx - ax) / length * side;
  const double cx = (ax + bx) / 2 + nx * apothem, cy = (ay + by) / 2 + ny * apothem;
  // Counterclockwise about the centre: a then b when b follows a that way.
  const bool bAFirst = side > 0;
  const CPoint first = bAFirst ? a : b, second = bAFirst ? b : a;
  const double start = std::atan2(first.y - cy, first.x - cx);
  std::vector<CPoint> ring{first, second};
  for (int k = 2; k < n; ++k) {
    const double angle = start + 2 * kPi * k / n;
    ring.push_back(
        CPoint{Round32(cx + radius * std::cos(angle)), Round32(cy + radius * std::sin(angle))});
  }
  return ring;
}

std::vector<CPoint> RingOnJunction(CPoint j, double dAway, int nVertices) {
  const int n = std::max(3, nVertices);
  const double radius = kStandardBond / (2 * std::sin(kPi / n));
  const double cx = j.x + radius * std::cos(dAway), cy = j.y + radius * std::sin(dAway);
  const double start = dAway + kPi;
  std::vector<CPoint> ring{j};
  for (int k = 1; k < n; ++k) {
    const double angle = start + 2 * kPi * k / n;
    ring.push_back(
        CPoint{Round32(cx + radius * std::cos(angle)), Round32(cy + radius * std::sin(angle))});
  }
  return ring;
}

}  // namespace aids
