#include "view/CViewport.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CKVObject.h"
#include "view/CKvillView.h"

namespace {

// Integer division of 64-bit values that cannot trap: a zero divisor gives 0.
std::int64_t SafeDiv(std::int64_t a, std::int64_t b) { return b == 0 ? 0 : a / b; }

// The scroll bar's thumb for a scroll position: 100 steps over five times the extent. Below
// 0 (what lies left of or above the origin) the step is rounded down, so that the lowest
// position the bar offers stands for the lowest scroll position.
std::int32_t ThumbPosition(std::int32_t nScroll, std::int32_t nExt) {
  const std::int64_t a = static_cast<std::int64_t>(nScroll) * 100;
  const std::int64_t b = static_cast<std::int64_t>(nExt) * 5;
  std::int64_t q = SafeDiv(a, b);
  if (a < 0 && b > 0 && q * b != a) --q;
  return Clamp32(q);
}

}  // namespace

int CViewport::ScrollOffsetX() const {
  return Trunc32(5.0 * m_nScrollX / m_dZoom / m_dZoom / 100.0);
}

int CViewport::ScrollOffsetY() const { return Trunc32(5.0 * m_nScrollY / m_dZoom / 100.0); }

CPoint CViewport::DeviceToLogical(CPoint p) const {
  const double z = m_dZoom;
  const int dpiX = std::max(1, m_view.m_pWindow->GetPixelsPerInchX());
  const int dpiY = std::max(1, m_view.m_pWindow->GetPixelsPerInchY());
  const double x = static_cast<double>(p.x) + ScrollOffsetX();
  const double y = static_cast<double>(p.y) + ScrollOffsetY();
  return CPoint{Trunc32(x * 1440.0 * z / dpiX), Trunc32(-y * 1440.0 * z / dpiY)};
}

CPoint CViewport::LogicalToDevice(CPoint pt, const CDC* pDC) const {
  const double z = m_dZoom;
  const int dpiX = std::max(
      1, pDC != nullptr ? pDC->GetDeviceCaps(LOGPIXELSX) : m_view.m_pWindow->GetPixelsPerInchX());
  const int dpiY = std::max(
      1, pDC != nullptr ? pDC->GetDeviceCaps(LOGPIXELSY) : m_view.m_pWindow->GetPixelsPerInchY());
  const std::int64_t x = Trunc32(pt.x / (z * 1440.0 / dpiX));
  const std::int64_t y = Trunc32(-static_cast<double>(pt.y) / (z * 1440.0 / dpiY));
  return CPoint{Clamp32(x - ScrollOffsetX()), Clamp32(y - ScrollOffsetY())};
}

void CViewport::OnPrepareDC(CDC* pDC) const {
  const int dpiX = pDC->GetDeviceCaps(LOGPIXELSX);
  const int dpiY = pDC->GetDeviceCaps(LOGPIXELSY);
  const int w = Trunc32(m_dZoom * 1440.0);
  pDC->SetMapMode(MM_ANISOTROPIC);
  pDC->SetWindowExt(w, w);
  pDC->SetViewportExt(dpiX, -dpiY);
  pDC->SetViewportOrg(Trunc32(-5.0 * m_nScrollX / m_dZoom / m_dZoom / 100.0),
                      Trunc32(-5.0 * m_nScrollY / m_dZoom / 100.0));
}

// ---------------------------------------------------------------------------------------
// Zoom

