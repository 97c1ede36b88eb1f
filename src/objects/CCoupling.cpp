#include "objects/CCoupling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "objects/ShapeRules.h"

namespace {

// Vectors of the drawing in 64 bits: stored points span the whole int32 range and the
// offsets added to them are rounded doubles already clamped to int32, so sums of a few of
// them cannot overflow. They are clamped back to int32 only when handed to the surface.
struct V {
  std::int64_t x = 0;
  std::int64_t y = 0;
};
V operator+(V a, V b) { return V{a.x + b.x, a.y + b.y}; }
V operator-(V a, V b) { return V{a.x - b.x, a.y - b.y}; }
V operator*(std::int64_t k, V a) { return V{k * a.x, k * a.y}; }
V FromPoint(CPoint p) { return V{p.x, p.y}; }
CPoint ToPoint(V v) { return CPoint{Clamp32(v.x), Clamp32(v.y)}; }
double Dbl(std::int64_t v) { return static_cast<double>(v); }
double Length(V v) { return std::hypot(static_cast<double>(v.x), static_cast<double>(v.y)); }

// The thickness as drawn. A thickness read from a file or typed by the user may be zero,
// negative, huge, infinite or not a number; the drawing works with 0 to 1000 (20 x 1000 is
// kMaxPenWidth, the widest pen a surface is asked to draw) and draws "not a number" at the
// default 1.0. The stored value itself is kept as it is, so files round-trip unchanged.
double DrawnThickness(double t) {
  if (std::isnan(t)) return 1.0;
  return std::clamp(t, 0.0, kMaxPenWidth / 20.0);
}

// Strokes and curve samples are spaced by nStep along the bond. Only a bond longer than
// kMaxSteps of them (metres of paper: 16384 curve samples span about 3 m, as many dashes
// about 23 m) gets a wider spacing, so that a bond across the whole coordinate range still
// draws a bounded number of primitives.
constexpr std::int64_t kMaxSteps = 1 << 14;
std::int64_t StepFor(std::int64_t l, std::int64_t nStep) {
  return std::max(nStep, (l + kMaxSteps - 1) / kMaxSteps);
}

void Line(CDC* pDC, V from, V to) {
  const CPoint a = ToPoint(from), b = ToPoint(to);
  pDC->MoveToEx(a.x, a.y);
  pDC->LineTo(b.x, b.y);
}

void Triangle(CDC* pDC, V p0, V p1, V p2) {
  const CPoint pts[3] = {ToPoint(p0), ToPoint(p1), ToPoint(p2)};
  const int nCounts[1] = {3};
  pDC->PolyPolygon(pts, nCounts, 1);
}

}  // namespace

namespace {

// An end's own answer. An end is normally a junction or a formula; a damaged file could
// make it a bond, even this one, and asking a bond end as a bond could then go round in a
// circle, so a bond end answers for its own box and flag only.
int EndSelected(CKVObject* pEnd) {
  if (pEnd == nullptr) return 0;
  if (dynamic_cast<CCoupling*>(pEnd) != nullptr) return pEnd->CKVObject::IsSelected();
  return pEnd->IsSelected();
}

int EndIntersects(CKVObject* pEnd, const CRect& rc) {
  if (pEnd == nullptr) return 0;
  if (dynamic_cast<CCoupling*>(pEnd) != nullptr) return pEnd->CKVObject::Intersects(rc);
  return pEnd->Intersects(rc);
}

}  // namespace

int CCoupling::IsSelected() {
  if (m_bSelected) return 1;
  return (EndSelected(m_pEndA) || EndSelected(m_pEndB)) ? 1 : 0;
}

