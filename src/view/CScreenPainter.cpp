#include "view/CScreenPainter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/CKVObject.h"
#include "objects/GroupWalk.h"
#include "view/CKvillView.h"
#include "view/CMeasuringDC.h"
#include "view/PaintReach.h"

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

// Unlinks *it and inserts it at the head or the tail of the list; returns the next one.
CObList::iterator MoveTo(CObList& list, CObList::iterator it, bool bToHead) {
  const auto next = std::next(it);
  list.splice(bToHead ? list.begin() : list.end(), list, it);
  return next;
}

}  // namespace

void CScreenPainter::KeepSelectionInFront(CObList& list) {
  constexpr std::size_t kFetchAhead = 16;
  // The selection goes over (or, once, under) everything else.
  const std::size_t nCount = list.size();
  std::size_t nSeen = 0;
  // The order changes when the selection goes to the head (reversed), or when an object
  // left in place came after one moved to the end.
  bool bMovedToEnd = false, bReordered = false;
  // When the paint index is of this list, it follows the new order.
  bool bIndexed = m_view.m_pDocument != nullptr && &list == &m_view.m_pDocument->m_listObjects &&
                  m_pIndexDoc == m_view.m_pDocument && m_paintIndex.Size() == nCount;
  std::vector<std::uint32_t> moved;
  // While the list is in the index's order, what changed since the index is gathered on
  // the way, for the paint of this update.
  m_bPrecollected = false;
  m_precollected.clear();
  if (m_walkLinks.size() != nCount) m_walkLinks.assign(nCount, nullptr);
  const bool bOwnList =
      m_view.m_pDocument != nullptr && &list == &m_view.m_pDocument->m_listObjects;
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
    if (bOwnList) m_view.Watch(it->get());
    if (bIndexed && (*it)->m_nChangeStamp > m_nIndexStamp)
      m_precollected.push_back(static_cast<std::uint32_t>(nSeen));
    if ((*it)->m_bSelected) {
      (m_view.m_bSendToBack != 0 ? bReordered : bMovedToEnd) = true;
      moved.push_back(static_cast<std::uint32_t>(nSeen));
      it = MoveTo(list, it, m_view.m_bSendToBack != 0);
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
  m_view.Unsettle();
  if (!bIndexed || nSeen != nCount) return;
  // Where each object was: those left in place in their order, the moved ones after them,
  // or before them in reverse when they went to the head.
  std::vector<char> isMoved(nCount, 0);
  for (std::uint32_t i : moved) isMoved[i] = 1;
  std::vector<std::uint32_t> from;
  from.reserve(nCount);
  if (m_view.m_bSendToBack != 0) from.assign(moved.rbegin(), moved.rend());
  for (std::uint32_t i = 0; i < nCount; ++i)
    if (isMoved[i] == 0) from.push_back(i);
  if (m_view.m_bSendToBack == 0) from.insert(from.end(), moved.begin(), moved.end());
  std::vector<CKVObject*> objects;
  objects.reserve(nCount);
  for (const auto& p : list) objects.push_back(p.get());
  RemapIndex(list, objects, from);
}

void CScreenPainter::RenderDrawing(CDC* pDC, CKvillDoc* pDoc) {
  // Drawing lays out formulas and places bond ends: the boxes a hit test sees may follow.
  m_view.m_cursor.NoteDrawingChanged();
  // Paper gets no editing aids; the caller's surface is given back as it was.
  const bool bCallerForOutput = pDC->IsForOutput();
  if (m_view.m_bDirectRender) {
    m_view.OnPrepareDC(pDC);
    pDC->SetROP2(R2_COPYPEN);
    pDC->SetForOutput(true);
    if (pDoc != nullptr) PaintObjects(pDC, pDoc, RenderMode::Direct, CSize{}, false);
    m_bBackBufferValid = false;
  } else {
    PaintThroughBuffer(pDC, pDoc);
  }
  m_view.m_bPainting = 0;
  pDC->SetForOutput(bCallerForOutput);
}

void CScreenPainter::PaintThroughBuffer(CDC* pDC, CKvillDoc* pDoc) {
  const double z = m_view.Viewport().Zoom();
  const int dpiX = std::max(1, pDC->GetDeviceCaps(LOGPIXELSX));
  const int dpiY = std::max(1, pDC->GetDeviceCaps(LOGPIXELSY));
  // The off-screen buffer of the client area; without one, the drawing goes straight to
  // the surface.
  const CRect rcClient = m_view.m_pWindow->GetClientRect();
  const std::int64_t cw = static_cast<std::int64_t>(rcClient.right) - rcClient.left;
  const std::int64_t ch = static_cast<std::int64_t>(rcClient.bottom) - rcClient.top;
  const std::int32_t Lw =
      Trunc32(static_cast<double>(cw + m_view.ScrollOffsetX()) * 1440.0 * z / dpiX);
  const std::int32_t Lh =
      Trunc32(static_cast<double>(ch + m_view.ScrollOffsetY()) * 1440.0 * z / dpiY);
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
    pBuffer = std::make_unique<CMemoryDC>(*m_view.m_pWindow,
                                          m_view.m_pWindow->OpenBackBuffer(pDC, bw, bh, bHostKept));
    const CBackBufferKey key{
        pDoc, z, m_view.Viewport().ScrollX(), m_view.Viewport().ScrollY(), bw, bh, dpiX, dpiY};
    bKept = bHostKept && m_bBackBufferValid && m_backBufferKey == key;
    m_backBufferKey = key;
    // Until this paint has finished, the buffer holds no whole paint.
    m_bBackBufferValid = false;
  } else {
    pBuffer = std::make_unique<CMemoryDC>(*m_view.m_pWindow, pDC, bw, bh);
  }
  if (pBuffer->Get() != nullptr) {
    pTarget = pBuffer->Get();
    if (!bKept) m_view.m_pWindow->FillSolidRect(pTarget, CRect{0, 0, bw, bh}, RGB(255, 255, 255));
  } else {
    pBuffer.reset();
    bKept = false;
  }

  m_view.OnPrepareDC(pTarget);
  pTarget->SetROP2(R2_COPYPEN);
  if (pDoc != nullptr) PaintObjects(pTarget, pDoc, RenderMode::Screen, szVisible, bKept);
  // Only the window's own buffer holds a paint the next one may build on.
  if (!bWindow || !pBuffer) m_bBackBufferValid = false;
  if (!pBuffer) return;
  // From the drawing's origin to the window's far corner; scrolled to what lies left of
  // or above the origin, from the window's own corner, so that none of it is left out.
  const std::int32_t x0 =
      std::min(0, Trunc32(static_cast<double>(m_view.ScrollOffsetX()) * 1440.0 * z / dpiX));
  const std::int32_t y0 =
      std::max(0, Trunc32(-static_cast<double>(m_view.ScrollOffsetY()) * 1440.0 * z / dpiY));
  m_view.m_pWindow->BitBlt(pDC, x0, y0, Clamp32(static_cast<std::int64_t>(Lw) - x0),
                           Clamp32(-static_cast<std::int64_t>(Lh) - y0), pTarget, x0, y0);
  // The frame around the object under the pointer goes on the window alone: the buffer,
  // which the next paint builds on, never holds it, and the next copy covers it.
  if (bWindow) DrawHoverFrame(pDC, szVisible);
}