void CViewport::OnZoomIn() {
  if (m_view.Mouse().Resizing() || !(m_dZoom > 0.2)) return;
  CScreenPainter::CRedisplayScope redisplay(m_view.m_painter);
  const std::int32_t hOld = m_nHPage, vOld = m_nVPage;
  m_view.m_bPaintEnabled = 0;
  m_dZoom /= 1.2;
  m_view.UpdateView();
  const std::int32_t hNew = m_nHPage, vNew = m_nVPage;
  if (m_nScrollX > 0 && hNew != 0) {
    const std::int32_t half = Trunc32(0.5 * hNew - 0.5 * hOld);
    m_nScrollX = Trunc32((static_cast<double>(m_nScrollX) - half) / 1.2);
  }
  if (m_nScrollY > 0 && vNew != 0) {
    m_nScrollY = SatAdd(m_nScrollY, static_cast<std::int64_t>(vOld / 2) - vNew / 2);
  }
  m_view.m_bPaintEnabled = 1;
  m_view.UpdateView();
}

void CViewport::OnZoomOut() {
  if (m_view.Mouse().Resizing() || !(m_dZoom < 4.0)) return;
  CScreenPainter::CRedisplayScope redisplay(m_view.m_painter);
  const std::int32_t hOld = m_nHPage, vOld = m_nVPage;
  m_dZoom *= 1.2;
  m_view.m_bPaintEnabled = 0;
  m_view.UpdateView();
  const std::int32_t hNew = m_nHPage, vNew = m_nVPage;
  if (hOld != 0) {
    const std::int32_t half = Trunc32(0.5 * hNew - 0.5 * hOld);
    m_nScrollX = std::max(0, Trunc32((static_cast<double>(m_nScrollX) - half) * 1.2));
  }
  if (vOld != 0) {
    m_nScrollY = std::max(0, SatAdd(m_nScrollY, static_cast<std::int64_t>(vOld / 2) - vNew / 2));
  }
  m_view.m_bPaintEnabled = 1;
  m_view.UpdateView();
}

void CViewport::OnZoomDefault() {
  CScreenPainter::CRedisplayScope redisplay(m_view.m_painter);
  m_dZoom = 1.0;
  m_nScrollX = 0;
  m_nScrollY = 0;
  m_view.UpdateView();
}

namespace {

// The box the list's objects take: each object's box, and for a bond the boxes of its two
// ends (its own box is not kept for a bond the paint left out). Top and left the smaller;
// nothing for an empty list. The paint's reach would hold everything too, but it is
// generous by design (a curve's possible bulge) and would leave the drawing small.
std::optional<CRect> SpanOfObjects(const CObList& list) {
  std::optional<CRect> span;
  const auto add = [&span](const CRect& rc) {
    const CRect box{std::min(rc.left, rc.right), std::min(rc.top, rc.bottom),
                    std::max(rc.left, rc.right), std::max(rc.top, rc.bottom)};
    if (!span) {
      span = box;
      return;
    }
    span->left = std::min(span->left, box.left);
    span->top = std::min(span->top, box.top);
    span->right = std::max(span->right, box.right);
    span->bottom = std::max(span->bottom, box.bottom);
  };
  for (const auto& p : list) {
    if (p->GetKind() != KIND_COUPLING) {
      add(p->m_rcBounds);
      continue;
    }
    const auto* pBond = static_cast<const CCoupling*>(p.get());
    for (const auto& [pEnd, pt] :
         {std::pair{pBond->m_pEndA, pBond->m_ptA}, std::pair{pBond->m_pEndB, pBond->m_ptB}}) {
      add(pEnd != nullptr ? pEnd->m_rcBounds : CRect{pt.x, pt.y, pt.x, pt.y});
    }
  }
  return span;
}

}  // namespace

std::optional<CRect> CViewport::DrawingSpan() const {
  if (m_view.m_pDocument == nullptr) return std::nullopt;
  return SpanOfObjects(m_view.m_pDocument->m_listObjects);
}