int CCoupling::HitTest(CPoint pt) {
  if (m_pParent != nullptr) return 0;  // inside a group the group is hit, not the bond
  const double ax = m_ptA.x, ay = m_ptA.y, bx = m_ptB.x, by = m_ptB.y;
  const double px = pt.x, py = pt.y;
  if (std::fabs(bx - ax) > std::fabs(by - ay)) {
    // Closer to horizontal: measure the vertical distance.
    const bool bAFirst = ax <= bx;
    const double lx = bAFirst ? ax : bx, ly = bAFirst ? ay : by;
    const double rx = bAFirst ? bx : ax, ry = bAFirst ? by : ay;
    const double g = (px - lx) / (rx - lx);
    if (g < 0.0 || g > 1.0) return 0;
    const double tol = std::floor(120.0 * (rx - lx) / std::hypot(rx - lx, ry - ly) + 0.5);
    return std::fabs(py - (ly + g * (ry - ly))) <= tol ? KIND_COUPLING : 0;
  }
  if (ay == by) return 0;  // both ends on one point: nothing to hit but the ends
  const bool bALower = ay <= by;
  const double lx = bALower ? ax : bx, ly = bALower ? ay : by;
  const double ux = bALower ? bx : ax, uy = bALower ? by : ay;
  const double g = (py - ly) / (uy - ly);
  if (g < 0.0 || g > 1.0) return 0;
  const double tol = std::floor(120.0 * (uy - ly) / std::hypot(ux - lx, uy - ly) + 0.5);
  return std::fabs(px - (lx + g * (ux - lx))) <= tol ? KIND_COUPLING : 0;
}

int CCoupling::Intersects(const CRect& rc) {
  if (m_pEndA == nullptr) return EndIntersects(m_pEndB, rc);
  return (EndIntersects(m_pEndA, rc) || EndIntersects(m_pEndB, rc)) ? 1 : 0;
}

void CCoupling::Deselect() {
  if (m_bSelected != 0) MarkChanged();
  m_bSelected = 0;
}

void CCoupling::Swap() {
  MarkChanged();
  if (m_nStyle == 5) {
    m_nStyle = 2;
    m_nSide = 1;
  } else if (m_nStyle == 2 && m_nSide == 1) {
    m_nSide = 2;
  } else if (m_nStyle == 2 && m_nSide == 2) {
    m_nStyle = 5;
  }
  if (m_nStyle == 4 || m_nStyle == 6 || m_nStyle == 7) {
    if (m_nSide == 1) {
      m_nSide = 2;
    } else if (m_nSide == 2) {
      m_nSide = 1;
    }
  }
}

CPoint CCoupling::ClipRay(CPoint S, CPoint T, const CRect& rc) {
  const double sx = S.x, sy = S.y;
  if (T.x == S.x) return CPoint{S.x, T.y <= S.y ? rc.bottom : rc.top};
  const double k = (static_cast<double>(T.y) - sy) / (static_cast<double>(T.x) - sx);
  const std::int32_t side = T.x < S.x ? rc.left : rc.right;
  const std::int64_t y = static_cast<std::int64_t>(S.y) + Round32((side - sx) * k);
  if (rc.bottom < y && y < rc.top) return CPoint{side, Clamp32(y)};
  const std::int32_t Y = y >= rc.top ? rc.top : rc.bottom;
  // A flat ray from a centre outside the frame's height never meets the horizontal edge;
  // it keeps to the side it points at.
  if (k == 0.0) return CPoint{side, Y};
  return CPoint{SatAdd(S.x, Round32((Y - sy) / k)), Y};
}

CPoint CCoupling::AttachCentre(CDC* pDC, CKVObject& F) {
  const CBondAttachment at = F.GetBondAttachment(pDC).value_or(CBondAttachment{});
  // The frame of a letter "C" at the formula's scale, hung from the anchor's height.
  m_szLetter = at.szLetter;
  const CRect ref{F.m_rcBounds.left, F.m_ptAnchor.y, F.m_rcBounds.right,
                  SatAdd(F.m_ptAnchor.y, -static_cast<std::int64_t>(m_szLetter.cy))};
  m_rcBounds = SelectionFrameOf(ref);
  m_nAttachDx = Clamp32(at.x - m_rcBounds.left);
  m_nAttachDy = m_szLetter.cy / 2;
  return CPoint{SatAdd(m_rcBounds.left, m_nAttachDx), SatAdd(m_rcBounds.top, -m_nAttachDy)};
}

CPoint CCoupling::AttachCentreOf(CDC* pDC, CKVObject& F) {
  CCoupling probe;
  return probe.AttachCentre(pDC, F);
}

CPoint CCoupling::AttachPoint(CDC* pDC, CKVObject& F, CPoint T) {
  const CPoint S = AttachCentre(pDC, F);
  return ClipRay(S, T, m_rcBounds);
}

