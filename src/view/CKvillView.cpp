#include "view/CKvillView.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/CKVObject.h"
#include "objects/GroupWalk.h"
#include "resources/WindowMessages.h"
#include "view/CHeadlessViewHost.h"
#include "view/CMeasuringDC.h"
#include "view/IViewHost.h"
#include "view/PaintReach.h"
#include "view/commands/CommandTable.h"

namespace {

// A window surface handed to the formula engine for measuring; the window surface goes
// back to the host when it is destroyed.
class CBorrowedWindowDC : public CMeasuringDC {
 public:
  CBorrowedWindowDC(IViewWindow& host, CDC* pDC) : CMeasuringDC(pDC), m_host(host), m_pDC(pDC) {}
  ~CBorrowedWindowDC() override { m_host.ReleaseDC(m_pDC); }

 private:
  IViewWindow& m_host;
  CDC* m_pDC;
};

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

CKvillView::CKvillView(IViewHost* pHost, CKvillDoc* pDoc, CAppSettings* pSettings)
    : m_pDocument(pDoc) {
  if (pSettings != nullptr) m_pSettings = pSettings;
  if (pDoc != nullptr) pDoc->SetClient(this);
  SetHost(pHost);
  m_pSettings->m_bEnglish = m_pWindow->GetUserDefaultUILanguage() == 1033 ? 1 : 0;
  if (m_cfNative == 0) m_cfNative = m_pWindow->RegisterClipboardFormat("Valendra Native");
  if (m_cfObjectDescriptor == 0) {
    m_cfObjectDescriptor = m_pWindow->RegisterClipboardFormat("Object Descriptor");
  }
}

CKvillView::~CKvillView() {
  if (m_pDocument != nullptr && m_pDocument->GetClient() == this) m_pDocument->SetClient(nullptr);
}

void CKvillView::SetDocument(CKvillDoc* pDoc) {
  if (m_pDocument != nullptr && m_pDocument->GetClient() == this) m_pDocument->SetClient(nullptr);
  m_pDocument = pDoc;
  if (pDoc != nullptr) pDoc->SetClient(this);
  Unsettle();
}

std::int32_t CKvillView::SelCount() const {
  return m_pDocument != nullptr ? m_pDocument->GetSelCount() : 0;
}

void CKvillView::SetSelCount(std::int32_t n) {
  if (m_pDocument != nullptr) m_pDocument->SetSelCount(n);
}

void CKvillView::AddToSelCount(std::int32_t n) {
  if (m_pDocument != nullptr) m_pDocument->SetSelCount(m_pDocument->GetSelCount() + n);
}

std::unique_ptr<CDC> CKvillView::GetWindowSurface() {
  CDC* pDC = m_pWindow->GetDC();
  if (pDC == nullptr) return nullptr;
  return std::make_unique<CBorrowedWindowDC>(*m_pWindow, pDC);
}

void CKvillView::SetHost(IViewHost* pHost) {
  if (pHost == nullptr) {
    if (!m_pOwnHost) m_pOwnHost = std::make_unique<CHeadlessViewHost>();
    pHost = m_pOwnHost.get();
  }
  m_pWindow = pHost;
  m_pFrame = pHost;
}

// ---------------------------------------------------------------------------------------
// Coordinates

int CKvillView::ScrollOffsetX() const {
  return Trunc32(5.0 * m_nScrollX / m_dZoom / m_dZoom / 100.0);
}

int CKvillView::ScrollOffsetY() const { return Trunc32(5.0 * m_nScrollY / m_dZoom / 100.0); }

CPoint CKvillView::DeviceToLogical(CPoint p) const {
  const double z = m_dZoom;
  const int dpiX = std::max(1, m_pWindow->GetPixelsPerInchX());
  const int dpiY = std::max(1, m_pWindow->GetPixelsPerInchY());
  const double x = static_cast<double>(p.x) + ScrollOffsetX();
  const double y = static_cast<double>(p.y) + ScrollOffsetY();
  return CPoint{Trunc32(x * 1440.0 * z / dpiX), Trunc32(-y * 1440.0 * z / dpiY)};
}

CPoint CKvillView::LogicalToDevice(CPoint pt, const CDC* pDC) const {
  const double z = m_dZoom;
  const int dpiX =
      std::max(1, pDC != nullptr ? pDC->GetDeviceCaps(LOGPIXELSX) : m_pWindow->GetPixelsPerInchX());
  const int dpiY =
      std::max(1, pDC != nullptr ? pDC->GetDeviceCaps(LOGPIXELSY) : m_pWindow->GetPixelsPerInchY());
  const std::int64_t x = Trunc32(pt.x / (z * 1440.0 / dpiX));
  const std::int64_t y = Trunc32(-static_cast<double>(pt.y) / (z * 1440.0 / dpiY));
  return CPoint{Clamp32(x - ScrollOffsetX()), Clamp32(y - ScrollOffsetY())};
}

void CKvillView::OnPrepareDC(CDC* pDC) const {
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

void CKvillView::OnZoomIn() {
  if (m_bResizing || !(m_dZoom > 0.2)) return;
  CScreenPainter::CRedisplayScope redisplay(m_painter);
  const std::int32_t hOld = m_nHPage, vOld = m_nVPage;
  m_bPaintEnabled = 0;
  m_dZoom /= 1.2;
  UpdateView();
  const std::int32_t hNew = m_nHPage, vNew = m_nVPage;
  if (m_nScrollX > 0 && hNew != 0) {
    const std::int32_t half = Trunc32(0.5 * hNew - 0.5 * hOld);
    m_nScrollX = Trunc32((static_cast<double>(m_nScrollX) - half) / 1.2);
  }
  if (m_nScrollY > 0 && vNew != 0) {
    m_nScrollY = SatAdd(m_nScrollY, static_cast<std::int64_t>(vOld / 2) - vNew / 2);
  }
  m_bPaintEnabled = 1;
  UpdateView();
}

void CKvillView::OnZoomOut() {
  if (m_bResizing || !(m_dZoom < 4.0)) return;
  CScreenPainter::CRedisplayScope redisplay(m_painter);
  const std::int32_t hOld = m_nHPage, vOld = m_nVPage;
  m_dZoom *= 1.2;
  m_bPaintEnabled = 0;
  UpdateView();
  const std::int32_t hNew = m_nHPage, vNew = m_nVPage;
  if (hOld != 0) {
    const std::int32_t half = Trunc32(0.5 * hNew - 0.5 * hOld);
    m_nScrollX = std::max(0, Trunc32((static_cast<double>(m_nScrollX) - half) * 1.2));
  }
  if (vOld != 0) {
    m_nScrollY = std::max(0, SatAdd(m_nScrollY, static_cast<std::int64_t>(vOld / 2) - vNew / 2));
  }
  m_bPaintEnabled = 1;
  UpdateView();
}

void CKvillView::OnZoomDefault() {
  CScreenPainter::CRedisplayScope redisplay(m_painter);
  m_dZoom = 1.0;
  m_nScrollX = 0;
  m_nScrollY = 0;
  UpdateView();
}

void CKvillView::OnMouseWheel(int nDelta) {
  // One step per message, however far the wheel turned; the wheel never scrolls.
  if (nDelta > 0) {
    OnZoomIn();
  } else if (nDelta < 0) {
    OnZoomOut();
  }
}

void CKvillView::OnSize() {
  CScreenPainter::CRedisplayScope redisplay(m_painter);
  CRect rc = m_pWindow->GetClientRect();
  const int nToolBar = m_pSettings->m_bToolBarHidden ? 2 : 32;
  rc.top = SatAdd(rc.top, nToolBar);
  rc.bottom = SatAdd(rc.bottom, nToolBar);
  rc.left = SatAdd(rc.left, 2);
  rc.right = SatAdd(rc.right, -2);
  m_pWindow->ValidateParentRect(rc);
  UpdateView();
}

// ---------------------------------------------------------------------------------------
// UpdateView and NormalizePosition

void CKvillView::UpdateView() {
  m_cursor.NoteDrawingChanged();
  CKvillDoc* pDoc = m_pDocument;
  // What the selection walk gathers is for this update's paint alone, however it ends.
  struct CForgetGathered {
    CScreenPainter& painter;
    ~CForgetGathered() { painter.ForgetGathered(); }
  } forget{m_painter};
  if (pDoc != nullptr) m_painter.KeepSelectionInFront(pDoc->m_listObjects);
  m_bSendToBack = 0;
  // Only this update's paint tells the extents what changed.
  m_bExtentsChangedReady = false;

  if (m_bPaintEnabled) {
    CScopedWindowDC dc(*m_pWindow);
    if (dc.Get() != nullptr) {
      if (m_nEditState == 1) m_pWindow->HideCaret();
      OnPrepareDC(dc.Get());
      m_bPainting = 1;
      {
        CRop2Guard rop(dc.Get(), R2_COPYPEN);
        RenderDrawing(dc.Get(), pDoc);
      }
      if (m_nEditState == 1) RestoreEditCaret(dc.Get());
    }
  }

  if (m_bPendingModified && pDoc != nullptr) pDoc->SetModifiedFlag();
  m_bPendingModified = 0;
  UpdateExtentsAndScrollBars();
}

bool CKvillView::MeasureAllExtents(std::int32_t& B, std::int32_t& T, std::int32_t& R,
                                   std::int32_t& L) {
  B = T = R = L = 0;
  // Unknown until the holders are all noted.
  m_bExtentsKnown = false;
  m_extentHolders.clear();
  if (m_pDocument == nullptr) return false;
  std::array<std::vector<const CKVObject*>, 4> on;
  MeasureExtents(m_pDocument->m_listObjects, B, T, R, L, &on);
  // A drawing with a whole row on an edge is followed no better than walked.
  if (on[0].size() + on[1].size() + on[2].size() + on[3].size() > kMaxExtentHolders) return false;
  for (const auto& edge : on) {
    for (const CKVObject* p : edge) {
      Watch(const_cast<CKVObject*>(p));
      m_extentHolders.emplace(p, p->m_rcBounds);
    }
  }
  return true;
}

bool CKvillView::FollowExtents(std::int32_t& B, std::int32_t& T, std::int32_t& R, std::int32_t& L) {
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

void CKvillView::UpdateExtentsAndScrollBars() {
  std::int32_t B = 0, T = 0, R = 0, L = 0;
  // After a paint that brought up to date only what changed since the extents were last
  // measured, only those objects can have moved an edge.
  const bool bFollow = m_bExtentsChangedReady && m_bExtentsKnown && m_pDocument != nullptr &&
                       m_pExtentsDoc == m_pDocument;
  bool bKnown = false;
  if (bFollow && FollowExtents(B, T, R, L)) {
    ++m_nExtentsFollowed;
    bKnown = true;
#ifndef NDEBUG
    std::int32_t b, t, r, l;
    MeasureExtents(m_pDocument->m_listObjects, b, t, r, l, nullptr);
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
  m_pExtentsDoc = m_pDocument;
  m_nExtentsStamp = m_painter.IndexStampOf(m_pDocument);
  m_rcWindow = m_pWindow->GetWindowRect();
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
    m_pWindow->ShowScrollBar(SB_HORZ, false);
    m_pWindow->ShowScrollBar(SB_VERT, false);
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

void CKvillView::UpdateScrollReach(std::int32_t L, std::int32_t T) {
  // The scroll position at which the window's first pixel shows the drawing's left edge
  // (or its top), rounded down to a whole step of the bar (a hundredth of 5 x extent), so
  // that the bar's lowest position reaches it.
  const double z = m_dZoom;
  const int dpiX = std::max(1, m_pWindow->GetPixelsPerInchX());
  const int dpiY = std::max(1, m_pWindow->GetPixelsPerInchY());
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

void CKvillView::UpdateScrollBar(int nBar, double dFit, double W, double dExtent,
                                 std::int32_t nScroll, std::int32_t nExt, std::int32_t nBarMin,
                                 std::int32_t& nPage, std::int32_t& bShown) {
  // Shown while the drawing does not fit the window, the view is scrolled, or something
  // lies left of or above the origin, where only the bar can take the window.
  if (!(dFit > W || nScroll != 0 || nBarMin < 0)) {
    m_pWindow->ShowScrollBar(nBar, false);
    bShown = 0;
    return;
  }
  m_pWindow->ShowScrollBar(nBar, true);
  m_pWindow->SetScrollRange(nBar, nBarMin, 100, false);
  m_pWindow->SetScrollPage(nBar, Trunc32(W * 100.0 / dExtent));
  nPage = Trunc32(W * 10000.0 / dExtent);
  m_pWindow->SetScrollPos(nBar, ThumbPosition(nScroll, nExt), true);
  bShown = 1;
}

void CKvillView::NormalizePosition() {
  CKvillDoc* pDoc = m_pDocument;
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
  if (m_nEditState == 1) {
    m_pWindow->HideCaret();
    m_nEditState = 0;
  }
  m_nExtLeft = std::min(m_nExtLeft, 0);
  m_nExtTop = std::max(m_nExtTop, 0);
  if (m_nExtLeft < -500 || m_nExtTop > 500) {
    const std::int64_t dx = m_nExtLeft < -500 ? 500 - static_cast<std::int64_t>(m_nExtLeft)
                                              : -static_cast<std::int64_t>(m_nExtLeft);
    const std::int64_t dy = m_nExtTop > 500 ? -500 - static_cast<std::int64_t>(m_nExtTop)
                                            : -static_cast<std::int64_t>(m_nExtTop);
    CScopedWindowDC dc(*m_pWindow);
    if (dc.Get() != nullptr) OnPrepareDC(dc.Get());
    if (m_pDocument != nullptr) {
      Unsettle();
      ShiftObjects(m_pDocument->m_listObjects, dc.Get(), CSize{Clamp32(dx), Clamp32(dy)});
    }
  }

  m_rcWindow = m_pWindow->GetWindowRect();
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
    m_pWindow->ShowScrollBar(SB_HORZ, true);
    m_pWindow->SetScrollRange(SB_HORZ, m_nHBarMin, 100, false);
    m_pWindow->SetScrollPage(SB_HORZ, Trunc32(m_rcWindow.right / (m_nExtRight / z) * 100.0));
    ScheduleScrollRefresh();
  } else {
    m_pWindow->ShowScrollBar(SB_HORZ, false);
  }
  m_nExtTop = std::min(m_nExtTop, 0);
  if (m_nExtBottom / z > m_rcWindow.bottom || m_rcWindow.top > m_nExtTop / z) {
    m_pWindow->ShowScrollBar(SB_VERT, true);
    m_pWindow->SetScrollPage(SB_VERT, Trunc32(m_rcWindow.bottom / (m_nExtBottom / z) * 100.0));
    ScheduleScrollRefresh();
  } else {
    m_pWindow->ShowScrollBar(SB_VERT, false);
  }
}

// ---------------------------------------------------------------------------------------
// Scroll bars

void CKvillView::OnHScroll(int nCode, int nPos) { OnScroll(true, nCode, nPos); }

void CKvillView::OnVScroll(int nCode, int nPos) { OnScroll(false, nCode, nPos); }

void CKvillView::OnScroll(bool bHorizontal, int nCode, int nPos) {
  CScreenPainter::CRedisplayScope redisplay(m_painter);
  if ((bHorizontal ? m_nExtRight : m_nExtBottom) == 0) UpdateView();
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

void CKvillView::ScheduleScrollRefresh() {
  m_pWindow->SetTimer(TIMER_SCROLL_REFRESH, 10);
  ++m_nRefreshPending;
}

void CKvillView::ScrollRefresh() {
  m_pWindow->SetScrollPos(SB_HORZ, ThumbPosition(m_nScrollX, m_nExtRight), false);
  m_pWindow->SetScrollPos(SB_VERT, ThumbPosition(m_nScrollY, m_nExtBottom), false);
  --m_nRefreshPending;
  CScreenPainter::CRedisplayScope redisplay(m_painter);
  UpdateView();
}

// ---------------------------------------------------------------------------------------
// Selection upkeep

void CKvillView::ResetAllDone() {
  Unsettle();
  if (m_pDocument == nullptr) return;
  for (const auto& p : m_pDocument->m_listObjects) p->ResetDone();
}

void CKvillView::DeselectAll() {
  Unsettle();
  if (m_pDocument != nullptr) {
    for (const auto& p : m_pDocument->m_listObjects) {
      if (p->m_bSelected) p->MarkChanged();
      p->m_bSelected = 0;
    }
  }
  SetSelCount(0);
}

void CKvillView::CountSelection() {
  SetSelCount(0);
  if (m_pDocument == nullptr) return;
  for (const auto& p : m_pDocument->m_listObjects) {
    if (p->m_bSelected) AddToSelCount(1);
  }
}

void CKvillView::DragSelection(CDC* pDC, CSize offset) {
  if (m_pDocument == nullptr) return;
  Unsettle();
  DragSelected(m_pDocument->m_listObjects, pDC, offset);
}

// ---------------------------------------------------------------------------------------
// Painting

void CKvillView::OnDraw(CDC* pDC) {
  CScreenPainter::CRedisplayScope redisplay(m_painter);
  if (m_nEditState == 1) m_pWindow->HideCaret();
  RenderDrawing(pDC, m_pDocument);
  m_bPendingModified = 0;
  if (m_nEditState == 1) RestoreEditCaret(pDC);
}

void CKvillView::RestoreEditCaret(CDC* pDC) {
  if (m_pCurrent == nullptr || m_pCurrent->GetKind() != KIND_FORMULA) return;
  auto* pFormula = static_cast<CFormula*>(m_pCurrent);
  CPoint pt;
  pFormula->LocateCaret(pDC, 1, pFormula->m_nCaret, &pt, &m_formula);
}

void CKvillView::Unsettle() {
  m_cursor.NoteDrawingChanged();
  m_painter.EndPaintRest();
}

void CKvillView::ObjectDestroyed(const CKVObject* pObj) {
  Unsettle();
  m_bExtentsChangedReady = false;
  if (m_bExtentsKnown && m_extentHolders.count(pObj) != 0) m_bExtentsKnown = false;
  m_painter.ObjectDestroyed(pObj);
}

void CKvillView::Watch(CKVObject* pObj) const {
  if (pObj->m_pWatcher != m_pDocument) pObj->m_pWatcher = m_pDocument;
}

// ---------------------------------------------------------------------------------------
// The embedding picture

CPictureRenderer& CKvillView::Picture() {
  m_picture.SetSurfaces(m_pWindow);
  m_picture.SetDocument(m_pDocument);
  m_picture.SetEmbedding(m_embedding.IsEmbedded(), m_embedding.IsFresh());
  m_picture.SetBuffer(m_pWindow->GetClientRect(), m_nRawRight, m_nRawBottom);
  return m_picture;
}

void CKvillView::BeforePicturePass() {
  // The picture draws every object for another purpose and moves them: what the paints
  // remembered, and the kept buffer, no longer hold.
  Unsettle();
  m_painter.ForgetPaints();
  m_nExtBottom = 0;
  m_nExtRight = 0;
  m_bPainting = 0;
}

std::optional<CExportBitmap> CKvillView::RenderPictureExtents(CDC* pDC) {
  BeforePicturePass();
  return Picture().RenderExtents(pDC);
}

CSize CKvillView::GetPictureExtent() {
  BeforePicturePass();
  return Picture().GetPictureExtent();
}

CSize CKvillView::DrawPicture(CDC* pDC, std::optional<CSize> szViewportExt,
                              const WorkProgress& progress) {
  BeforePicturePass();
  // While the picture is drawn the window's mouse and cursor feedback wait.
  m_bDirectRender = 1;
  const CSize szReported = Picture().DrawPicture(pDC, szViewportExt, progress);
  m_bDirectRender = 0;
  m_bPainting = 0;
  Unsettle();
  return szReported;
}

// ---------------------------------------------------------------------------------------
// What the document reaches

void CKvillView::EndFormulaEditing() {
  Unsettle();
  if (m_nEditState != 1) return;
  m_pWindow->HideCaret();
  m_nEditState = 0;
}

void CKvillView::ReleaseObjects() {
  EndFormulaEditing();
  m_pCurrent = nullptr;
  m_pHover = nullptr;
  m_pCtrlToggle = nullptr;
}

void CKvillView::ScheduleHistoryReset() { m_pWindow->SetTimer(TIMER_RESET_HISTORY, 10); }

void CKvillView::ScheduleIncompatibleFileMessage() {
  m_pWindow->SetTimer(TIMER_INCOMPATIBLE_FILE, 10);
}

void CKvillView::ResetForNewDocument() {
  m_dZoom = 1.0;
  m_nScrollX = 0;
  m_nScrollY = 0;
  UpdateView();
  ScheduleScrollRefresh();
  ReleaseObjects();
  SetSelCount(0);
}

int CKvillView::MessageBox(const std::string& strText, const std::string& strCaption,
                           unsigned nFlags, bool bOwned) {
  return m_pWindow->MessageBox(strText, strCaption, nFlags, bOwned);
}

bool CKvillView::DoFileSaveAs() { return m_pFrame->DoFileSaveAs(); }

bool CKvillView::DoFileSave() { return m_pFrame->DoFileSave(); }

void CKvillView::UpdateContainer() {
  m_embedding.SetContainerUpdated(true);
  m_pFrame->UpdateAllItems();
}

void CKvillView::ServerItemDestroyed(CKvillSrvrItem* pItem) {
  m_embedding.ForgetServerItem(pItem);
  if (m_pTransferItem == pItem) m_pTransferItem = nullptr;
}

void CKvillView::ResetZoomAndScroll() {
  Unsettle();
  m_dZoom = 1.0;
  m_nScrollX = 0;
  m_nScrollY = 0;
  m_pWindow->SetScrollPos(SB_HORZ, 0, true);
  m_pWindow->SetScrollPos(SB_VERT, 0, true);
}

// ---------------------------------------------------------------------------------------
// Timers, messages and commands

void CKvillView::OnTimer(int nId) {
  // Only the scroll refresh and the cursor feedback leave the drawing as it is.
  if (nId != TIMER_SCROLL_REFRESH && nId != TIMER_CURSOR_FEEDBACK) Unsettle();
  switch (nId) {
    case TIMER_SCROLL_REFRESH:
      m_pWindow->KillTimer(nId);
      if (m_pDocument != nullptr && m_pDocument->m_bJustSaved) {
        MarkSavedSnapshot();
        return;
      }
      m_pFrame->EndStartingUp();
      if (m_nRefreshPending > 0) ScrollRefresh();
      if (m_pSettings->m_bApplyShowState == 1) {
        m_pSettings->m_bApplyShowState = 0;
        m_pFrame->ShowMainWindow(SW_MAXIMIZE);
        if (!m_pSettings->m_bMaximized) m_pFrame->ShowMainWindow(SW_SHOWNORMAL);
      }
      break;
    case TIMER_RESET_HISTORY:
      m_pWindow->KillTimer(nId);
      ClearHistory();
      PushSnapshot();
      if (!m_strOpenAtStart.empty()) {
        const std::string strPath = m_strOpenAtStart;
        m_strOpenAtStart.clear();
        m_pFrame->OpenFileAtStart(strPath);
      }
      break;
    case TIMER_INCOMPATIBLE_FILE:
      m_pWindow->KillTimer(nId);
      ShowIncompatibleFile();
      break;
    default:
      OnInteractionTimer(nId);
      break;
  }
}

void CKvillView::OnPostedMessage(int nMessage, std::intptr_t, std::intptr_t) {
  Unsettle();
  OnDrawBarMessage(nMessage);
}

namespace {

// The row of a command the view carries out; null for the frame's and unknown ones.
const CommandRow* ViewRow(int nId) {
  const CommandRow* pRow = FindCommandRow(nId);
  return pRow != nullptr && pRow->owner == CommandOwner::View ? pRow : nullptr;
}

}  // namespace

bool CKvillView::OnCommand(int nId) {
  const CommandRow* pRow = FindCommandRow(nId);
  if (pRow == nullptr || pRow->rest == PaintRest::Ended) Unsettle();
  if (pRow == nullptr) return false;
  // One step of the history per command, recorded here once the handler has changed the
  // drawing, so that no handler has to remember it.
  if (pRow->run(*this, nId) && pRow->undo == UndoStep::Recorded) PushSnapshot();
  return pRow->owner == CommandOwner::View;
}

bool CKvillView::IsCommandHandled(int nId) const { return ViewRow(nId) != nullptr; }

bool CKvillView::IsCommandEnabled(int nId) const {
  return IsCommandHandled(nId) && CanChooseCommand(nId);
}

bool CKvillView::CanChooseCommand(int nId) const {
  const CommandRow* pRow = FindCommandRow(nId);
  return pRow != nullptr && (pRow->enabled == nullptr || pRow->enabled(*this, nId));
}

bool CKvillView::IsCommandChecked(int nId) const {
  const CommandRow* pRow = ViewRow(nId);
  return pRow != nullptr && pRow->checked != nullptr && pRow->checked(*this, nId);
}

// ---------------------------------------------------------------------------------------
// Undo history

void CKvillView::PushSnapshot() {
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr) return;
  try {
    // Only the objects changed since the last snapshot write their records again.
    const std::vector<const CStoredRecord*> records = pDoc->StoreRecords();
#ifndef NDEBUG
    CheckRecordsAgainstFullStore(records);
#endif
    if (!m_history.IsEmpty()) pDoc->SetModifiedFlag();
    m_history.PushRecords(records, pDoc->IsModified());
  } catch (const std::bad_alloc&) {
    ShowMemoryError();
    ClearHistory();
  }
}

void CKvillView::Undo() {
  Unsettle();
  if (const auto snapshot = m_history.Undo()) ReloadFrom(*snapshot);
}

void CKvillView::Redo() {
  Unsettle();
  if (const auto snapshot = m_history.Redo()) ReloadFrom(*snapshot);
}

void CKvillView::ReloadFrom(const CUndoHistory::CReload& snapshot, bool bWholeStream) {
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr) return;
  pDoc->SetModifiedFlag(snapshot.bModified);
  m_pWindow->BeginWaitCursor();
  try {
    // The objects read take over the records they were read from, for the next snapshot;
    // the load's own paint waits until they have, as it may move bond points and formula
    // boxes, and the records must then be written again.
    const std::int32_t bPaintEnabled = m_bPaintEnabled;
    const std::uint64_t nBefore = CKVObject::LatestChangeStamp();
    m_bPaintEnabled = 0;
    try {
      // Mostly only a few records differ from what the drawing holds, and only those are
      // read; when that cannot be done exactly, the whole stream is.
      bool bPartial = false;
      if (!bWholeStream) {
        m_painter.SetReplacingObjects(true);
        try {
          bPartial = pDoc->ReloadChanged(snapshot.records);
        } catch (...) {
          m_painter.SetReplacingObjects(false);
          m_painter.DropPaintIndex();
          throw;
        }
        m_painter.SetReplacingObjects(false);
      }
      if (bPartial) {
        // The objects that stayed keep their places and what the index knows of them.
        m_painter.ReindexReplaced(pDoc);
      } else {
        CArchive ar(snapshot.Bytes());
        if (pDoc->Serialize(ar, CSerializeOptions::HistoryReload()))
          pDoc->AdoptRecords(snapshot.records);
      }
    } catch (...) {
      m_bPaintEnabled = bPaintEnabled;
      throw;
    }
    m_bPaintEnabled = bPaintEnabled;
#ifndef NDEBUG
    CheckReloadAgainstSnapshot(snapshot.Bytes(), bWholeStream);
#endif
    UpdateView();
    pDoc->SettleLoadedStamps(nBefore);
  } catch (const std::bad_alloc&) {
    ShowMemoryError();
    ClearHistory();
  } catch (const std::exception&) {
    // The document keeps whatever the loader had read.
  }
  m_pWindow->EndWaitCursor();
}

void CKvillView::ClearHistory() { m_history.Clear(); }

namespace {

// The test build's checks of the history stop the editor at the first snapshot that is not
// the drawing. With VALENDRA_DUMP_FOLDER set, both streams are left there to compare.
[[noreturn]] void ReportStreamsDiffer(const char* pWhat, std::span<const std::uint8_t> drawing,
                                      std::span<const std::uint8_t> held) {
  std::size_t nFirst = 0;
  while (nFirst < drawing.size() && nFirst < held.size() && drawing[nFirst] == held[nFirst])
    ++nFirst;
  std::fprintf(stderr,
               "%s differs from a full store: the drawing stores %zu bytes, the history holds %zu; "
               "first difference at byte %zu\n",
               pWhat, drawing.size(), held.size(), nFirst);
  if (const char* pFolder = std::getenv("VALENDRA_DUMP_FOLDER")) {
    for (const auto& [pName, bytes] :
         {std::pair{"drawing.vld", drawing}, std::pair{"history.vld", held}}) {
      const std::string path = std::string(pFolder) + "/" + pName;
      if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
      }
    }
  }
  std::abort();
}

std::vector<std::uint8_t> StoreWhole(CKvillDoc& doc) {
  std::vector<std::uint8_t> full;
  CArchive ar(&full);
  doc.Serialize(ar, CSerializeOptions::SaveWhole());
  ar.Flush();
  return full;
}

}  // namespace

void CKvillView::CheckReloadAgainstSnapshot(std::span<const std::uint8_t> snapshot, bool bWhole) {
  // Before the reload's paint the drawing is exactly what the snapshot holds.
  const std::vector<std::uint8_t> full = StoreWhole(*m_pDocument);
  if (!std::equal(full.begin(), full.end(), snapshot.begin(), snapshot.end()))
    ReportStreamsDiffer(bWhole ? "undo reload (whole)" : "undo reload (partial)", full, snapshot);
}

void CKvillView::CheckRecordsAgainstFullStore(std::span<const CStoredRecord* const> records) {
  // An object changed without saying so: the snapshot would not be the drawing.
  const std::vector<std::uint8_t> full = StoreWhole(*m_pDocument);
  std::vector<std::uint8_t> joined;
  for (const CStoredRecord* pRecord : records)
    joined.insert(joined.end(), pRecord->m_bytes.begin(), pRecord->m_bytes.end());
  if (joined != full) ReportStreamsDiffer("undo snapshot", full, joined);
}

void CKvillView::MarkSavedSnapshot() {
  if (m_pDocument != nullptr) m_pDocument->m_bJustSaved = 0;
  m_history.MarkSaved();
}

// ---------------------------------------------------------------------------------------
// Messages

void CKvillView::ShowMemoryError() {
  if (m_pSettings->m_bEnglish) {
    m_pWindow->MessageBox(
        "Error: Memory full.\nPlease, save your work, close application and reload.",
        "Valendra Error", MB_ICONERROR, false);
  } else {
    m_pWindow->MessageBox(
        "Chyba: Nedostatek volné paměti.\nUložte kresbu, ukončete aplikaci a znova ji otevřete.",
        "Chyba Valendra", MB_ICONERROR, false);
  }
}

void CKvillView::ShowIncompatibleFile() {
  m_pWindow->MessageBox(
      m_pSettings->m_bEnglish ? "Error: Incompatible file." : "Chyba: Nekompatibilní soubor.",
      "Valendra", MB_ICONERROR, true);
}