CViewport::CMapping CViewport::FitSpan(const CRect& rcSpan, const CFitArea& area) {
  const double uw = std::max(1.0, area.cx - 2.0 * area.dMargin);
  const double uh = std::max(1.0, area.cy - 2.0 * area.dMargin);
  // Drawing units per pixel are 1440 z / dpi: the zoom at which the span just fits.
  const double zx = (static_cast<double>(rcSpan.right) - rcSpan.left) * area.dpiX / (1440.0 * uw);
  const double zy = (static_cast<double>(rcSpan.bottom) - rcSpan.top) * area.dpiY / (1440.0 * uh);
  double z = std::clamp(std::max(zx, zy), area.dMinZoom, area.dMaxZoom);
  // A span without width or height fits at any zoom; 0 would map nothing anywhere.
  if (!(z > 0.0) || !std::isfinite(z)) z = std::clamp(1.0, area.dMinZoom, area.dMaxZoom);
  if (area.bWholeScale) {
    const double w = std::ceil(z * 1440.0 - 1e-6);
    z = w / 1440.0;
    // The mapping truncates z 1440: it must not fall a hair short of the whole number.
    while (z * 1440.0 < w) z = std::nextafter(z, 1e300);
  }
  // The span's centre on the area's centre. A device pixel x shows drawing x' with
  // x = x' dpi / (1440 z) - ScrollOffsetX, and y = -y' dpi / (1440 z) - ScrollOffsetY;
  // the offsets are 5 sx / z / z / 100 and 5 sy / z / 100.
  const double cx = (static_cast<double>(rcSpan.left) + rcSpan.right) / 2.0;
  const double cy = (static_cast<double>(rcSpan.top) + rcSpan.bottom) / 2.0;
  const double dOffsetX = cx * area.dpiX / (1440.0 * z) - area.cx / 2.0;
  const double dOffsetY = -cy * area.dpiY / (1440.0 * z) - area.cy / 2.0;
  return CMapping{z, Clamp32(std::llround(dOffsetX * 100.0 * z * z / 5.0)),
                  Clamp32(std::llround(dOffsetY * 100.0 * z / 5.0))};
}

void CViewport::OnZoomToFit() {
  if (m_view.Mouse().Resizing()) return;
  // A paint first: formulas lay themselves out and bonds follow their ends, so the boxes
  // are those the window will show.
  m_view.UpdateView();
  const std::optional<CRect> span = DrawingSpan();
  const CRect rcClient = m_view.m_pWindow->GetClientRect();
  const double cw = static_cast<double>(rcClient.right) - rcClient.left;
  const double ch = static_cast<double>(rcClient.bottom) - rcClient.top;
  if (!span || !(cw > 0.0) || !(ch > 0.0)) {
    OnZoomDefault();
    return;
  }
  // Within the zoom the zoom commands reach, with a margin of 16 pixels in the window.
  CFitArea area;
  area.cx = cw;
  area.cy = ch;
  area.dpiX = std::max(1, m_view.m_pWindow->GetPixelsPerInchX());
  area.dpiY = std::max(1, m_view.m_pWindow->GetPixelsPerInchY());
  area.dMargin = 16.0;
  area.dMinZoom = kMinZoom;
  area.dMaxZoom = kMaxZoom;
  const CMapping fit = FitSpan(*span, area);
  CScreenPainter::CRedisplayScope redisplay(m_view.m_painter);
  SetMapping(fit);
  m_view.UpdateView();
}

void CViewport::OnMouseWheel(int nDelta) {
  if (nDelta > 0) {
    OnZoomIn();
  } else if (nDelta < 0) {
    OnZoomOut();
  }
}

void CViewport::OnSize() {
  CScreenPainter::CRedisplayScope redisplay(m_view.m_painter);
  CRect rc = m_view.m_pWindow->GetClientRect();
  const int nToolBar = m_view.m_pSettings->m_bToolBarHidden ? 2 : 32;
  rc.top = SatAdd(rc.top, nToolBar);
  rc.bottom = SatAdd(rc.bottom, nToolBar);
  rc.left = SatAdd(rc.left, 2);
  rc.right = SatAdd(rc.right, -2);
  m_view.m_pWindow->ValidateParentRect(rc);
  m_view.UpdateView();
}