void CCoupling::ComputeEndPoints(CDC* pDC) {
  // The points and the letter frame are stored: a paint that moves them changes the record.
  const CPoint ptA = m_ptA, ptB = m_ptB;
  const CRect rc = m_rcBounds;
  const std::int32_t nDx = m_nAttachDx, nDy = m_nAttachDy;
  ComputeEndPointsNow(pDC);
  if (ptA != m_ptA || ptB != m_ptB || rc != m_rcBounds || nDx != m_nAttachDx ||
      nDy != m_nAttachDy) {
    MarkChanged();
  }
}

void CCoupling::ComputeEndPointsNow(CDC* pDC) {
  if (m_pEndA == nullptr) return;
  // Text ends are met through their letter frame, other ends at their anchor.
  CKVObject* pFormA = m_pEndA->MeetsBondsAtLetterFrame() ? m_pEndA : nullptr;
  if (m_bLive) {
    // End B is not attached yet: m_ptB is the mouse.
    m_ptA = pFormA != nullptr ? AttachPoint(pDC, *pFormA, m_ptB) : m_pEndA->GetAnchor();
    return;
  }
  if (m_pEndB == nullptr) return;
  CKVObject* pFormB = m_pEndB->MeetsBondsAtLetterFrame() ? m_pEndB : nullptr;
  const bool bDotA = m_pEndA->m_nKind == KIND_DOT, bDotB = m_pEndB->m_nKind == KIND_DOT;
  if (pFormA != nullptr && pFormB != nullptr) {
    // Each formula toward the other's attachment centre.
    const CPoint SA = AttachCentre(pDC, *pFormA);
    const CRect frameA = m_rcBounds;
    const CPoint SB = AttachCentre(pDC, *pFormB);
    m_ptA = ClipRay(SA, SB, frameA);
    m_ptB = ClipRay(SB, SA, m_rcBounds);
  } else if (pFormA != nullptr && bDotB) {
    m_ptB = m_pEndB->GetAnchor();
    m_ptA = AttachPoint(pDC, *pFormA, m_ptB);
  } else if (pFormB != nullptr && bDotA) {
    m_ptA = m_pEndA->GetAnchor();
    m_ptB = AttachPoint(pDC, *pFormB, m_ptA);
  } else {
    m_ptA = m_pEndA->GetAnchor();
    m_ptB = m_pEndB->GetAnchor();
  }
}

void CCoupling::Draw(CDC* pDC) {
  if (pDC == nullptr) return;
  ComputeEndPoints(pDC);
  CRop2Guard rop(pDC, R2_COPYPEN);
  DrawShape(pDC);
}

namespace {

// The vectors a bond is drawn with, at its drawn thickness t: the ends A and B, the length
// L, the unit normal (nx, ny) to the right of the direction from A to B, the band's
// half-width H and its end inset E, the offsets N30, N45 and N60 along the normal, and the
// arrow head's length F.
struct BondFrame {
  double t = 1.0;
  V A, B;
  double L = 0.0, nx = 0.0, ny = 0.0;
  V H, E, N30, N45, N60, F;
  double lenE = 0.0;

