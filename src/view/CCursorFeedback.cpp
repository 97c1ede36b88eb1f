#include "view/CCursorFeedback.h"

#include <algorithm>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "resources/WindowMessages.h"
#include "view/CKvillView.h"
#include "view/IViewHost.h"
#include "view/ToolKinds.h"

namespace {

// Where a top-level object can answer a hit test or a handle test: its selection frame
// (a group's as its children place it now), or for a bond the box of its two end points;
// widened by more than a bond's hit tolerance (120) and a handle's reach outside the frame
// (80).
CRect HitReach(CKVObject* p) {
  constexpr std::int64_t kMargin = 121;
  CRect rc;
  if (CCoupling* pBond = p->AsBond()) {
    rc = CRect{std::min(pBond->m_ptA.x, pBond->m_ptB.x), std::max(pBond->m_ptA.y, pBond->m_ptB.y),
               std::max(pBond->m_ptA.x, pBond->m_ptB.x), std::min(pBond->m_ptA.y, pBond->m_ptB.y)};
  } else {
    if (CGroup* pGroup = p->AsGroup()) pGroup->RecalcBounds();
    const CRect f = p->GetSelectionFrame();
    rc = CRect{std::min(f.left, f.right), std::max(f.top, f.bottom), std::max(f.left, f.right),
               std::min(f.top, f.bottom)};
  }
  return CRect{Clamp32(static_cast<std::int64_t>(rc.left) - kMargin),
               Clamp32(static_cast<std::int64_t>(rc.top) + kMargin),
               Clamp32(static_cast<std::int64_t>(rc.right) + kMargin),
               Clamp32(static_cast<std::int64_t>(rc.bottom) - kMargin)};
}

}  // namespace

bool CCursorFeedback::IsInInnerArea(CPoint pt) const {
  if (m_view.m_pFrame->IsInPlaceActive()) {
    // In place no main window's bars and borders surround the view: the inner area is the
    // view window itself.
    const CRect W = m_view.m_pWindow->GetWindowRect();
    return W.left <= pt.x && pt.x < W.right && W.top <= pt.y && pt.y < W.bottom;
  }
  const CRect F = m_view.m_pWindow->GetMainWindowRect();
  const std::int64_t right = m_view.Viewport().VBarShown() ? 28 : 12;
  const std::int64_t top = m_view.Settings().m_bToolBarHidden ? 0 : 82;
  std::int64_t bottom = 0;
  if (m_view.Settings().m_bStatusBarVisible) {
    bottom = m_view.Viewport().HBarShown() ? 47 : 31;
  } else {
    bottom = m_view.Viewport().HBarShown() ? 28 : 12;
  }
  return static_cast<std::int64_t>(F.left) + 12 <= pt.x &&
         pt.x <= static_cast<std::int64_t>(F.right) - right &&
         static_cast<std::int64_t>(F.top) + top <= pt.y &&
         pt.y <= static_cast<std::int64_t>(F.bottom) - bottom;
}

void CCursorFeedback::Update() {
  CKvillView& v = m_view;
  if (v.m_bDirectRender || v.m_pDocument == nullptr) return;
  const CPoint pt = v.m_pWindow->GetCursorPos();
  m_bCursorOutside = 0;

  if (!IsInInnerArea(pt)) {
    if (v.Mouse().Resizing()) {
      // A handle drag is abandoned when the pointer leaves the window's inner area.
      v.Mouse().SetResizing(0);
      v.SetCurrent(nullptr);
      v.UpdateView();
    }
    m_bCursorOutside = 1;
    return;
  }
  if (m_bHoverSuppressed || m_bDrawBarActive) return;
  const bool bFromMove = m_bFromMouseMove != 0;
  if (ShowGestureCursor(bFromMove)) return;
  const bool bCtrl = v.Mouse().LeftCtrlDown();
  // Nothing read below has changed since the last run of the timer: its answer would be
  // the same, and the cursor already shows it.
  std::optional<CInputs> inputs;
  if (!bFromMove) {
    inputs = Inputs(pt, bCtrl);
    if (m_lastInputs == inputs) return;
  }
  m_lastInputs.reset();
  {
    CScopedWindowDC dc(*v.m_pWindow);
    if (dc.Get() == nullptr) return;
  }
  ++m_nRuns;
  m_lastInputs = inputs;
  const CPoint P = v.DeviceToLogical(v.Mouse().LastMouse());
  const CObjectHit hit = FindObject(P);
  m_nKindUnderMouse = hit.nKind;
  const bool bOverEdited = v.EditState() == 1 && hit.pObj == v.Current();
  if ((hit.nKind != 0 || v.Mouse().Tool() == TOOL_FORMULA) && !v.Mouse().Resizing() &&
      (v.Mouse().Tool() == TOOL_FORMULA || (hit.nKind != 0 && bOverEdited))) {
    v.m_pWindow->SetCursor(IDC_IBEAM);
    return;
  }
  if (v.Mouse().Resizing()) {
    v.Mouse().ShowHandleCursor(v.Current());
    return;
  }
  CKVObject* H = FindHandle(P);
  if (H != nullptr && !bCtrl && !v.Mouse().Rotating() &&
      (v.EditState() == 0 || v.EditState() == 1)) {
    v.Mouse().ShowHandleCursor(H);
    return;
  }
  if (bFromMove && v.Mouse().Tool() != TOOL_SELECT && v.Mouse().Tool() != TOOL_FORMULA) {
    v.m_pWindow->SetCursor(IsBondTool(v.Mouse().Tool())     ? IDC_CROSS
                           : v.Mouse().Tool() == TOOL_PLUS  ? IDI_PLUS_CURSOR
                           : v.Mouse().Tool() == TOOL_MINUS ? IDI_MINUS_CURSOR
                                                            : IDI_TEMPLATE_CURSOR);
    m_bIBeamShown = 1;
    m_bBondCursor = 1;
    return;
  }
  ShowSelectCursor(hit, bCtrl);
}