bool CViewport::MeasureAllExtents(std::int32_t& B, std::int32_t& T, std::int32_t& R,
                                  std::int32_t& L) {
  B = T = R = L = 0;
  // Unknown until the holders are all noted.
  m_bExtentsKnown = false;
  m_extentHolders.clear();
  if (m_view.m_pDocument == nullptr) return false;
  std::array<std::vector<const CKVObject*>, 4> on;
  MeasureExtents(m_view.m_pDocument->m_listObjects, B, T, R, L, &on);
  // A drawing with a whole row on an edge is followed no better than walked.
  if (on[0].size() + on[1].size() + on[2].size() + on[3].size() > kMaxExtentHolders) return false;
  for (const auto& edge : on) {
    for (const CKVObject* p : edge) {
      m_view.Watch(const_cast<CKVObject*>(p));
      m_extentHolders.emplace(p, p->m_rcBounds);
    }
  }
  return true;
}

bool CViewport::FollowExtents(std::int32_t& B, std::int32_t& T, std::int32_t& R, std::int32_t& L) {
  B = m_nRawBottom;
  T = m_nRawTop;
  R = m_nRawRight;
  L = m_nRawLeft;
  // An object that lay on an edge and has left it may have been the last one there: only
  // a walk of all says where the edge is now.
  for (const CKVObject* p : m_extentsChanged) {
    const auto it = m_extentHolders.find(p);
    if (it == m_extentHolders.end()) continue;
    const CRect& was = it->second;
    const CRect& rc = p->m_rcBounds;
    if ((was.bottom == B && rc.bottom > B) || (was.top == T && rc.top < T) ||
        (was.right == R && rc.right < R) || (was.left == L && rc.left > L)) {
      return false;
    }
  }
  for (const CKVObject* p : m_extentsChanged) {
    const CRect& rc = p->m_rcBounds;
    B = std::min(B, rc.bottom);
    T = std::max(T, rc.top);
    R = std::max(R, rc.right);
    L = std::min(L, rc.left);
  }
  // The changed objects on an edge now hold it, with their bounds as they are. One that
  // held an edge the extents grew past stays noted; it no longer lies on it.
  for (const CKVObject* p : m_extentsChanged) {
    const CRect& rc = p->m_rcBounds;
    if (rc.bottom == B || rc.top == T || rc.right == R || rc.left == L) {
      m_extentHolders.insert_or_assign(p, rc);
    } else {
      m_extentHolders.erase(p);
    }
  }
  return m_extentHolders.size() <= kMaxExtentHolders;
}

