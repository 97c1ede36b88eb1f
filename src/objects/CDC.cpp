#include "objects/CDC.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

CRect Normalised(int x1, int y1, int x2, int y2) {
  return CRect{std::min(x1, x2), std::max(y1, y2), std::max(x1, x2), std::min(y1, y2)};
}

}  // namespace

CPen CDC::SelectObject(const CPen& pen) {
  CPen prev = m_pen;
  m_pen = pen;
  m_pen.nWidth = std::clamp(pen.nWidth, 0, kMaxPenWidth);
  return prev;
}

CBrush CDC::SelectObject(const CBrush& brush) {
  CBrush prev = m_brush;
  m_brush = brush;
  return prev;
}

CFont CDC::SelectObject(const CFont& font) {
  CFont prev = m_font;
  m_font = font;
  return prev;
}

int CDC::SetROP2(int nRop) {
  const int prev = m_nRop;
  m_nRop = nRop;
  return prev;
}

COLORREF CDC::SetTextColor(COLORREF cr) {
  const COLORREF prev = m_crText;
  m_crText = cr;
  return prev;
}

void CDC::MoveToEx(int x, int y) { m_ptCurrent = CPoint{x, y}; }

void CDC::LineTo(int x, int y) {
  const CPoint to{x, y};
  DoLine(m_ptCurrent, to);
  m_ptCurrent = to;
}

void CDC::Rectangle(int x1, int y1, int x2, int y2) { DoRectangle(Normalised(x1, y1, x2, y2)); }

void CDC::Ellipse(int x1, int y1, int x2, int y2) { DoEllipse(Normalised(x1, y1, x2, y2)); }

void CDC::Polygon(const CPoint* pts, int nCount) {
  if (pts != nullptr && nCount >= 2) DoPolygon(pts, nCount);
}

void CDC::PolyPolygon(const CPoint* pts, const int* pnCounts, int nPolys) {
  if (pts == nullptr || pnCounts == nullptr) return;
  int offset = 0;
  for (int i = 0; i < nPolys; ++i) {
    if (pnCounts[i] >= 2) DoPolygon(pts + offset, pnCounts[i]);
    offset += std::max(pnCounts[i], 0);
  }
}

CSize CDC::GetTextExtent(std::string_view text) { return DoTextExtent(text); }

void CDC::TextOut(int x, int y, std::string_view text) {
  DoTextOut(CPoint{x, y}, text, DoTextExtent(text));
}

int CDC::SetMapMode(int nMode) {
  const int prev = m_nMapMode;
  m_nMapMode = nMode;
  OnMappingChanged();
  return prev;
}

CPoint CDC::SetWindowOrg(int x, int y) {
  const CPoint prev = m_ptWindowOrg;
  m_ptWindowOrg = CPoint{x, y};
  OnMappingChanged();
  return prev;
}

CSize CDC::SetWindowExt(int cx, int cy) {
  const CSize prev = m_szWindowExt;
  // A zero extent would make the mapping undefined; the window keeps its old one then.
  if (cx != 0 && cy != 0) m_szWindowExt = CSize{cx, cy};
  OnMappingChanged();
  return prev;
}

CPoint CDC::SetViewportOrg(int x, int y) {
  const CPoint prev = m_ptViewportOrg;
  m_ptViewportOrg = CPoint{x, y};
  OnMappingChanged();
  return prev;
}

CSize CDC::SetViewportExt(int cx, int cy) {
  const CSize prev = m_szViewportExt;
  if (cx != 0 && cy != 0) m_szViewportExt = CSize{cx, cy};
  OnMappingChanged();
  return prev;
}

int CDC::GetDeviceCaps(int nIndex) const {
  if (nIndex == LOGPIXELSX || nIndex == LOGPIXELSY) return 96;
  return 0;
}

double CDC::ScaleX() const {
  switch (m_nMapMode) {
    case MM_HIMETRIC:
      return GetDeviceCaps(LOGPIXELSX) / 2540.0;
    case MM_ANISOTROPIC:
      return static_cast<double>(m_szViewportExt.cx) / m_szWindowExt.cx;
    default:
      return 1.0;
  }
}

double CDC::ScaleY() const {
  switch (m_nMapMode) {
    case MM_HIMETRIC:
      return -GetDeviceCaps(LOGPIXELSY) / 2540.0;
    case MM_ANISOTROPIC:
      return static_cast<double>(m_szViewportExt.cy) / m_szWindowExt.cy;
    default:
      return 1.0;
  }
}

CPoint CDC::LPtoDP(CPoint pt) const {
  const double x = (static_cast<double>(pt.x) - m_ptWindowOrg.x) * ScaleX() + m_ptViewportOrg.x;
  const double y = (static_cast<double>(pt.y) - m_ptWindowOrg.y) * ScaleY() + m_ptViewportOrg.y;
  return CPoint{Round32(x), Round32(y)};
}

CPoint CDC::DPtoLP(CPoint pt) const {
  const double x = (static_cast<double>(pt.x) - m_ptViewportOrg.x) / ScaleX() + m_ptWindowOrg.x;
  const double y = (static_cast<double>(pt.y) - m_ptViewportOrg.y) / ScaleY() + m_ptWindowOrg.y;
  return CPoint{Round32(x), Round32(y)};
}

CRect CDC::ClipBoxOfDevice(CSize szPixels) const {
  const auto logical = [](double d, double vOrg, double scale, double wOrg) {
    return (d - vOrg) / scale + wOrg;
  };
  const double x0 = logical(0.0, m_ptViewportOrg.x, ScaleX(), m_ptWindowOrg.x);
  const double x1 = logical(szPixels.cx, m_ptViewportOrg.x, ScaleX(), m_ptWindowOrg.x);
  const double y0 = logical(0.0, m_ptViewportOrg.y, ScaleY(), m_ptWindowOrg.y);
  const double y1 = logical(szPixels.cy, m_ptViewportOrg.y, ScaleY(), m_ptWindowOrg.y);
  const auto clamp = [](double v) {
    if (std::isnan(v)) return std::int32_t{0};
    return static_cast<std::int32_t>(std::clamp(v, double(INT32_MIN), double(INT32_MAX)));
  };
  return CRect{clamp(std::floor(std::min(x0, x1))), clamp(std::ceil(std::max(y0, y1))),
               clamp(std::ceil(std::max(x0, x1))), clamp(std::floor(std::min(y0, y1)))};
}