bool CCursorFeedback::ShowGestureCursor(bool bFromMove) {
  CKvillView& v = m_view;
  if (v.Mouse().Tool() == TOOL_BOND_END) {
    if (bFromMove) v.m_pWindow->SetCursor(IDC_CROSS);
    return true;
  }
  if (v.Mouse().Moving()) {
    if (bFromMove) v.m_pWindow->SetCursor(IDC_SIZEALL);
    return true;
  }
  if (bFromMove && v.Mouse().Rotating()) {
    v.m_pWindow->SetCursor(IDI_ROTATE_CURSOR);
    return true;
  }
  return false;
}

void CCursorFeedback::ShowSelectCursor(const CObjectHit& hit, bool bCtrl) {
  const CKvillView& v = m_view;
  const bool bNotOverEdited = v.EditState() == 0 || (v.EditState() == 1 && hit.pObj != v.Current());
  if (bCtrl && !v.Mouse().Rotating() && hit.nKind != 0 && !m_bIBeamShown &&
      v.Mouse().Tool() == TOOL_SELECT && bNotOverEdited && !v.Mouse().RubberBand() &&
      hit.pObj != nullptr) {
    v.m_pWindow->SetCursor(IDI_COPY_CURSOR);
    return;
  }
  if (!m_bIBeamShown && v.Mouse().Tool() == TOOL_SELECT && bNotOverEdited && !m_bBondCursor &&
      !v.Mouse().Resizing() && !v.Mouse().Rotating()) {
    v.m_pWindow->SetCursor(IDC_ARROW);
  }
}

CCursorFeedback::CInputs CCursorFeedback::Inputs(CPoint ptScreen, bool bCtrl) const {
  const CKvillView& v = m_view;
  CInputs in;
  in.ptScreen = ptScreen;
  in.ptClient = v.Mouse().LastMouse();
  in.dZoom = v.Viewport().Zoom();
  in.nScrollX = v.Viewport().ScrollX();
  in.nScrollY = v.Viewport().ScrollY();
  in.nTool = v.Mouse().Tool();
  in.nEditState = v.EditState();
  in.nSelCount = v.SelCount();
  in.bResizing = v.Mouse().Resizing();
  in.bRotating = v.Mouse().Rotating();
  in.bRubberBand = v.Mouse().RubberBand();
  in.bBondCursor = m_bBondCursor;
  in.bIBeam = m_bIBeamShown;
  in.pCurrent = v.Current();
  in.bCtrl = bCtrl;
  in.nDpiX = v.m_pWindow->GetPixelsPerInchX();
  in.nDpiY = v.m_pWindow->GetPixelsPerInchY();
  in.nDrawing = m_nDrawingSerial;
  in.nMoves = m_nMouseMoves;
  return in;
}

bool CCursorFeedback::BuildHitIndex(bool bMayBuild) {
  const CKvillView& v = m_view;
  if (m_nHitIndexSerial == m_nDrawingSerial) return true;
  // While the mouse moves objects every step changes the drawing: an index would be built
  // for one look only.
  if (!bMayBuild || v.Mouse().Moving() || v.Mouse().Rotating() || v.Mouse().Resizing() ||
      v.Mouse().RubberBand() || v.Mouse().Tool() == TOOL_BOND_END) {
    return false;
  }
  // Building costs a few full searches. The first look at a changed drawing (the tick after
  // a keystroke, say) searches in full; a second look at the same drawing means the pointer
  // is moving over it, and the index pays.
  if (m_nHitLookSerial != m_nDrawingSerial) {
    m_nHitLookSerial = m_nDrawingSerial;
    return false;
  }
  const CObList& list = v.m_pDocument->m_listObjects;
  for (const auto& p : list) v.Watch(p.get());
  m_hitIndex.Build(list, &HitReach);
  m_nHitIndexSerial = m_nDrawingSerial;
  return true;
}

CObjectHit CCursorFeedback::FindObject(CPoint pt) {
  if (m_view.m_pDocument == nullptr) return CObjectHit{};
  if (!BuildHitIndex(true)) return m_view.FindObjectAt(pt);
  // The same rule as the view's FindObjectAt over the objects that can be hit here, in list
  // order.
  CObjectHit bond, other;
  for (CKVObject* p : m_hitIndex.Meeting(CRect{pt.x, pt.y, pt.x, pt.y})) {
    const int nKind = p->HitTest(pt);
    if (nKind == KIND_COUPLING) {
      bond = CObjectHit{nKind, p};
    } else if (nKind != 0) {
      other = CObjectHit{nKind, p};
    }
  }
  return other.nKind != 0 ? other : bond;
}

CKVObject* CCursorFeedback::FindHandle(CPoint pt) {
  if (m_view.m_pDocument == nullptr) return nullptr;
  if (!BuildHitIndex(false)) return m_view.FindHandleAt(pt);
  for (CKVObject* p : m_hitIndex.Meeting(CRect{pt.x, pt.y, pt.x, pt.y})) {
    if (m_view.NoteHandleAt(p, pt) && p->m_bSelected) return p;
  }
  return nullptr;
}