void CViewport::UpdateExtentsAndScrollBars() {
  std::int32_t B = 0, T = 0, R = 0, L = 0;
  // After a paint that brought up to date only what changed since the extents were last
  // measured, only those objects can have moved an edge.
  const bool bFollow = m_bExtentsChangedReady && m_bExtentsKnown && m_view.m_pDocument != nullptr &&
                       m_pExtentsDoc == m_view.m_pDocument;
  bool bKnown = false;
  if (bFollow && FollowExtents(B, T, R, L)) {
    ++m_nExtentsFollowed;
    bKnown = true;
#ifndef NDEBUG
    std::int32_t b, t, r, l;
    MeasureExtents(m_view.m_pDocument->m_listObjects, b, t, r, l, nullptr);
    if (b != B || t != T || r != R || l != L) {
      std::fprintf(stderr,
                   "incremental extents: %d %d %d %d differ from a full measure %d %d %d %d\n", B,
                   T, R, L, b, t, r, l);
      std::abort();
    }
#endif
  } else {
    bKnown = MeasureAllExtents(B, T, R, L);
  }
  m_bExtentsChangedReady = false;
  m_extentsChanged.clear();
  m_bExtentsKnown = bKnown;
  m_pExtentsDoc = m_view.m_pDocument;
  m_nExtentsStamp = m_view.m_painter.IndexStampOf(m_view.m_pDocument);
  m_rcWindow = m_view.m_pWindow->GetWindowRect();
  m_nRawBottom = B;
  m_nRawRight = R;
  m_nRawTop = T;
  m_nRawLeft = L;
  m_nExtBottom = Clamp32(static_cast<std::int64_t>(B) / -3);
  m_nExtRight = R / 3;
  m_nExtTop = Clamp32(static_cast<std::int64_t>(T) / -3);
  m_nExtLeft = L / 3;
  if (m_nExtBottom == 0 || m_nExtRight == 0) {
    m_nExtBottom = 10;
    m_nExtRight = 10;
    m_nExtTop = 0;
    m_nExtLeft = 0;
    UpdateScrollReach(0, 0);
    m_view.m_pWindow->ShowScrollBar(SB_HORZ, false);
    m_view.m_pWindow->ShowScrollBar(SB_VERT, false);
    m_bHBarShown = 0;
    m_bVBarShown = 0;
    return;
  }

  UpdateScrollReach(L, T);
  const double z = m_dZoom;
  // The horizontal extent is compared with the window once more divided by the zoom.
  const double Er = m_nExtRight;
  UpdateScrollBar(SB_HORZ, Er / z / z, m_rcWindow.right, Er / z, m_nScrollX, m_nExtRight,
                  m_nHBarMin, m_nHPage, m_bHBarShown);
  m_nExtTop = std::min(m_nExtTop, 0);
  const double Eb = m_nExtBottom;
  UpdateScrollBar(SB_VERT, Eb / z, m_rcWindow.bottom, Eb / z, m_nScrollY, m_nExtBottom, m_nVBarMin,
                  m_nVPage, m_bVBarShown);
}

void CViewport::UpdateScrollReach(std::int32_t L, std::int32_t T) {
  // The scroll position at which the window's first pixel shows the drawing's left edge
  // (or its top), rounded down to a whole step of the bar (a hundredth of 5 x extent), so
  // that the bar's lowest position reaches it.
  const double z = m_dZoom;
  const int dpiX = std::max(1, m_view.m_pWindow->GetPixelsPerInchX());
  const int dpiY = std::max(1, m_view.m_pWindow->GetPixelsPerInchY());
  const auto reach = [](double dScroll, std::int32_t nExt, std::int32_t& nBarMin,
                        std::int32_t& nScrollMin) {
    nBarMin = 0;
    nScrollMin = 0;
    if (!(dScroll < 0.0) || nExt <= 0) return;
    const double dStep = 5.0 * nExt / 100.0;
    const double dBar = std::max(std::floor(dScroll / dStep), -1e9);
    nBarMin = Trunc32(dBar);
    nScrollMin = Trunc32(std::max(dBar * dStep, -2147483648.0));
  };
  // The window's offset counts whole pixels: a margin of a few makes sure the edge shows.
  constexpr double kMarginPixels = 4.0;
  reach(L < 0 ? (static_cast<double>(L) * dpiX / (1440.0 * z) - kMarginPixels) * 20.0 * z * z : 0.0,
        m_nExtRight, m_nHBarMin, m_nScrollMinX);
  reach(T > 0 ? (-static_cast<double>(T) * dpiY / (1440.0 * z) - kMarginPixels) * 20.0 * z : 0.0,
        m_nExtBottom, m_nVBarMin, m_nScrollMinY);
}

void CViewport::UpdateScrollBar(int nBar, double dFit, double W, double dExtent,
                                std::int32_t nScroll, std::int32_t nExt, std::int32_t nBarMin,
                                std::int32_t& nPage, std::int32_t& bShown) {
  // Shown while the drawing does not fit the window, the view is scrolled, or something
  // lies left of or above the origin, where only the bar can take the window.
  if (!(dFit > W || nScroll != 0 || nBarMin < 0)) {
    m_view.m_pWindow->ShowScrollBar(nBar, false);
    bShown = 0;
    return;
  }
  m_view.m_pWindow->ShowScrollBar(nBar, true);
  m_view.m_pWindow->SetScrollRange(nBar, nBarMin, 100, false);
  m_view.m_pWindow->SetScrollPage(nBar, Trunc32(W * 100.0 / dExtent));
  nPage = Trunc32(W * 10000.0 / dExtent);
  m_view.m_pWindow->SetScrollPos(nBar, ThumbPosition(nScroll, nExt), true);
  bShown = 1;
}