void CScreenPainter::DrawHoverFrame(CDC* pDC, CSize szClient) {
  const std::optional<CRect> frame = m_view.HoverFrame(pDC);
  if (!frame) return;
  // Edges far outside the window are drawn just outside it.
  const auto x = [&](std::int32_t n) { return std::clamp(n, -2, SatAdd(szClient.cx, 2)); };
  const auto y = [&](std::int32_t n) { return std::clamp(n, -2, SatAdd(szClient.cy, 2)); };
  const std::int32_t l = x(frame->left), t = y(frame->top), r = x(frame->right),
                     b = y(frame->bottom);
  const COLORREF cr = CKvillView::kHoverFrameColour;
  IViewWindow& window = *m_view.m_pWindow;
  window.FillSolidRect(pDC, CRect{l, t, r + 1, t + 1}, cr);
  window.FillSolidRect(pDC, CRect{l, b, r + 1, b + 1}, cr);
  window.FillSolidRect(pDC, CRect{l, t, l + 1, b + 1}, cr);
  window.FillSolidRect(pDC, CRect{r, t, r + 1, b + 1}, cr);
}

void CScreenPainter::PaintObjects(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode, CSize szVisible,
                                  bool bKept) {
  const bool bScreen = mode == RenderMode::Screen;
  // Every object starts the paint with its pass flags cleared. Each is cleared just before
  // its turn rather than in a walk of its own: drawing never touches another object's
  // flags, and the object is then still in the cache for its reach and drawing.
  // Until the update after this paint, the scroll extents are not known.
  m_view.Viewport().MarkExtentsStale();

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
    m_view.Unsettle();
    DropPaintIndex();
  }
  // Objects that go drop the index as they are destroyed, so it never names a freed
  // object. A list that changed length or ends without that is another drawing all the
  // same.
  if (m_nRestingPaints >= 2 && !IsRestingDrawing(pDoc)) {
    m_view.Unsettle();
    DropPaintIndex();
  }

  // Every paint but one of the damaged area alone starts from white paper.
  const auto fillWhole = [&] {
    if (bKept)
      m_view.m_pWindow->FillSolidRect(pTarget, CRect{0, 0, szVisible.cx, szVisible.cy},
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
  if (m_view.Mouse().Tool() == TOOL_BOND_END && m_view.Current() != nullptr &&
      m_view.Current()->GetKind() == KIND_COUPLING) {
    m_view.Current()->Draw(pTarget);
    bOverlay = true;
  }
  m_bBackBufferValid = bLeaveOut && !bOverlay;
  m_pendingDamage.clear();
}

void CScreenPainter::PaintEveryObject(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode,
                                      const CRect* prcVisible) {
  const std::uint64_t nStart = CKVObject::LatestChangeStamp();
  CMeasuringDC measure(pTarget);
  ++m_nPaintSerial;
  m_nBondMemosUsed = 0;
  m_nLayoutMemosUsed = 0;
  const bool bOwnList = pDoc == m_view.m_pDocument;
  for (const auto& p : pDoc->m_listObjects) {
    CKVObject* pObj = p.get();
    if (bOwnList) m_view.Watch(pObj);
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

void CScreenPainter::PaintObject(CKVObject* pObj, CDC* pTarget, CKvillDoc* pDoc, RenderMode mode) {
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

bool CScreenPainter::CBondEndKey::Matches(const CKVObject* p) const {
  if (p != pEnd) return false;
  if (p == nullptr) return true;
  if (p->m_nKind != nKind || !(p->m_rcBounds == rcBox) || !(p->m_ptAnchor == ptAnchor) ||
      p->m_dScale != dScale) {
    return false;
  }
  return p->m_nKind != KIND_FORMULA || static_cast<const CFormula*>(p)->m_strText == strText;
}

void CScreenPainter::CBondEndKey::Set(CKVObject* p) {
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

bool CScreenPainter::CheckTextMetrics(CDC* pDC) {
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

void CScreenPainter::ReindexReplaced(const CKvillDoc* pDoc) {
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
    m_view.Watch(pNew);
    bFiled = m_paintIndex.Replace(nPlace, pNew, PaintReach(pNew)) && bFiled;
  }
  if (!bFiled) m_paintIndex.Build(list);
  // Who depends on a new object: bonds ending on it and groups around such bonds, all read
  // anew (the reload keeps a bond or group only while every end it names stays).
  for (const auto& [nPlace, pNew] : replaced) NoteDependents(nPlace, pNew);
}

void CScreenPainter::RemapIndexByAddress(const CObList& list) {
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

void CScreenPainter::RemapIndex(const CObList& list, const std::vector<CKVObject*>& objects,
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
    if (from[j] == CPaintIndex::kNew) m_view.Watch(objects[j]);
  if (!m_paintIndex.Remap(objects, from)) m_paintIndex.Build(list);
  for (std::uint32_t j = 0; j < from.size(); ++j)
    if (from[j] == CPaintIndex::kNew) NoteDependents(j, objects[j]);
}

void CScreenPainter::DropPaintIndex() {
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

bool CScreenPainter::IsRestingDrawing(const CKvillDoc* pDoc) const {
  const CObList& list = pDoc->m_listObjects;
  return m_pRestingDoc == pDoc && m_nRestingCount == list.size() &&
         m_pRestingFront == (list.empty() ? nullptr : list.front().get()) &&
         m_pRestingBack == (list.empty() ? nullptr : list.back().get());
}

void CScreenPainter::NoteRestingDrawing(const CKvillDoc* pDoc) {
  const CObList& list = pDoc->m_listObjects;
  m_pRestingDoc = pDoc;
  m_nRestingCount = list.size();
  m_pRestingFront = list.empty() ? nullptr : list.front().get();
  m_pRestingBack = list.empty() ? nullptr : list.back().get();
}

void CScreenPainter::NoteFullPaint(CKvillDoc* pDoc, std::uint64_t nStart, CDC* pDC,
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

bool CScreenPainter::ChangedInList(const CObList& list, std::uint64_t nSince,
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

bool CScreenPainter::CollectChanged(const CObList& list, std::uint64_t nSince,
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

bool CScreenPainter::FollowChanged(const CObList& list, std::uint64_t nSince,
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

void CScreenPainter::NoteDependents(std::uint32_t i, CKVObject* pObj) {
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

void CScreenPainter::Reindex(const CObList& list, const std::vector<std::uint32_t>& places) {
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

bool CScreenPainter::PrepareDamage(CDC* pTarget, const CObList& list,
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
  for (const CRect& rc : m_damage) m_view.m_pWindow->FillSolidRect(pTarget, rc, RGB(255, 255, 255));
  // Nothing damaged in the window: nothing is drawn.
  if (!m_damage.empty() && !m_view.m_pWindow->ClipToPixels(pTarget, m_damage)) return false;
  if (!m_damage.empty()) ++m_nDamagePaints;
  return true;
}

bool CScreenPainter::PaintChanged(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode,
                                  const CRect& rcVisible, CSize szVisible, bool bKept) {
  const CObList& list = pDoc->m_listObjects;
  std::vector<std::uint32_t>& processed = m_processedScratch;
  processed.clear();
  // Whether the extents were measured at the index stamp this paint starts from: then
  // what it brings up to date is all that changed since.
  const bool bExtentsFollow = m_view.Viewport().ExtentsMeasuredAt(pDoc, m_nIndexStamp);
  if (!CollectChanged(list, m_nIndexStamp, nullptr, processed)) return false;
  ++m_nChangedOnlyPaints;
  CMeasuringDC measure(pTarget);
  const std::vector<std::uint32_t>& visible = m_paintIndex.MeetingAt(rcVisible);
  const COLORREF white = RGB(255, 255, 255);

  const bool bDamage =
      bKept && PrepareDamage(pTarget, list, visible, szVisible, measure, processed);
  if (bKept && !bDamage)
    m_view.m_pWindow->FillSolidRect(pTarget, CRect{0, 0, szVisible.cx, szVisible.cy}, white);

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
  if (bDamage && !m_damage.empty()) m_view.m_pWindow->ClipToPixels(pTarget, {});
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
    std::vector<const CKVObject*>& changed = m_view.Viewport().BeginChangedSinceExtents();
    for (std::uint32_t i : processed) {
      CKVObject* pObj = m_paintIndex.ObjectAt(i);
      if (pObj->GetKind() != KIND_COUPLING) changed.push_back(pObj);
    }
  }
  if (bMovedByPaint) {
    m_view.m_pWindow->FillSolidRect(pTarget, CRect{0, 0, szVisible.cx, szVisible.cy}, white);
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

bool CScreenPainter::AddDamage(CDC* pTarget, const CRect& rcReach, CSize szVisible) {
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

bool CScreenPainter::MeetsDamage(CDC* pTarget, std::uint32_t i) const {
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

void CScreenPainter::CheckPaintStateAgainstFullRecompute(const CObList& list, CDC* pDC) {
  std::size_t i = 0;
  for (const auto& p : list) {
    if (i >= m_paintIndex.Size() || m_paintIndex.ObjectAt(i) != p.get())
      FailPaintCheck("the index", i, 0);
    if (!m_paintIndex.HasReach(i, PaintReach(p.get())))
      FailPaintCheck("the filed reach", i, p->m_nKind);
    // An object the index names must report its going, or the index could outlive it.
    if (p->m_pWatcher != m_view.m_pDocument) FailPaintCheck("the watcher", i, p->m_nKind);
    ++i;
  }
  // The drawing state of every object out of the window (those in it are drawn anew by
  // every paint), recomputed from scratch (no memo) in list order as a full paint follows
  // them: a difference is an object that changed without saying so, or one depending on
  // it that was not brought up to date.
  std::vector<std::size_t> topOf;
  const std::vector<CDrawingState> before = GatherDrawingState(list, &topOf);
  const CRect rcClient = m_view.m_pWindow->GetClientRect();
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

void CScreenPainter::PaintShownObjects(CDC* pTarget, CKvillDoc* pDoc, RenderMode mode,
                                       const CRect& rcVisible) {
  for (std::uint32_t i : m_paintIndex.MeetingAt(rcVisible)) {
    CKVObject* pObj = m_paintIndex.ObjectAt(i);
    pObj->ResetDone();
    PaintObject(pObj, pTarget, pDoc, mode);
    if (i < m_drawnSelected.size()) m_drawnSelected[i] = pObj->m_bSelected != 0;
  }
}

void CScreenPainter::PassOverLeftOut(CKVObject* pObj, int nKind, CDC* pDC, CMeasuringDC& measure) {
  if (!(pObj->m_bSelected && nKind == KIND_DOT)) FollowLeftOut(pObj, pDC, measure);
  if (pObj->m_bSelected && nKind != KIND_COUPLING) pObj->DrawMarks(&measure);
}

void CScreenPainter::FollowLeftOut(CKVObject* pObj, CDC* pDC, CMeasuringDC& measure) {
  const auto follow = [&](CKVObject* p) {
    if (CCoupling* pBond = p->AsBond()) {
      FollowEnds(pBond, pDC);
    } else if (CFormula* pFormula = p->AsFormula()) {
      LayOutLeftOut(pFormula, measure);
    }
  };
  FollowInDrawingOrder(pObj, follow);
}

void CScreenPainter::LayOutLeftOut(CFormula* pFormula, CMeasuringDC& measure) {
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

void CScreenPainter::FollowEnds(CKVObject* pObj, CDC* pDC) {
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

void CScreenPainter::ObjectDestroyed(const CKVObject* pObj) {
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

void CScreenPainter::ForgetPaints() {
  DropPaintIndex();
  m_bBackBufferValid = false;
  m_pendingDamage.clear();
}