  BondFrame(CPoint ptA, CPoint ptB, double dThickness)
      : t(dThickness), A(FromPoint(ptA)), B(FromPoint(ptB)), L(Length(B - A)) {
    if (L > 0.0) {
      nx = static_cast<double>(B.y - A.y) / L;
      ny = static_cast<double>(A.x - B.x) / L;
    }
    H = N(30.0 + 10.0 * t);
    const double e = 70.0 + 10.0 * t;
    E = V{Round32(-e * ny), Round32(e * nx)};
    N30 = N(30.0 * t);
    N45 = N(45.0 * t);
    N60 = N(60.0 * t);
    F = 2 * V{-N60.y, N60.x};
    lenE = Length(E);
  }
  V N(double s) const { return V{Round32(s * nx), Round32(s * ny)}; }
};

// The white band behind the bond, so that it cuts cleanly through what lies beneath; its
// edges follow the strokes of each style.
void DrawBand(CDC* pDC, const BondFrame& f, int nStyle, bool bSide2, int nPenStyle) {
  const V H = f.H;
  V PA = H, QA = H, PB = H, QB = H;
  switch (nStyle) {
    case 2:
      (bSide2 ? QA : PA) = H + 2 * f.N30;
      (bSide2 ? QB : PB) = H + 2 * f.N30;
      break;
    case 3:
      PA = QA = PB = QB = H + f.N45;
      break;
    case 4:
    case 7: {
      const V W{Round32(static_cast<double>(f.N30.x) * f.lenE / f.L),
                Round32(static_cast<double>(f.N30.y) * f.lenE / f.L)};
      const V wide = H + f.N30, narrow = H + W;
      PA = QA = bSide2 ? narrow : wide;
      PB = QB = bSide2 ? wide : narrow;
      break;
    }
    case 5:
    case 9:
    case 10:
      PA = QA = PB = QB = H + f.N30;
      break;
    default:
      break;
  }
  const V A = f.A, B = f.B, E = f.E;
  const CPoint band[4] = {ToPoint(A + E + PA), ToPoint(B - E + PB), ToPoint(B - E - QB),
                          ToPoint(A + E - QA)};
  CSelectGuard<CBrush> brush(pDC, CBrush{BS_SOLID, RGB(255, 255, 255)});
  CSelectGuard<CPen> pen(pDC, CPen{nPenStyle, 1, RGB(255, 255, 255)});
  pDC->Polygon(band, 4);
}

// The samples k = kFirst to kLast (spaced by step along the way from B to A of length l)
// that can show on the surface: those within margin of its clip box, and one more on
// either side so that strokes running out of it are drawn whole. Every sample when the
// surface has no clip box; kFirst > kLast when none can show.
struct SampleRange {
  std::int64_t kFirst = 0, kLast = -1;
};
SampleRange VisibleSamples(const CDC* pDC, V B, V D, double l, std::int64_t step,
                           std::int64_t kCount, double margin) {
  const std::optional<CRect> box = pDC->GetClipBox();
  if (!box) return {0, kCount - 1};
  // Liang-Barsky: the part u0..u1 (of 0..1) of B + u D inside the widened box.
  double u0 = 0.0, u1 = 1.0;
  const auto keep = [&](double p, double q) {  // p u <= q
    if (p == 0.0) return q >= 0.0;
    const double r = q / p;
    if (p < 0.0) {
      if (r > u1) return false;
      u0 = std::max(u0, r);
    } else {
      if (r < u0) return false;
      u1 = std::min(u1, r);
    }
    return true;
  };
  const double xmin = Dbl(box->left) - margin, xmax = Dbl(box->right) + margin;
  const double ymin = Dbl(box->bottom) - margin, ymax = Dbl(box->top) + margin;
  if (!keep(-Dbl(D.x), Dbl(B.x) - xmin) || !keep(Dbl(D.x), xmax - Dbl(B.x)) ||
      !keep(-Dbl(D.y), Dbl(B.y) - ymin) || !keep(Dbl(D.y), ymax - Dbl(B.y))) {
    return {};
  }
  const double dStep = static_cast<double>(step);
  const auto kFirst = static_cast<std::int64_t>(std::floor(u0 * l / dStep)) - 1;
  const auto kLast = static_cast<std::int64_t>(std::ceil(u1 * l / dStep)) + 1;
  return {std::max<std::int64_t>(kFirst, 0), std::min(kLast, kCount - 1)};
}

// Dashes 80 units apart from B toward A, drawn with pen: the dashed wedge (style 7) widens
// from nothing at B, the wide dashed bond (style 9) keeps its width.
void DrawDashes(CDC* pDC, V A, V B, V N30, bool bWedge, const CPen& pen) {
  const V D = A - B;
  const std::int64_t l = static_cast<std::int64_t>(Length(D));
  if (l <= 0) return;
  pDC->SelectObject(pen);
  const std::int64_t step = StepFor(l, 80);
  const std::int64_t nCount = (l + step) / step;
  const double dl = static_cast<double>(l);
  const double margin = Length(N30) + pen.nWidth + 1.0;
  const SampleRange range = VisibleSamples(pDC, B, D, dl, step, nCount, margin);
  for (std::int64_t k = range.kFirst; k <= range.kLast; ++k) {
    const double s = static_cast<double>(step * k);
    const V C = B + V{Round32(s * Dbl(D.x) / dl), Round32(s * Dbl(D.y) / dl)};
    const V half = bWedge ? V{Round32(s * Dbl(N30.x) / dl), Round32(s * Dbl(N30.y) / dl)} : N30;
    Line(pDC, C + half, C - half);
  }
}

// The harmonic curve: a sine wave along the bond from B, sampled every 10 units.
void DrawHarmonic(CDC* pDC, const BondFrame& f) {
  const V D = f.A - f.B;
  const std::int64_t l = static_cast<std::int64_t>(Length(D));
  if (l <= 0) return;
  const std::int64_t step = StepFor(l, 10);
  const double dl = static_cast<double>(l);
  const double margin = 30.0 * f.t + ThicknessPenWidth(f.t) + 1.0;
  const SampleRange range = VisibleSamples(pDC, f.B, D, dl, step, l / step + 1, margin);
  for (std::int64_t k = range.kFirst; k <= range.kLast; ++k) {
    const double ds = static_cast<double>(k * step);
    const double w = std::sin((ds / 3.14159265) * 0.5 * 0.25);
    const V p = f.B + V{Round32(ds * Dbl(D.x) / dl), Round32(ds * Dbl(D.y) / dl)} +
                V{Round32(30.0 * f.nx * f.t * w), Round32(30.0 * f.ny * f.t * w)};
    const CPoint q = ToPoint(p);
    if (k == range.kFirst) {
      pDC->MoveToEx(q.x, q.y);
    } else {
      pDC->LineTo(q.x, q.y);
    }
  }
}

}  // namespace

