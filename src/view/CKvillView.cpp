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

// The client pixels a box in drawing units maps to, left and top the smaller.
CRect PixelBox(CDC* pDC, const CRect& rc) {
  const CPoint a = pDC->LPtoDP(CPoint{rc.left, rc.top});
  const CPoint b = pDC->LPtoDP(CPoint{rc.right, rc.bottom});
  return CRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

// Whether two pixel boxes (left and top the smaller) share a point, edges included.
bool PixelBoxesMeet(const CRect& a, const CRect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

// Calls fn on the object, or on every object inside it when it is a group, in the order
// of the group's drawing, which recomputes each group's box when its list is done.
template <typename Fn>
void FollowInDrawingOrder(CKVObject* pObj, Fn&& fn) {
  CGroup* pGroup = pObj->AsGroup();
  if (pGroup == nullptr) {
    fn(pObj);
    return;
  }
  WalkGroup(
      *pGroup,
      [&](std::unique_ptr<CKVObject>& p, CGroup&) {
        if (p->AsGroup() == nullptr) fn(p.get());
        return WalkStep::Enter;
      },
      [](CGroup& g) { g.RecalcBounds(); });
}

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

// Unlinks *it and inserts it at the head or the tail of the list; returns the next one.
CObList::iterator MoveTo(CObList& list, CObList::iterator it, bool bToHead) {
  const auto next = std::next(it);
  list.splice(bToHead ? list.begin() : list.end(), list, it);
  return next;
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
  CRedisplayScope redisplay(*this);
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
  CRedisplayScope redisplay(*this);
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
  CRedisplayScope redisplay(*this);
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
  CRedisplayScope redisplay(*this);
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
    bool& bGathered;
    ~CForgetGathered() { bGathered = false; }
  } forget{m_bPrecollected};
  if (pDoc != nullptr) KeepSelectionInFront(pDoc->m_listObjects);
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

void CKvillView::KeepSelectionInFront(CObList& list) {
  constexpr std::size_t kFetchAhead = 16;
  // The selection goes over (or, once, under) everything else.
  const std::size_t nCount = list.size();
  std::size_t nSeen = 0;
  // The order changes when the selection goes to the head (reversed), or when an object
  // left in place came after one moved to the end.
  bool bMovedToEnd = false, bReordered = false;
  // When the paint index is of this list, it follows the new order.
  bool bIndexed = m_pDocument != nullptr && &list == &m_pDocument->m_listObjects &&
                  m_pIndexDoc == m_pDocument && m_paintIndex.Size() == nCount;
  std::vector<std::uint32_t> moved;
  // While the list is in the index's order, what changed since the index is gathered on
  // the way, for the paint of this update.
  m_bPrecollected = false;
  m_precollected.clear();
  if (m_walkLinks.size() != nCount) m_walkLinks.assign(nCount, nullptr);
  const bool bOwnList = m_pDocument != nullptr && &list == &m_pDocument->m_listObjects;
  auto it = list.begin();
  while (nSeen < nCount && it != list.end()) {
    bIndexed = bIndexed && it->get() == m_paintIndex.ObjectAt(nSeen);
    // The walk waits on memory, not on work: the objects further on, and the list's own
    // links to them where the last walk found them, are fetched ahead. A link noted then
    // may be gone since; fetching it is only a hint and never reads it.
    if (bIndexed && nSeen + kFetchAhead < nCount) {
      const CKVObject* pAhead = m_paintIndex.ObjectAt(nSeen + kFetchAhead);
      __builtin_prefetch(&pAhead->m_bSelected);
      __builtin_prefetch(&pAhead->m_nChangeStamp);
      __builtin_prefetch(m_walkLinks[nSeen + kFetchAhead]);
    }
    m_walkLinks[nSeen] = &*it;
    if (bOwnList) Watch(it->get());
    if (bIndexed && (*it)->m_nChangeStamp > m_nIndexStamp)
      m_precollected.push_back(static_cast<std::uint32_t>(nSeen));
    if ((*it)->m_bSelected) {
      (m_bSendToBack != 0 ? bReordered : bMovedToEnd) = true;
      moved.push_back(static_cast<std::uint32_t>(nSeen));
      it = MoveTo(list, it, m_bSendToBack != 0);
    } else {
      if (bMovedToEnd) bReordered = true;
      ++it;
    }
    ++nSeen;
  }

  if (!bReordered) {
    if (bIndexed && nSeen == nCount) {
      m_bPrecollected = true;
      m_nPrecollectedClock = CKVObject::LatestChangeStamp();
      m_nPrecollectedSince = m_nIndexStamp;
    }
    return;
  }
  Unsettle();
  if (!bIndexed || nSeen != nCount) return;
  // Where each object was: those left in place in their order, the moved ones after them,
  // or before them in reverse when they went to the head.
  std::vector<char> isMoved(nCount, 0);
  for (std::uint32_t i : moved) isMoved[i] = 1;
  std::vector<std::uint32_t> from;
  from.reserve(nCount);
  if (m_bSendToBack != 0) from.assign(moved.rbegin(), moved.rend());
  for (std::uint32_t i = 0; i < nCount; ++i)
    if (isMoved[i] == 0) from.push_back(i);
  if (m_bSendToBack == 0) from.insert(from.end(), moved.begin(), moved.end());
  std::vector<CKVObject*> objects;
  objects.reserve(nCount);
  for (const auto& p : list) objects.push_back(p.get());
  RemapIndex(list, objects, from);
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
  m_nExtentsStamp = m_pIndexDoc == m_pDocument ? m_nIndexStamp : 0;
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
  CRedisplayScope redisplay(*this);
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
  CRedisplayScope redisplay(*this);
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
  CRedisplayScope redisplay(*this);
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

void CKvillView::RenderDrawing(CDC* pDC, CKvillDoc* pDoc) {
  // Drawing lays out formulas and places bond ends: the boxes a hit test sees may follow.
  m_cursor.NoteDrawingChanged();
  // Paper gets no editing aids; the caller's surface is given back as it was.
  const bool bCallerForOutput = pDC->IsForOutput();
  if (m_bDirectRender) {
    OnPrepareDC(pDC);
    pDC->SetROP2(R2_COPYPEN);
    pDC->SetForOutput(true);
    if (pDoc != nullptr) PaintObjects(pDC, pDoc, RenderMode::Direct, CSize{}, false);
    m_bBackBufferValid = false;
  } else {
    PaintThroughBuffer(pDC, pDoc);
  }
  m_bPainting = 0;
  pDC->SetForOutput(bCallerForOutput);
}

void CKvillView::PaintThroughBuffer(CDC* pDC, CKvillDoc* pDoc) {
  const double z = m_dZoom;
  const int dpiX = std::max(1, pDC->GetDeviceCaps(LOGPIXELSX));
  const int dpiY = std::max(1, pDC->GetDeviceCaps(LOGPIXELSY));
  // The off-screen buffer of the client area; without one, the drawing goes straight to
  // the surface.
  const CRect rcClient = m_pWindow->GetClientRect();
  const std::int64_t cw = static_cast<std::int64_t>(rcClient.right) - rcClient.left;
  const std::int64_t ch = static_cast<std::int64_t>(rcClient.bottom) - rcClient.top;
  const std::int32_t Lw = Trunc32(static_cast<double>(cw + ScrollOffsetX()) * 1440.0 * z / dpiX);
  const std::int32_t Lh = Trunc32(static_cast<double>(ch + ScrollOffsetY()) * 1440.0 * z / dpiY);
  const std::int32_t bw = Clamp32(cw), bh = Clamp32(ch);
  const CSize szVisible{bw, bh};
  std::unique_ptr<CMemoryDC> pBuffer;
  bool bKept = false;
  CDC* pTarget = pDC;
  // The window's buffer is kept between paints: after a small change only what the
  // change damaged is painted again.
  const bool bWindow = pDoc != nullptr && !pDoc->m_bSelectionOnly;
  if (bWindow) {
    bool bHostKept = false;
    pBuffer =
        std::make_unique<CMemoryDC>(*m_pWindow, m_pWindow->OpenBackBuffer(pDC, bw, bh, bHostKept));
    const CBackBufferKey key{pDoc, z, m_nScrollX, m_nScrollY, bw, bh, dpiX, dpiY};
    bKept = bHostKept && m_bBackBufferValid && m_backBufferKey == key;
    m_backBufferKey = key;
    // Until this paint has finished, the buffer holds no whole paint.
    m_bBackBufferValid = false;
  } else {
    pBuffer = std::make_unique<CMemoryDC>(*m_pWindow, pDC, bw, bh);
  }
  if (pBuffer->Get() != nullptr) {
    pTarget = pBuffer->Get();
    if (!bKept) m_pWindow->FillSolidRect(pTarget, CRect{0, 0, bw, bh}, RGB(255, 255, 255));
  } else {
    pBuffer.reset();
    bKept = false;
  }

  OnPrepareDC(pTarget);
  pTarget->SetROP2(R2_COPYPEN);
  if (pDoc != nullptr) PaintObjects(pTarget, pDoc, RenderMode::Screen, szVisible, bKept);
  // Only the window's own buffer holds a paint the next one may build on.
  if (!bWindow || !pBuffer) m_bBackBufferValid = false;
  if (!pBuffer) return;
  // From the drawing's origin to the window's far corner; scrolled to what lies left of
  // or above the origin, from the window's own corner, so that none of it is left out.
  const std::int32_t x0 =
      std::min(0, Trunc32(static_cast<double>(ScrollOffsetX()) * 1440.0 * z / dpiX));
  const std::int32_t y0 =
      std::max(0, Trunc32(-static_cast<double>(ScrollOffsetY()) * 1440.0 * z / dpiY));
  m_pWindow->BitBlt(pDC, x0, y0, Clamp32(static_cast<std::int64_t>(Lw) - x0),
                    Clamp32(-static_cast<std::int64_t>(Lh) - y0), pTarget, x0, y0);
}

void CKvillView::PaintObjects(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode, CSize szVisible,
                              bool bKept) {
  const bool bScreen = mode == RenderMode::Screen;
  // Every object starts the paint with its pass flags cleared. Each is cleared just before
  // its turn rather than in a walk of its own: drawing never touches another object's
  // flags, and the object is then still in the cache for its reach and drawing.
  m_nExtBottom = 0;
  m_nExtRight = 0;

  // On the screen, objects that cannot reach the visible area are left out; the picture
  // is the same without them. A selection-only paint draws objects for the sake of other
  // objects, so it leaves nothing out.
  const bool bLeaveOut = bScreen && !pDoc->m_bSelectionOnly;
  CRect rcVisible;
  bool bMetricsSame = false;
  if (bLeaveOut) {
    const CPoint a = pTarget->DPtoLP(CPoint{-2, -2});
    const CPoint b = pTarget->DPtoLP(CPoint{SatAdd(szVisible.cx, 2), SatAdd(szVisible.cy, 2)});
    rcVisible = CRect{a.x, a.y, b.x, b.y};
    bMetricsSame = CheckTextMetrics(pTarget);
  }
  // Paints that draw for another purpose, or all of a selection, may move or change
  // anything; so may a change of text metrics.
  if (!bLeaveOut || !bMetricsSame) {
    Unsettle();
    DropPaintIndex();
  }
  // Objects that go drop the index as they are destroyed, so it never names a freed
  // object. A list that changed length or ends without that is another drawing all the
  // same.
  if (m_nRestingPaints >= 2 && !IsRestingDrawing(pDoc)) {
    Unsettle();
    DropPaintIndex();
  }

  // Every paint but one of the damaged area alone starts from white paper.
  const auto fillWhole = [&] {
    if (bKept)
      m_pWindow->FillSolidRect(pTarget, CRect{0, 0, szVisible.cx, szVisible.cy},
                               RGB(255, 255, 255));
  };
  if (bLeaveOut && m_nRedisplay > 0 && m_nRestingPaints >= 2) {
    fillWhole();
    // Nothing has changed since the drawing came to rest: objects out of reach would only
    // do again what they did then, so only those the window can show are visited.
    PaintShownObjects(pTarget, pDoc, mode, rcVisible);
  } else if (bLeaveOut && m_pIndexDoc == pDoc &&
             PaintChanged(pTarget, pDoc, mode, rcVisible, szVisible, bKept)) {
    // Only the objects changed since the last paint, and those depending on them, were
    // brought up to date.
  } else {
    fillWhole();
    PaintEveryObject(pTarget, pDoc, mode, bLeaveOut ? &rcVisible : nullptr);
  }

  // The bond being placed lies over everything else; it is not part of the drawing the
  // next paint may build on.
  bool bOverlay = false;
  if (m_nTool == TOOL_BOND_END && m_pCurrent != nullptr && m_pCurrent->GetKind() == KIND_COUPLING) {
    m_pCurrent->Draw(pTarget);
    bOverlay = true;
  }
  m_bBackBufferValid = bLeaveOut && !bOverlay;
  m_pendingDamage.clear();
}

void CKvillView::PaintEveryObject(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode,
                                  const CRect* prcVisible) {
  const std::uint64_t nStart = CKVObject::LatestChangeStamp();
  CMeasuringDC measure(pTarget);
  ++m_nPaintSerial;
  m_nBondMemosUsed = 0;
  m_nLayoutMemosUsed = 0;
  const bool bOwnList = pDoc == m_pDocument;
  for (const auto& p : pDoc->m_listObjects) {
    CKVObject* pObj = p.get();
    if (bOwnList) Watch(pObj);
    pObj->ResetDone();
    const int nKind = pObj->GetKind();
    if (prcVisible != nullptr && !BoxesMeet(PaintReach(pObj), *prcVisible)) {
      // Drawing changes more than pixels: bonds follow their ends, formulas lay
      // themselves out, groups recompute their boxes, marks set the pass flag. An
      // object left out goes through all of it without drawing, so that hit testing,
      // saving and the next paint find it as a full paint leaves it.
      PassOverLeftOut(pObj, nKind, pTarget, measure);
      continue;
    }
    PaintObject(pObj, pTarget, pDoc, mode);
  }

  // Forget what was remembered of objects that were drawn or are gone.
  if (mode == RenderMode::Screen && m_nBondMemosUsed != m_bondMemo.size()) {
    std::erase_if(m_bondMemo, [&](const auto& e) { return e.second.nSerial != m_nPaintSerial; });
  }
  if (mode == RenderMode::Screen && m_nLayoutMemosUsed != m_layoutMemo.size()) {
    std::erase_if(m_layoutMemo, [&](const auto& e) { return e.second.nSerial != m_nPaintSerial; });
  }
  if (prcVisible != nullptr) {
    NoteFullPaint(pDoc, nStart, pTarget, measure);
  } else {
    DropPaintIndex();
  }
}

void CKvillView::PaintObject(CKVObject* pObj, CDC* pTarget, CKvillDoc* pDoc, RenderMode mode) {
  // The common case first and without a call: an object of a whole drawing, unselected or
  // on paper.
  if (!pDoc->m_bSelectionOnly && (!pObj->m_bSelected || mode != RenderMode::Screen)) {
    pObj->Draw(pTarget);
  } else if (pObj->m_bSelected && mode == RenderMode::Screen) {
    DrawOnScreen(pObj, pTarget);
  } else {
    DrawForOutput(pObj, pTarget, *pDoc, nullptr);
  }
}

bool CKvillView::CBondEndKey::Matches(const CKVObject* p) const {
  if (p != pEnd) return false;
  if (p == nullptr) return true;
  if (p->m_nKind != nKind || !(p->m_rcBounds == rcBox) || !(p->m_ptAnchor == ptAnchor) ||
      p->m_dScale != dScale) {
    return false;
  }
  return p->m_nKind != KIND_FORMULA || static_cast<const CFormula*>(p)->m_strText == strText;
}

void CKvillView::CBondEndKey::Set(CKVObject* p) {
  pEnd = p;
  if (p == nullptr) {
    nKind = 0;
    rcBox = CRect{};
    ptAnchor = CPoint{};
    dScale = 1.0;
    strText.clear();
    return;
  }
  nKind = p->m_nKind;
  rcBox = p->m_rcBounds;
  ptAnchor = p->m_ptAnchor;
  dScale = p->m_dScale;
  if (p->m_nKind == KIND_FORMULA) {
    strText = static_cast<CFormula*>(p)->m_strText;
  } else {
    strText.clear();
  }
}

bool CKvillView::CheckTextMetrics(CDC* pDC) {
  // Bytes that stand for different letters in the two code pages, in a face and size of
  // formulas: any change of text metrics changes this extent.
  CSelectGuard<CFont> font(pDC, CFont{"Arial", -2400, 400});
  const CSize probe = pDC->GetTextExtent(
      "\x8a\x8c\xa5\xb9\xbc\xe8\xf0"
      "Dg");
  if (probe == m_szMetricsProbe) return true;
  m_szMetricsProbe = probe;
  m_bondMemo.clear();
  m_layoutMemo.clear();
  return false;
}

void CKvillView::Unsettle() {
  m_cursor.NoteDrawingChanged();
  EndPaintRest();
}

void CKvillView::EndPaintRest() { m_nRestingPaints = 0; }

void CKvillView::ObjectDestroyed(const CKVObject* pObj) {
  Unsettle();
  m_bExtentsChangedReady = false;
  if (m_bExtentsKnown && m_extentHolders.count(pObj) != 0) m_bExtentsKnown = false;
  if (m_bReplacingObjects == 0) {
    DropPaintIndex();
    return;
  }
  // A new object may get this one's address: what was remembered of this one must not be
  // taken for it. (A full paint forgets it anyway; the paint after a reload may be none.)
  CKVObject* pKey = const_cast<CKVObject*>(pObj);
  m_bondMemo.erase(pKey);
  m_layoutMemo.erase(pKey);
}

void CKvillView::Watch(CKVObject* pObj) const {
  if (pObj->m_pWatcher != m_pDocument) pObj->m_pWatcher = m_pDocument;
}

void CKvillView::ReindexReplaced(const CKvillDoc* pDoc) {
  const CObList& list = pDoc->m_listObjects;
  if (m_pIndexDoc != pDoc) {
    DropPaintIndex();
    return;
  }
  if (list.size() != m_paintIndex.Size()) {
    RemapIndexByAddress(list);
    return;
  }
  // The old objects at the places that differ are gone or moved; their pointers are only
  // compared, never followed. Objects read anew were made while every old one still
  // lived, so none has the address of one that went.
  std::vector<std::pair<std::uint32_t, CKVObject*>> replaced;
  std::unordered_set<const CKVObject*> old;
  std::uint32_t i = 0;
  for (const auto& p : list) {
    if (p.get() != m_paintIndex.ObjectAt(i)) {
      replaced.emplace_back(i, p.get());
      old.insert(m_paintIndex.ObjectAt(i));
    }
    ++i;
  }
  for (const auto& [nPlace, pNew] : replaced) {
    if (old.count(pNew) != 0) {
      // An object that stayed is at another place: the places are renumbered.
      RemapIndexByAddress(list);
      return;
    }
  }
  for (const CKVObject* pOld : old) m_dependents.erase(pOld);
  // The kept buffer still shows the objects replaced: where they painted is damaged for the
  // next paint. Reloads without a paint between them (painting off) do not pile it up.
  for (const auto& [nPlace, pNew] : replaced)
    m_pendingDamage.push_back(m_paintIndex.ReachAt(nPlace));
  if (m_pendingDamage.size() > 64) {
    ForgetBackBuffer();
    m_pendingDamage.clear();
  }
  bool bFiled = true;
  for (const auto& [nPlace, pNew] : replaced) {
    Watch(pNew);
    bFiled = m_paintIndex.Replace(nPlace, pNew, PaintReach(pNew)) && bFiled;
  }
  if (!bFiled) m_paintIndex.Build(list);
  // Who depends on a new object: bonds ending on it and groups around such bonds, all read
  // anew (the reload keeps a bond or group only while every end it names stays).
  for (const auto& [nPlace, pNew] : replaced) NoteDependents(nPlace, pNew);
}

void CKvillView::RemapIndexByAddress(const CObList& list) {
  // Objects read anew were made while every old one still lived: an address found is the
  // object that was there.
  std::unordered_map<const CKVObject*, std::uint32_t> oldPlace;
  oldPlace.reserve(m_paintIndex.Size());
  for (std::uint32_t i = 0; i < m_paintIndex.Size(); ++i)
    oldPlace.emplace(m_paintIndex.ObjectAt(i), i);
  std::vector<CKVObject*> objects;
  std::vector<std::uint32_t> from;
  objects.reserve(list.size());
  from.reserve(list.size());
  for (const auto& p : list) {
    objects.push_back(p.get());
    const auto it = oldPlace.find(p.get());
    from.push_back(it == oldPlace.end() ? CPaintIndex::kNew : it->second);
  }
  RemapIndex(list, objects, from);
}

void CKvillView::RemapIndex(const CObList& list, const std::vector<CKVObject*>& objects,
                            const std::vector<std::uint32_t>& from) {
  m_bPrecollected = false;
  std::vector<std::uint32_t> newOf(m_paintIndex.Size(), CPaintIndex::kNew);
  for (std::uint32_t j = 0; j < from.size(); ++j)
    if (from[j] != CPaintIndex::kNew) newOf[from[j]] = j;
  for (std::uint32_t i = 0; i < newOf.size(); ++i)
    if (newOf[i] == CPaintIndex::kNew) m_dependents.erase(m_paintIndex.ObjectAt(i));
  for (auto it = m_dependents.begin(); it != m_dependents.end();) {
    if (newOf[it->second] == CPaintIndex::kNew) {
      it = m_dependents.erase(it);
    } else {
      it->second = newOf[it->second];
      ++it;
    }
  }
  // What the buffer holds was drawn in the old order, with the objects gone: the next
  // paint starts from white paper. Whether each object was drawn selected follows it.
  ForgetBackBuffer();
  std::vector<std::uint8_t> drawnSelected(objects.size(), 0);
  for (std::uint32_t j = 0; j < from.size(); ++j) {
    if (from[j] != CPaintIndex::kNew && from[j] < m_drawnSelected.size())
      drawnSelected[j] = m_drawnSelected[from[j]];
  }
  m_drawnSelected.swap(drawnSelected);
  for (std::uint32_t j = 0; j < from.size(); ++j)
    if (from[j] == CPaintIndex::kNew) Watch(objects[j]);
  if (!m_paintIndex.Remap(objects, from)) m_paintIndex.Build(list);
  for (std::uint32_t j = 0; j < from.size(); ++j)
    if (from[j] == CPaintIndex::kNew) NoteDependents(j, objects[j]);
}

void CKvillView::DropPaintIndex() {
  EndPaintRest();
  // A reload destroys every object, and each asks again: clearing an empty table of
  // dependents still walks all its buckets.
  m_bPrecollected = false;
  if (m_pIndexDoc == nullptr && m_paintIndex.Size() == 0) return;
  m_paintIndex.Clear();
  m_pIndexDoc = nullptr;
  m_dependents.clear();
  m_drawnSelected.clear();
}

bool CKvillView::IsRestingDrawing(const CKvillDoc* pDoc) const {
  const CObList& list = pDoc->m_listObjects;
  return m_pRestingDoc == pDoc && m_nRestingCount == list.size() &&
         m_pRestingFront == (list.empty() ? nullptr : list.front().get()) &&
         m_pRestingBack == (list.empty() ? nullptr : list.back().get());
}

void CKvillView::NoteRestingDrawing(const CKvillDoc* pDoc) {
  const CObList& list = pDoc->m_listObjects;
  m_pRestingDoc = pDoc;
  m_nRestingCount = list.size();
  m_pRestingFront = list.empty() ? nullptr : list.front().get();
  m_pRestingBack = list.empty() ? nullptr : list.back().get();
}

void CKvillView::NoteFullPaint(CKvillDoc* pDoc, std::uint64_t nStart, CDC* pDC,
                               CMeasuringDC& measure) {
  const CObList& list = pDoc->m_listObjects;
  // Only a repaint that changed nothing but the window's place counts as the second paint
  // of a drawing at rest.
  m_nRestingPaints = (m_nRedisplay > 0 && m_nRestingPaints > 0 && IsRestingDrawing(pDoc)) ? 2 : 1;
  NoteRestingDrawing(pDoc);
  m_paintIndex.Build(list);
  m_pIndexDoc = pDoc;
  m_dependents.clear();
  m_drawnSelected.clear();
  m_drawnSelected.reserve(list.size());
  std::uint32_t i = 0;
  for (const auto& p : list) {
    NoteDependents(i++, p.get());
    m_drawnSelected.push_back(p->m_bSelected != 0);
  }
  // A paint on its own does not bring the drawing to rest: a bond listed before the
  // formula it meets followed the formula's old layout. What the paint changed is
  // followed once more, so the objects are as a second paint would leave them.
  std::vector<std::uint32_t>& processed = m_processedScratch;
  processed.clear();
  if (!FollowChanged(list, nStart, nullptr, pDC, measure, processed)) {
    DropPaintIndex();
    m_nRestingPaints = 1;
    return;
  }
  Reindex(list, processed);
  m_nIndexStamp = CKVObject::LatestChangeStamp();
#ifndef NDEBUG
  CheckPaintStateAgainstFullRecompute(list, pDC);
#endif
}

bool CKvillView::ChangedInList(const CObList& list, std::uint64_t nSince,
                               std::vector<std::uint32_t>& out) const {
  if (list.size() != m_paintIndex.Size()) return false;
  std::uint32_t i = 0;
  for (const auto& p : list) {
    if (p.get() != m_paintIndex.ObjectAt(i)) return false;
    if (p->m_nChangeStamp > nSince) out.push_back(i);
    ++i;
  }
  return true;
}

bool CKvillView::CollectChanged(const CObList& list, std::uint64_t nSince,
                                const std::vector<std::uint32_t>* pAmong,
                                std::vector<std::uint32_t>& out) {
  if (pAmong == nullptr && m_bPrecollected && nSince == m_nPrecollectedSince &&
      list.size() == m_paintIndex.Size() &&
      CKVObject::LatestChangeStamp() == m_nPrecollectedClock) {
    out.insert(out.end(), m_precollected.begin(), m_precollected.end());
    m_bPrecollected = false;
#ifndef NDEBUG
    std::vector<std::uint32_t> walked;
    if (!ChangedInList(list, nSince, walked) || walked != m_precollected) {
      std::fprintf(stderr,
                   "incremental paint: the changes gathered with the selection differ from a "
                   "walk of the list (%zu against %zu)\n",
                   m_precollected.size(), walked.size());
      std::abort();
    }
#endif
  } else if (pAmong == nullptr) {
    if (!ChangedInList(list, nSince, out)) return false;
  } else {
    for (std::uint32_t i : *pAmong) {
      if (m_paintIndex.ObjectAt(i)->m_nChangeStamp > nSince) out.push_back(i);
    }
  }
  // Bonds follow their ends, and groups the ends of their bonds outside them.
  const std::size_t nChanged = out.size();
  for (std::size_t k = 0; k < nChanged; ++k) {
    const auto range = m_dependents.equal_range(m_paintIndex.ObjectAt(out[k]));
    for (auto it = range.first; it != range.second; ++it) out.push_back(it->second);
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return true;
}

bool CKvillView::FollowChanged(const CObList& list, std::uint64_t nSince,
                               const std::vector<std::uint32_t>* pAmong, CDC* pDC,
                               CMeasuringDC& measure, std::vector<std::uint32_t>& processed) {
  std::vector<std::uint32_t>& changed = m_changedScratch;
  std::vector<std::uint32_t> among;
  if (pAmong != nullptr) among = *pAmong;
  // Formulas depend on nothing else and bonds on their ends, so this settles in a round
  // or two; a drawing that keeps changing is left to full paints.
  for (int nRound = 0; nRound < 8; ++nRound) {
    changed.clear();
    if (!CollectChanged(list, nSince, pAmong != nullptr || nRound > 0 ? &among : nullptr,
                        changed)) {
      return false;
    }
    if (changed.empty()) return true;
    nSince = CKVObject::LatestChangeStamp();
    for (std::uint32_t i : changed) {
      CKVObject* pObj = m_paintIndex.ObjectAt(i);
      if (!(pObj->m_bSelected && pObj->m_nKind == KIND_DOT)) FollowLeftOut(pObj, pDC, measure);
      processed.push_back(i);
    }
    // Only what was just followed can have changed since.
    among = changed;
  }
  return false;
}

void CKvillView::NoteDependents(std::uint32_t i, CKVObject* pObj) {
  const auto note = [&](const CCoupling* pBond) {
    for (CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
      if (pEnd == nullptr) continue;
      const CKVObject* pTop = pEnd->GetTop();
      if (pTop == pObj) continue;
      const auto range = m_dependents.equal_range(pTop);
      if (std::none_of(range.first, range.second, [&](const auto& e) { return e.second == i; }))
        m_dependents.emplace(pTop, i);
    }
  };
  if (const CCoupling* pBond = pObj->AsBond()) {
    note(pBond);
    return;
  }
  CGroup* pGroup = pObj->AsGroup();
  if (pGroup == nullptr) return;
  WalkGroup(
      *pGroup,
      [&](std::unique_ptr<CKVObject>& p, CGroup&) {
        if (const CCoupling* pBond = p->AsBond()) note(pBond);
        return WalkStep::Enter;
      },
      [](CGroup&) {});
}

void CKvillView::Reindex(const CObList& list, const std::vector<std::uint32_t>& places) {
  bool bFiled = true;
  for (std::uint32_t i : places) {
    CKVObject* pObj = m_paintIndex.ObjectAt(i);
    bFiled = m_paintIndex.Update(i, PaintReach(pObj)) && bFiled;
    // A changed bond may end elsewhere now, a changed group hold other bonds. What it
    // depended on before stays noted: that only costs a needless follow.
    NoteDependents(i, pObj);
  }
  if (!bFiled) m_paintIndex.Build(list);
}

bool CKvillView::PrepareDamage(CDC* pTarget, const CObList& list,
                               const std::vector<std::uint32_t>& visible, CSize szVisible,
                               CMeasuringDC& measure, std::vector<std::uint32_t>& processed) {
  m_damage.clear();
  m_nDamageArea = 0;
  bool bDamage = true;
  for (const CRect& rc : m_pendingDamage) bDamage = bDamage && AddDamage(pTarget, rc, szVisible);
  for (std::uint32_t i : processed)
    bDamage = bDamage && AddDamage(pTarget, m_paintIndex.ReachAt(i), szVisible);
  for (std::uint32_t i : visible) {
    CKVObject* pObj = m_paintIndex.ObjectAt(i);
    if (i < m_drawnSelected.size() && m_drawnSelected[i] != (pObj->m_bSelected != 0)) {
      bDamage = bDamage && AddDamage(pTarget, m_paintIndex.ReachAt(i), szVisible) &&
                AddDamage(pTarget, PaintReach(pObj), szVisible);
    }
  }
  std::vector<std::uint32_t> settled;
  if (!bDamage || !FollowChanged(list, m_nIndexStamp, &processed, pTarget, measure, settled))
    return false;
  processed.insert(processed.end(), settled.begin(), settled.end());
  std::sort(processed.begin(), processed.end());
  processed.erase(std::unique(processed.begin(), processed.end()), processed.end());
  for (std::uint32_t i : processed) {
    bDamage = bDamage && AddDamage(pTarget, PaintReach(m_paintIndex.ObjectAt(i)), szVisible);
  }
  if (!bDamage) return false;
  for (const CRect& rc : m_damage) m_pWindow->FillSolidRect(pTarget, rc, RGB(255, 255, 255));
  // Nothing damaged in the window: nothing is drawn.
  if (!m_damage.empty() && !m_pWindow->ClipToPixels(pTarget, m_damage)) return false;
  if (!m_damage.empty()) ++m_nDamagePaints;
  return true;
}

bool CKvillView::PaintChanged(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode,
                              const CRect& rcVisible, CSize szVisible, bool bKept) {
  const CObList& list = pDoc->m_listObjects;
  std::vector<std::uint32_t>& processed = m_processedScratch;
  processed.clear();
  // Whether the extents were measured at the index stamp this paint starts from: then
  // what it brings up to date is all that changed since.
  const bool bExtentsFollow =
      m_bExtentsKnown && m_pExtentsDoc == pDoc && m_nExtentsStamp == m_nIndexStamp;
  if (!CollectChanged(list, m_nIndexStamp, nullptr, processed)) return false;
  ++m_nChangedOnlyPaints;
  CMeasuringDC measure(pTarget);
  const std::vector<std::uint32_t>& visible = m_paintIndex.MeetingAt(rcVisible);
  const COLORREF white = RGB(255, 255, 255);

  const bool bDamage =
      bKept && PrepareDamage(pTarget, list, visible, szVisible, measure, processed);
  if (bKept && !bDamage)
    m_pWindow->FillSolidRect(pTarget, CRect{0, 0, szVisible.cx, szVisible.cy}, white);

  const std::uint64_t nStart = CKVObject::LatestChangeStamp();
  // In list order: the changed objects as a full paint takes them (drawn, or followed
  // when out of reach), the others the window shows by their filed reach.
  const std::size_t nChanged = processed.size();
  std::vector<std::uint32_t>& visited = m_visitedScratch;
  visited.clear();
  std::size_t a = 0, b = 0;
  while (a < visible.size() || b < nChanged) {
    const bool bChanged = b < nChanged && (a >= visible.size() || processed[b] <= visible[a]);
    const std::uint32_t i = bChanged ? processed[b++] : visible[a++];
    if (bChanged && a < visible.size() && visible[a] == i) ++a;
    // An unchanged object clear of the damage keeps its pixels.
    if (bDamage && !bChanged && !MeetsDamage(pTarget, i)) continue;
    visited.push_back(i);
    CKVObject* pObj = m_paintIndex.ObjectAt(i);
    pObj->ResetDone();
    const int nKind = pObj->GetKind();
    if (bChanged && (!BoxesMeet(PaintReach(pObj), rcVisible) || (bDamage && m_damage.empty()))) {
      PassOverLeftOut(pObj, nKind, pTarget, measure);
      continue;
    }
    PaintObject(pObj, pTarget, pDoc, mode);
  }
  if (bDamage && !m_damage.empty()) m_pWindow->ClipToPixels(pTarget, {});
  // What the paint itself changed is followed as a second paint would.
  if (!FollowChanged(list, nStart, &visited, pTarget, measure, processed)) {
    DropPaintIndex();
    m_nRestingPaints = 1;
    return true;
  }
  m_nRestingPaints =
      (processed.empty() && m_nRedisplay > 0 && m_nRestingPaints > 0 && IsRestingDrawing(pDoc)) ? 2
                                                                                                : 1;
  NoteRestingDrawing(pDoc);
  // Damage was measured before the paint: an object the paint moved after all may have
  // left pixels outside it, so the window is painted whole again from the settled state.
  const bool bMovedByPaint = bDamage && processed.size() > nChanged;
  Reindex(list, processed);
  m_nIndexStamp = CKVObject::LatestChangeStamp();
  if (bExtentsFollow) {
    m_extentsChanged.clear();
    for (std::uint32_t i : processed) {
      CKVObject* pObj = m_paintIndex.ObjectAt(i);
      if (pObj->GetKind() != KIND_COUPLING) m_extentsChanged.push_back(pObj);
    }
    m_bExtentsChangedReady = true;
  }
  if (bMovedByPaint) {
    m_pWindow->FillSolidRect(pTarget, CRect{0, 0, szVisible.cx, szVisible.cy}, white);
    PaintShownObjects(pTarget, pDoc, mode, rcVisible);
  }
  for (std::uint32_t i : visited) {
    if (i < m_drawnSelected.size()) m_drawnSelected[i] = m_paintIndex.ObjectAt(i)->m_bSelected != 0;
  }
#ifndef NDEBUG
  CheckPaintStateAgainstFullRecompute(list, pTarget);
#endif
  return true;
}

bool CKvillView::AddDamage(CDC* pTarget, const CRect& rcReach, CSize szVisible) {
  const CRect box = PixelBox(pTarget, rcReach);
  // A pixel's worth of room on every side for antialiasing and rounding.
  const std::int64_t x0 = std::max<std::int64_t>(std::int64_t{box.left} - 2, 0);
  const std::int64_t y0 = std::max<std::int64_t>(std::int64_t{box.top} - 2, 0);
  const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{box.right} + 3, szVisible.cx);
  const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{box.bottom} + 3, szVisible.cy);
  if (x0 >= x1 || y0 >= y1) return true;
  CRect rc{Clamp32(x0), Clamp32(y0), Clamp32(x1), Clamp32(y1)};
  // Overlapping rectangles become one, so the area is not counted twice and the list stays
  // short.
  for (bool bMerged = true; bMerged;) {
    bMerged = false;
    for (std::size_t k = 0; k < m_damage.size(); ++k) {
      const CRect& o = m_damage[k];
      if (PixelBoxesMeet(o, rc)) {
        m_nDamageArea -= static_cast<std::int64_t>(o.right - o.left) * (o.bottom - o.top);
        rc = CRect{std::min(o.left, rc.left), std::min(o.top, rc.top), std::max(o.right, rc.right),
                   std::max(o.bottom, rc.bottom)};
        m_damage.erase(m_damage.begin() + static_cast<std::ptrdiff_t>(k));
        bMerged = true;
        break;
      }
    }
  }
  m_damage.push_back(rc);
  m_nDamageArea += static_cast<std::int64_t>(rc.right - rc.left) * (rc.bottom - rc.top);
  // Beyond half the window, painting it whole costs about the same.
  const std::int64_t nWindow = static_cast<std::int64_t>(szVisible.cx) * szVisible.cy;
  return m_damage.size() <= 32 && m_nDamageArea * 2 <= nWindow;
}

bool CKvillView::MeetsDamage(CDC* pTarget, std::uint32_t i) const {
  const CRect box = PixelBox(pTarget, m_paintIndex.ReachAt(i));
  const CCoupling* pBond = m_paintIndex.ObjectAt(i)->AsBond();
  // Every style of bond (band, strokes, wedges, dashes, arrow heads, the harmonic wave)
  // keeps within this distance of the line between its ends; its reach also allows for
  // curves and is as large as the bond is long.
  double dReach = 0.0;
  double ax = 0, ay = 0, bx = 0, by = 0;
  if (pBond != nullptr) {
    const std::int32_t r = Clamp32(BondStrokeReach(pBond->m_dThickness));
    const CPoint o = pTarget->LPtoDP(CPoint{0, 0});
    const CPoint rx = pTarget->LPtoDP(CPoint{r, 0});
    const CPoint ry = pTarget->LPtoDP(CPoint{0, r});
    dReach = std::max(std::abs(static_cast<double>(rx.x) - o.x),
                      std::abs(static_cast<double>(ry.y) - o.y)) +
             3.0;
    const CPoint pa = pTarget->LPtoDP(pBond->m_ptA);
    const CPoint pb = pTarget->LPtoDP(pBond->m_ptB);
    ax = pa.x, ay = pa.y, bx = pb.x, by = pb.y;
  }
  for (const CRect& rc : m_damage) {
    if (!PixelBoxesMeet(box, rc)) continue;
    if (pBond == nullptr) return true;
    // The line against the damaged rectangle grown by that distance (Liang-Barsky).
    const double x0 = rc.left - dReach, x1 = rc.right + dReach;
    const double y0 = rc.top - dReach, y1 = rc.bottom + dReach;
    double u0 = 0.0, u1 = 1.0;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - x0, x1 - ax, ay - y0, y1 - ay};
    bool bHit = true;
    for (int k = 0; k < 4 && bHit; ++k) {
      if (p[k] == 0.0) {
        if (q[k] < 0.0) bHit = false;
      } else if (p[k] < 0.0) {
        u0 = std::max(u0, q[k] / p[k]);
      } else {
        u1 = std::min(u1, q[k] / p[k]);
      }
      if (u0 > u1) bHit = false;
    }
    if (bHit) return true;
  }
  return false;
}

namespace {

[[noreturn]] void FailPaintCheck(const char* what, std::size_t i, int nKind) {
  std::fprintf(stderr,
               "incremental paint: %s of top-level object %zu (kind %d) differs from a full "
               "recomputation\n",
               what, i, nKind);
  std::abort();
}

// What drawing may change in an object: its box and anchor, and a bond's points.
struct CDrawingState {
  CRect rcBounds;
  CPoint ptAnchor, ptA, ptB;
  CSize szLetter;
  bool operator==(const CDrawingState&) const = default;
};

CDrawingState DrawingStateOf(CKVObject* p) {
  CDrawingState st{p->m_rcBounds, p->m_ptAnchor, {}, {}, {}};
  if (const CCoupling* pBond = p->AsBond()) {
    st.ptA = pBond->m_ptA;
    st.ptB = pBond->m_ptB;
    st.szLetter = pBond->m_szLetter;
  }
  return st;
}

// The drawing state of every object, those inside groups after their group; with pTopOf,
// the place of each one's top-level object.
std::vector<CDrawingState> GatherDrawingState(const CObList& list,
                                              std::vector<std::size_t>* pTopOf) {
  std::vector<CDrawingState> out;
  std::size_t nTop = 0;
  for (const auto& p : list) {
    out.push_back(DrawingStateOf(p.get()));
    if (pTopOf != nullptr) pTopOf->push_back(nTop);
    if (CGroup* pGroup = p->AsGroup()) {
      WalkGroup(
          *pGroup,
          [&](std::unique_ptr<CKVObject>& c, CGroup&) {
            out.push_back(DrawingStateOf(c.get()));
            if (pTopOf != nullptr) pTopOf->push_back(nTop);
            return WalkStep::Enter;
          },
          [](CGroup&) {});
    }
    ++nTop;
  }
  return out;
}

}  // namespace

void CKvillView::CheckPaintStateAgainstFullRecompute(const CObList& list, CDC* pDC) {
  std::size_t i = 0;
  for (const auto& p : list) {
    if (i >= m_paintIndex.Size() || m_paintIndex.ObjectAt(i) != p.get())
      FailPaintCheck("the index", i, 0);
    if (!m_paintIndex.HasReach(i, PaintReach(p.get())))
      FailPaintCheck("the filed reach", i, p->m_nKind);
    // An object the index names must report its going, or the index could outlive it.
    if (p->m_pWatcher != m_pDocument) FailPaintCheck("the watcher", i, p->m_nKind);
    ++i;
  }
  // The drawing state of every object out of the window (those in it are drawn anew by
  // every paint), recomputed from scratch (no memo) in list order as a full paint follows
  // them: a difference is an object that changed without saying so, or one depending on
  // it that was not brought up to date.
  std::vector<std::size_t> topOf;
  const std::vector<CDrawingState> before = GatherDrawingState(list, &topOf);
  const CRect rcClient = m_pWindow->GetClientRect();
  const CPoint ptA = pDC->DPtoLP(CPoint{-2, -2});
  const CPoint ptB = pDC->DPtoLP(
      CPoint{SatAdd(Clamp32(static_cast<std::int64_t>(rcClient.right) - rcClient.left), 2),
             SatAdd(Clamp32(static_cast<std::int64_t>(rcClient.bottom) - rcClient.top), 2)});
  const CRect rcVisible{ptA.x, ptA.y, ptB.x, ptB.y};
  CMeasuringDC measure(pDC);
  const auto recompute = [&](CKVObject* p) {
    if (CCoupling* pBond = p->AsBond()) {
      pBond->ComputeEndPoints(pDC);
    } else if (CFormula* pFormula = p->AsFormula()) {
      pFormula->Draw(&measure);
    }
  };
  for (const auto& p : list) {
    if (p->m_bSelected && p->m_nKind == KIND_DOT) continue;
    if (BoxesMeet(PaintReach(p.get()), rcVisible)) continue;
    FollowInDrawingOrder(p.get(), recompute);
  }
  const std::vector<CDrawingState> after = GatherDrawingState(list, nullptr);
  for (std::size_t k = 0; k < before.size(); ++k) {
    if (k >= after.size() || !(before[k] == after[k])) {
      auto it = list.begin();
      std::advance(it, static_cast<std::ptrdiff_t>(topOf[k]));
      FailPaintCheck("the drawing state", topOf[k], (*it)->m_nKind);
    }
  }
}

void CKvillView::PaintShownObjects(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode,
                                   const CRect& rcVisible) {
  for (std::uint32_t i : m_paintIndex.MeetingAt(rcVisible)) {
    CKVObject* pObj = m_paintIndex.ObjectAt(i);
    pObj->ResetDone();
    PaintObject(pObj, pTarget, pDoc, mode);
    if (i < m_drawnSelected.size()) m_drawnSelected[i] = pObj->m_bSelected != 0;
  }
}

void CKvillView::PassOverLeftOut(CKVObject* pObj, int nKind, CDC* pDC, CMeasuringDC& measure) {
  if (!(pObj->m_bSelected && nKind == KIND_DOT)) FollowLeftOut(pObj, pDC, measure);
  if (pObj->m_bSelected && nKind != KIND_COUPLING) pObj->DrawMarks(&measure);
}

void CKvillView::FollowLeftOut(CKVObject* pObj, CDC* pDC, CMeasuringDC& measure) {
  const auto follow = [&](CKVObject* p) {
    if (CCoupling* pBond = p->AsBond()) {
      FollowEnds(pBond, pDC);
    } else if (CFormula* pFormula = p->AsFormula()) {
      LayOutLeftOut(pFormula, measure);
    }
  };
  FollowInDrawingOrder(pObj, follow);
}

void CKvillView::LayOutLeftOut(CFormula* pFormula, CMeasuringDC& measure) {
  CLayoutMemo& memo = m_layoutMemo[pFormula];
  // A formula lays itself out from its text, anchor and scale alone; while none of them
  // nor the box it got changed, laying out again gives the same box. An empty formula
  // also shows its frame, which sets its pass flag: it always goes through its drawing.
  const bool bSame =
      memo.nSerial != 0 && memo.key.Matches(pFormula) && !pFormula->m_strText.empty();
  if (!bSame) {
    pFormula->Draw(&measure);
    memo.key.Set(pFormula);
  }
  memo.nSerial = m_nPaintSerial;
  ++m_nLayoutMemosUsed;
}

void CKvillView::FollowEnds(CKVObject* pObj, CDC* pDC) {
  auto* pBond = static_cast<CCoupling*>(pObj);
  const bool bFormula = (pBond->m_pEndA != nullptr && pBond->m_pEndA->m_nKind == KIND_FORMULA) ||
                        (pBond->m_pEndB != nullptr && pBond->m_pEndB->m_nKind == KIND_FORMULA);
  if (!bFormula) {
    pBond->ComputeEndPoints(pDC);  // junctions and shapes: their anchors, no measuring
    return;
  }
  const CPoint ptLive = pBond->m_bLive ? pBond->m_ptB : CPoint{};
  CBondMemo& memo = m_bondMemo[pObj];
  if (memo.nSerial != 0 && memo.keyA.Matches(pBond->m_pEndA) && memo.keyB.Matches(pBond->m_pEndB) &&
      memo.bLive == pBond->m_bLive && memo.ptLive == ptLive) {
    // The same inputs give the same points.
    if (pBond->m_ptA != memo.ptA || pBond->m_ptB != memo.ptB || pBond->m_rcBounds != memo.rcFrame)
      pBond->MarkChanged();
    pBond->m_ptA = memo.ptA;
    pBond->m_ptB = memo.ptB;
    pBond->m_szLetter = memo.szLetter;
    pBond->m_rcBounds = memo.rcFrame;
  } else {
    memo.keyA.Set(pBond->m_pEndA);
    memo.keyB.Set(pBond->m_pEndB);
    memo.bLive = pBond->m_bLive;
    memo.ptLive = ptLive;
    pBond->ComputeEndPoints(pDC);
    memo.ptA = pBond->m_ptA;
    memo.ptB = pBond->m_ptB;
    memo.szLetter = pBond->m_szLetter;
    memo.rcFrame = pBond->m_rcBounds;
  }
  memo.nSerial = m_nPaintSerial;
  ++m_nBondMemosUsed;
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
  DropPaintIndex();
  m_nExtBottom = 0;
  m_nExtRight = 0;
  m_bBackBufferValid = false;
  m_pendingDamage.clear();
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
        m_bReplacingObjects = 1;
        try {
          bPartial = pDoc->ReloadChanged(snapshot.records);
        } catch (...) {
          m_bReplacingObjects = 0;
          DropPaintIndex();
          throw;
        }
        m_bReplacingObjects = 0;
      }
      if (bPartial) {
        // The objects that stayed keep their places and what the index knows of them.
        ReindexReplaced(pDoc);
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