void CViewport::NormalizePosition() {
  CKvillDoc* pDoc = m_view.m_pDocument;
  if (pDoc != nullptr) {
    for (const auto& p : pDoc->m_listObjects) {
      if (p->GetKind() == KIND_COUPLING) continue;
      const CRect& rc = p->m_rcBounds;
      m_nExtBottom = std::min(m_nExtBottom, rc.bottom);
      m_nExtTop = std::max(m_nExtTop, rc.top);
      m_nExtRight = std::max(m_nExtRight, rc.right);
      m_nExtLeft = std::min(m_nExtLeft, rc.left);
    }
  }
  if (m_view.EditState() == 1) {
    m_view.m_pWindow->HideCaret();
    m_view.SetEditState(0);
  }
  m_nExtLeft = std::min(m_nExtLeft, 0);
  m_nExtTop = std::max(m_nExtTop, 0);
  if (m_nExtLeft < -500 || m_nExtTop > 500) {
    const std::int64_t dx = m_nExtLeft < -500 ? 500 - static_cast<std::int64_t>(m_nExtLeft)
                                              : -static_cast<std::int64_t>(m_nExtLeft);
    const std::int64_t dy = m_nExtTop > 500 ? -500 - static_cast<std::int64_t>(m_nExtTop)
                                            : -static_cast<std::int64_t>(m_nExtTop);
    CScopedWindowDC dc(*m_view.m_pWindow);
    if (dc.Get() != nullptr) OnPrepareDC(dc.Get());
    if (m_view.m_pDocument != nullptr) {
      m_view.Unsettle();
      ShiftObjects(m_view.m_pDocument->m_listObjects, dc.Get(), CSize{Clamp32(dx), Clamp32(dy)});
    }
  }

  m_rcWindow = m_view.m_pWindow->GetWindowRect();
  m_nExtBottom = Clamp32(static_cast<std::int64_t>(m_nExtBottom) / -9);
  m_nExtRight = m_nExtRight / 9;
  m_nExtTop = Clamp32(static_cast<std::int64_t>(m_nExtTop) / -9);
  m_nExtLeft = m_nExtLeft / 9;
  if (m_nExtBottom == 0 || m_nExtRight == 0) {
    m_nExtBottom = 10;
    m_nExtRight = 10;
    m_nExtTop = 0;
    m_nExtLeft = 0;
    return;
  }

  const double z = m_dZoom;
  m_nExtLeft = std::min(m_nExtLeft, 0);
  if (m_nExtRight / z > m_rcWindow.right || m_rcWindow.left > m_nExtLeft / z) {
    m_view.m_pWindow->ShowScrollBar(SB_HORZ, true);
    m_view.m_pWindow->SetScrollRange(SB_HORZ, m_nHBarMin, 100, false);
    m_view.m_pWindow->SetScrollPage(SB_HORZ, Trunc32(m_rcWindow.right / (m_nExtRight / z) * 100.0));
    ScheduleScrollRefresh();
  } else {
    m_view.m_pWindow->ShowScrollBar(SB_HORZ, false);
  }
  m_nExtTop = std::min(m_nExtTop, 0);
  if (m_nExtBottom / z > m_rcWindow.bottom || m_rcWindow.top > m_nExtTop / z) {
    m_view.m_pWindow->ShowScrollBar(SB_VERT, true);
    m_view.m_pWindow->SetScrollPage(SB_VERT,
                                    Trunc32(m_rcWindow.bottom / (m_nExtBottom / z) * 100.0));
    ScheduleScrollRefresh();
  } else {
    m_view.m_pWindow->ShowScrollBar(SB_VERT, false);
  }
}