void CCoupling::DrawShape(CDC* pDC) const {
  const BondFrame f(m_ptA, m_ptB, DrawnThickness(m_dThickness));
  const V A = f.A, B = f.B, N30 = f.N30, N45 = f.N45, F = f.F;
  const int nStyle = m_nStyle;
  const bool bSide2 = m_nSide == 2;
  // Only the dotted pen is kept; any other stored pen style draws solid.
  const int nPenStyle = m_nPenStyle == PS_DOT ? PS_DOT : PS_SOLID;

  if (nStyle != 6 && nStyle != 8 && f.L > f.lenE) DrawBand(pDC, f, nStyle, bSide2, nPenStyle);

  CSelectGuard<CBrush> brush(pDC, CBrush{BS_SOLID, m_crColor});
  CSelectGuard<CPen> pen(pDC, CPen{nPenStyle, ThicknessPenWidth(f.t), m_crColor});
  switch (nStyle) {
    case 2: {
      const V off = bSide2 ? V{} - 2 * N30 : 2 * N30;
      Line(pDC, A, B);
      Line(pDC, A + off, B + off);
      break;
    }
    case 3:
      Line(pDC, A, B);
      Line(pDC, A + N45, B + N45);
      Line(pDC, A - N45, B - N45);
      break;
    case 4: {
      pDC->SelectObject(CPen{nPenStyle, 1, m_crColor});
      if (bSide2) {
        Triangle(pDC, B + N30, A, B - N30);
      } else {
        Triangle(pDC, A + N30, B, A - N30);
      }
      break;
    }
    case 5:
      Line(pDC, A + N30, B + N30);
      Line(pDC, A - N30, B - N30);
      break;
    case 6:
      if (bSide2) {
        Line(pDC, A, B - F);
        Triangle(pDC, B - F - N45, B, B - F + N45);
      } else {
        Line(pDC, B, A + F);
        Triangle(pDC, A + F - N45, A, A + F + N45);
      }
      break;
    case 8:
      Line(pDC, B - F, A + F);
      Triangle(pDC, A + F - N45, A, A + F + N45);
      Triangle(pDC, B - F - N45, B, B - F + N45);
      break;
    case 7:
    case 9: {
      // Side 2 turns the wedge round.
      const bool bTurn = nStyle == 7 && bSide2;
      DrawDashes(pDC, bTurn ? B : A, bTurn ? A : B, N30, nStyle == 7,
                 CPen{nPenStyle, 30, m_crColor});
      break;
    }
    case 10:
      DrawHarmonic(pDC, f);
      break;
    default:
      // Style 1, and any style no tool makes (a damaged file), as a plain line.
      Line(pDC, A, B);
      break;
  }
}