// ---------------------------------------------------------------------------------------
// Scroll bars

void CViewport::OnScroll(bool bHorizontal, int nCode, int nPos) {
  CScreenPainter::CRedisplayScope redisplay(m_view.m_painter);
  if ((bHorizontal ? m_nExtRight : m_nExtBottom) == 0) m_view.UpdateView();
  std::int32_t& S = bHorizontal ? m_nScrollX : m_nScrollY;
  const double E = bHorizontal ? m_nExtRight : m_nExtBottom;
  const double W = bHorizontal ? m_rcWindow.right : m_rcWindow.bottom;
  const std::int32_t P = bHorizontal ? m_nHPage : m_nVPage;
  const double k = bHorizontal ? m_dZoom * m_dZoom : m_dZoom;
  // The position that shows the end of the drawing. On a drawing smaller than the window
  // it would be negative, which would push the drawing away from the window's corner, so
  // the scroll position never goes below 0 but to reach what lies left of or above the
  // origin.
  const std::int32_t nLast = std::max(0, Trunc32((E + 100.0 - W * k) * 5.0));
  const std::int32_t nFirst = std::min(0, bHorizontal ? m_nScrollMinX : m_nScrollMinY);
  const std::int32_t nBarMin = bHorizontal ? m_nHBarMin : m_nVBarMin;

  switch (nCode) {
    case SB_LINEUP:
      S = std::max(nFirst, SatAdd(S, -100));
      break;
    case SB_LINEDOWN:
      S = SatAdd(S, 100);
      if (S / 5 + W * k > E) S = nLast;
      break;
    case SB_PAGEUP:
      S = std::max(nFirst, SatAdd(S, Trunc32(-5.0 * W * k)));
      break;
    case SB_PAGEDOWN:
      S = SatAdd(S, Trunc32(5.0 * W * k));
      if (S > (E - W * k) * 5.0) S = nLast;
      break;
    default:
      break;
  }
  ScheduleScrollRefresh();
  // Below position 0 the thumb stands for what lies left of or above the origin; there a
  // thumb dragged to 0 means 0 too.
  const bool bThumb = nCode == SB_THUMBTRACK || nCode == SB_THUMBPOSITION;
  if (nPos < 0 && bThumb && nBarMin < 0) {
    S = std::max(nFirst, Clamp32(static_cast<std::int64_t>(E) * std::max(nPos, nBarMin) * 5 / 100));
  } else if (nPos != 0 || (bThumb && nBarMin < 0)) {
    const std::int64_t n = nPos <= 1 ? 0 : nPos;
    S = Clamp32(static_cast<std::int64_t>(E) * n * 5 / 100);
    const std::int64_t m = 100 - P / 100;
    if (n >= m) S = nLast;
  }
}

void CViewport::ScheduleScrollRefresh() {
  m_view.m_pWindow->SetTimer(TIMER_SCROLL_REFRESH, 10);
  ++m_nRefreshPending;
}

void CViewport::ScrollRefresh() {
  m_view.m_pWindow->SetScrollPos(SB_HORZ, ThumbPosition(m_nScrollX, m_nExtRight), false);
  m_view.m_pWindow->SetScrollPos(SB_VERT, ThumbPosition(m_nScrollY, m_nExtBottom), false);
  --m_nRefreshPending;
  CScreenPainter::CRedisplayScope redisplay(m_view.m_painter);
  m_view.UpdateView();
}

void CViewport::ResetZoomAndScroll() {
  m_view.Unsettle();
  m_dZoom = 1.0;
  m_nScrollX = 0;
  m_nScrollY = 0;
  m_view.m_pWindow->SetScrollPos(SB_HORZ, 0, true);
  m_view.m_pWindow->SetScrollPos(SB_VERT, 0, true);
}
