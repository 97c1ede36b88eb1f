// Tools and the mouse: the press, move, release and double click of the left button,
// object creation, bond placement, moves, handle resizes and the selection rectangle.

#include "view/CMouseTracker.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "resources/WindowMessages.h"
#include "view/CKvillView.h"
#include "view/IViewHost.h"
#include "view/ToolKinds.h"

namespace {

// The groups, ellipses and charges whose free aspect lets every handle drive its own edges.
bool HasFreeHandles(CKVObject* p) {
  const int k = p->GetKind();
  return (k == KIND_GROUP || k == KIND_ELLIPSE || k == KIND_PLUS || k == KIND_MINUS) &&
         p->m_bKeepAspect == 0;
}

std::int64_t Floor64(double v) { return static_cast<std::int64_t>(std::floor(v)); }

// The edges a drag of handle nHandle (1 to 8) by (dx, dy) moves, of the box (L, T, R, B):
// each never comes closer than 20 to the edge across from it.
void MoveHandleEdges(int nHandle, std::int64_t L, std::int64_t T, std::int64_t R, std::int64_t B,
                     std::int64_t dx, std::int64_t dy, std::int64_t& L2, std::int64_t& T2,
                     std::int64_t& R2, std::int64_t& B2) {
  const bool bRight = nHandle == 1 || nHandle == 7 || nHandle == 8;
  const bool bBottom = nHandle == 1 || nHandle == 2 || nHandle == 3;
  const bool bLeft = nHandle == 3 || nHandle == 4 || nHandle == 5;
  const bool bTop = nHandle == 5 || nHandle == 6 || nHandle == 7;
  if (bRight) R2 = R + dx > L ? R + dx : L + 20;
  if (bBottom) B2 = B + dy < T ? B + dy : T - 20;
  if (bLeft) L2 = R + dx < R ? R + dx : R - 20;
  if (bTop) T2 = B + dy > B ? B + dy : B + 20;
}

}  // namespace

CMouseTracker::CMouseTracker(CKvillView& view) : m_view(view) {}

CMouseTracker::~CMouseTracker() = default;

// ---------------------------------------------------------------------------------------
// Small helpers

bool CMouseTracker::LeftCtrlDown() { return m_view.m_pWindow->IsKeyDown(VK_LCONTROL); }

void CMouseTracker::ShowHandleCursor(CKVObject* pObj) {
  if (pObj == nullptr) return;
  if (!HasFreeHandles(pObj)) {
    m_view.m_pWindow->SetCursor(IDC_SIZENWSE);
    return;
  }
  switch (m_nHandle) {
    case 1:
    case 5:
      m_view.m_pWindow->SetCursor(IDC_SIZENWSE);
      break;
    case 2:
    case 6:
      m_view.m_pWindow->SetCursor(IDC_SIZENS);
      break;
    case 3:
    case 7:
      m_view.m_pWindow->SetCursor(IDC_SIZENESW);
      break;
    case 4:
    case 8:
      m_view.m_pWindow->SetCursor(IDC_SIZEWE);
      break;
    default:
      break;
  }
}

bool CMouseTracker::KeepsTools() const { return m_view.Settings().m_aids.m_bKeepTools != 0; }

void CMouseTracker::EndCreationTool(std::int32_t nToolUsed) {
  // The one-creation hold goes with this creation, whatever Keep Tools says.
  const bool bOnce = std::exchange(m_bKeepToolOnce, 0) != 0;
  if (KeepsTools() || bOnce) {
    m_nTool = nToolUsed;
    return;
  }
  m_nTool = TOOL_SELECT;
  m_view.m_pFrame->ReleaseDrawBarButtons();
}

CFormula* CMouseTracker::CreateFormulaAt(CPoint pt) {
  m_view.Unsettle();
  if (m_view.m_pDocument == nullptr) return nullptr;
  auto pNew = std::make_unique<CFormula>();
  CFormula* pFormula = pNew.get();
  m_view.m_pDocument->m_listObjects.push_back(std::move(pNew));
  pFormula->m_bSelected = 1;
  pFormula->MoveTo(pt);
  m_view.SetEditState(1);
  m_view.SetCurrent(pFormula);
  if (const std::unique_ptr<CDC> pDC = m_view.GetWindowSurface()) {
    CPoint ptCentre;
    pFormula->LocateCaret(pDC.get(), 1, 0, &ptCentre, &m_view.m_formula);
  }
  return pFormula;
}

// ---------------------------------------------------------------------------------------
// Bond placement

void CMouseTracker::StartBond(CKVObject* pEnd, bool bOnExisting) {
  const BondTool* pTool = FindBondTool(m_nTool);
  if (pTool == nullptr || pEnd == nullptr) return;
  m_nBondTool = m_nTool;
  m_bBondFromPress = 1;
  m_bBondPressOnEnd = bOnExisting ? 1 : 0;
  auto pBond = std::make_unique<CCoupling>();
  pBond->m_nStyle = pTool->nStyle;
  pBond->m_nPenStyle = pTool->nPenStyle;
  pBond->m_nSide = pTool->nSide;
  pBond->m_bLive = 1;
  pBond->m_pEndA = pEnd;
  pBond->m_pEndB = nullptr;
  pBond->m_bSelected = 0;
  pBond->m_ptA = pEnd->GetAnchor();
  pBond->m_ptB = pBond->m_ptA;
  m_view.SetCurrent(pBond.get());
  m_pLiveBond = std::move(pBond);
  m_nTool = TOOL_BOND_END;
  m_bMoving = 0;
  m_bDragStart = 1;
}

void CMouseTracker::FinishBondOn(CKVObject* pEnd) {
  auto* pBond = static_cast<CCoupling*>(m_pLiveBond.get());
  pBond->MarkChanged();
  pBond->m_pEndB = pEnd;
  // Between two real ends a double bond is drawn centred.
  if (pBond->m_nStyle == 2) pBond->m_nStyle = 5;
  pBond->m_dScale = (pBond->m_pEndA->m_dScale + pEnd->m_dScale) / 2.0;
  pBond->m_bLive = 0;
  if (!pBond->m_bSelected) {
    pBond->m_bSelected = 1;
    m_view.AddToSelCount(1);
  }
  m_view.SetCurrent(nullptr);
  m_view.m_pDocument->m_listObjects.push_back(std::move(m_pLiveBond));
  EndCreationTool(m_nBondTool);
  m_view.m_bPendingModified = 1;
  for (CKVObject* p : {pBond->m_pEndA, pBond->m_pEndB}) {
    if (!p->IsSelected()) {
      p->SetSelected(1);
      m_view.AddToSelCount(1);
    }
  }
  // The update finds where the bond meets its ends; the step records what it finds.
  m_view.UpdateView();
  m_view.PushSnapshot();
  m_bMoving = 0;
}

void CMouseTracker::FinishBondAtNew(CPoint pt) {
  auto* pBond = static_cast<CCoupling*>(m_pLiveBond.get());
  auto pNew = std::make_unique<CDot>();
  CDot* pDot = pNew.get();
  pDot->MoveTo(pt);
  m_view.m_pDocument->m_listObjects.push_back(std::move(pNew));
  pBond->MarkChanged();
  pDot->MarkChanged();
  pBond->m_pEndB = pDot;
  pBond->m_dScale = pBond->m_pEndA->m_dScale;
  pDot->m_dScale = pBond->m_pEndA->m_dScale;
  pBond->m_bLive = 0;
  m_view.SetCurrent(nullptr);
  m_view.m_pDocument->m_listObjects.push_back(std::move(m_pLiveBond));
  EndCreationTool(m_nBondTool);
  m_bMoving = 0;
  m_view.m_bPendingModified = 1;
  if (!pBond->m_bSelected) {
    pBond->m_bSelected = 1;
    m_view.AddToSelCount(1);
  }
  for (CKVObject* p : {pBond->m_pEndA, pBond->m_pEndB}) {
    if (!p->IsSelected()) {
      p->SetSelected(1);
      m_view.AddToSelCount(1);
    }
  }
  m_view.UpdateView();
  m_view.PushSnapshot();
}

// ---------------------------------------------------------------------------------------
// The press

void CMouseTracker::OnLButtonDown(unsigned nFlags, CPoint ptClient) {
  m_view.Unsettle();
  // Whatever the press starts, the pointer no longer merely passes over the object.
  m_view.SetHover(nullptr);
  const CPoint P = m_view.DeviceToLogical(ptClient);
  if (m_bSkipNextClick) {
    m_bSkipNextClick = 0;
    return;
  }
  CKvillDoc* pDoc = m_view.m_pDocument;
  if (pDoc == nullptr) return;
  m_bBondFromPress = 0;
  m_ptPressClient = ptClient;
  m_nPressFlags = nFlags;
  // A bond in placement that lost its object (a load or an undo replaced the drawing, or
  // editing ended) cannot be finished: the press starts afresh with the select tool.
  if (m_nTool == TOOL_BOND_END &&
      (m_pLiveBond == nullptr || m_view.Current() != m_pLiveBond.get())) {
    m_pLiveBond.reset();
    m_nTool = TOOL_SELECT;
  }
  m_view.CountSelection();

  // A handle of a selected object starts a resize.
  if (m_nTool != TOOL_BOND_END && StartResizeAt(P)) return;

  CHit hit = PressedObject(P);
  if (m_bRotating) {
    // The press ends rotate mode and records the rotation as one step.
    m_view.NormalizePosition();
    m_view.PushSnapshot();
    m_bRotating = 0;
    m_view.SetCurrent(nullptr);
    return;
  }

  const bool bCtrl = LeftCtrlDown();
  ShowPressCursor(hit.nKind, bCtrl);
  if (IsTemplateTool(m_nTool) && m_view.Settings().m_aids.m_bFuseRings && hit.nKind != 0 &&
      FuseRing(hit, P)) {
    if (m_view.m_bPendingModified) pDoc->SetModifiedFlag();
    return;
  }
  // A press on an object selects it or attaches a bond to it; what is left creates with
  // the tool, in empty space and with the formula tool everywhere (but a kept formula tool
  // pressed in the formula being typed places the caret there).
  const bool bCaretOnly = KeepsTools() && m_nTool == TOOL_FORMULA && hit.pObj != nullptr &&
                          hit.pObj == m_view.Current() && m_view.EditState() == 1;
  const bool bCreate = hit.nKind == 0 || (m_nTool == TOOL_FORMULA && !bCaretOnly) ||
                       PressOnObject(hit, P, ptClient, nFlags, bCtrl);
  if (bCreate && !bCaretOnly) CreateWithTool(hit.nKind, P, ptClient);

  if (m_view.m_bPendingModified) pDoc->SetModifiedFlag();
}

bool CMouseTracker::StartResizeAt(CPoint P) {
  CKVObject* O = m_view.FindHandleAt(P);
  if (O == nullptr || LeftCtrlDown() || m_bRotating ||
      (m_view.EditState() == 1 && O == m_view.Current())) {
    return false;
  }
  ShowHandleCursor(O);
  m_view.SetCurrent(O);
  O->m_bSelected = 1;
  O->MarkChanged();
  m_view.SetSelCount(1);
  m_bResizing = 1;
  m_ptDragAnchor = P;
  m_ptDragLast = P;
  m_bDragStart = 1;
  m_view.UpdateView();
  m_view.m_bPendingModified = 0;
  return true;
}

CMouseTracker::CHit CMouseTracker::PressedObject(CPoint P) {
  CHit hit = m_view.FindObjectAt(P);
  m_view.m_cursor.m_nKindUnderMouse = hit.nKind;
  m_view.m_cursor.m_bIBeamShown = 0;
  if (hit.nKind == 0) return hit;
  if (m_view.EditState() == 1 && hit.pObj->IsSelected() && hit.nKind == KIND_FORMULA) {
    m_view.m_pWindow->SetCursor(IDC_IBEAM);
    m_view.m_cursor.m_bIBeamShown = 1;
  } else if (hit.nKind == KIND_GROUP) {
    // Inside a group the object under the press answers for it.
    if (CKVObject* pInner = hit.pObj->ObjectAt(P)) {
      hit.pObj = pInner;
      hit.nKind = pInner->GetKind();
    }
  }
  return hit;
}

void CMouseTracker::ShowPressCursor(int nKind, bool bCtrl) {
  m_view.m_cursor.m_bBondCursor = 0;
  if (IsBondTool(m_nTool)) {
    m_view.m_pWindow->SetCursor(IDC_CROSS);
    m_view.m_cursor.m_bBondCursor = 1;
  } else if (IsTemplateTool(m_nTool) || IsSingleObjectTool(m_nTool)) {
    if (nKind == 0 && !bCtrl) m_view.m_pWindow->SetCursor(IDI_TEMPLATE_CURSOR);
  } else if (m_nTool == TOOL_FORMULA) {
    m_view.m_pWindow->SetCursor(IDC_IBEAM);
    m_view.m_cursor.m_bIBeamShown = 1;
  }
}

bool CMouseTracker::PressOnObject(CHit& hit, CPoint P, CPoint ptClient, unsigned nFlags,
                                  bool bCtrl) {
  CKVObject* O = hit.pObj;
  m_ptDragAnchor = P;
  if (m_view.EditState() == 1 && O->IsSelected() && hit.nKind == KIND_FORMULA) {
    // Without a surface of the window the caret stays where it is.
    if (const std::unique_ptr<CDC> pDC = m_view.GetWindowSurface())
      static_cast<CFormula*>(O)->PlaceCaretAtPoint(pDC.get(), P, &m_view.m_formula);
    m_bMoving = 0;
    return true;
  }
  if (IsBondTool(m_nTool) || m_nTool == TOOL_BOND_END) {
    if (hit.nKind == KIND_FORMULA || hit.nKind == KIND_DOT) {
      if (m_nTool == TOOL_BOND_END) {
        FinishBondOn(O);
      } else {
        StartBond(O, true);
      }
      return false;
    }
    // Any other object: the bond starts or ends on a new junction at the press.
    hit.nKind = 0;
    return true;
  }
  bool bCopyPress = false;
  if (m_nTool == TOOL_SELECT && !m_view.m_cursor.m_bBondCursor) {
    if (bCtrl) {
      // The copy cursor promises a copy: dragged, the press duplicates the selection.
      m_view.m_pWindow->SetCursor(IDI_COPY_CURSOR);
      m_view.m_cursor.m_bCopyDrag = 1;
      m_ptCopyPress = ptClient;
      bCopyPress = true;
    } else {
      m_view.SetCurrent(nullptr);
      m_view.m_pWindow->SetCursor(IDC_SIZEALL);
      m_bMoving = 1;
    }
  }
  m_view.ClickSelect(O, nFlags, bCopyPress);
  return true;
}

void CMouseTracker::CreateWithTool(int nKind, CPoint P, CPoint ptClient) {
  const int nTool = m_nTool;
  if (nTool == TOOL_SELECT) {
    if (nKind == 0) StartRubberBand(ptClient);
  } else if (nTool == TOOL_FORMULA) {
    PlaceFormula(ptClient);
  } else if (IsBondTool(nTool)) {
    auto pDot = std::make_unique<CDot>();
    CDot* pEnd = pDot.get();
    pDot->MoveTo(P);
    m_view.m_pDocument->m_listObjects.push_back(std::move(pDot));
    StartBond(pEnd, false);
  } else if (nTool == TOOL_BOND_END) {
    FinishBondAtNew(BondEndAt(P, m_nPressFlags));
  } else if (CKVObject* pNew = PlaceObjectOfTool(nTool, P)) {
    EndCreationTool(nTool);
    m_view.SetEditState(0);
    m_view.m_bPendingModified = 1;
    pNew->m_bSelected = 1;
    pNew->MarkChanged();
    m_view.AddToSelCount(1);
    m_view.UpdateView();
    m_view.PushSnapshot();
  }
}

void CMouseTracker::StartRubberBand(CPoint ptClient) {
  m_view.DeselectAll();
  m_view.UpdateView();
  m_view.m_pWindow->HideCaret();
  m_view.SetEditState(0);
  m_bRubberBand = 1;
  m_bRubberDone = 0;
  m_view.SetCurrent(nullptr);
  m_ptDragAnchor = ptClient;
  m_ptDragLast = ptClient;
  m_rcDrag = CRect{ptClient.x, ptClient.y, ptClient.x, ptClient.y};
  m_bDragStart = 1;
}

void CMouseTracker::PlaceFormula(CPoint ptClient) {
  // The anchor is the top-left of the first text cell: 8 pixels up, the text sits about on
  // the pointer.
  CreateFormulaAt(m_view.DeviceToLogical(CPoint{ptClient.x, SatAdd(ptClient.y, -8)}));
  // The Draw bar's formula button does not latch: only the tool is kept or given up.
  if (!KeepsTools()) m_nTool = TOOL_SELECT;
  m_view.m_bPendingModified = 1;
  m_view.AddToSelCount(1);
  m_view.UpdateView();
  m_view.PushSnapshot();
}

CKVObject* CMouseTracker::PlaceObjectOfTool(int nTool, CPoint P) {
  CObList& list = m_view.m_pDocument->m_listObjects;
  if (IsTemplateTool(nTool)) {
    auto pGroup = std::make_unique<CGroup>();
    CGroup* pRing = pGroup.get();
    list.push_back(std::move(pGroup));
    m_view.PlaceTemplate(nTool, P, *pRing);
    return pRing;
  }
  if (nTool == TOOL_ELLIPSE) {
    auto pEllipse = std::make_unique<CEllipse>();
    CEllipse* p = pEllipse.get();
    list.push_back(std::move(pEllipse));
    m_view.m_nPolyVertices = 6;
    p->MoveTo(P);
    const int h = static_cast<int>(std::floor(std::cos(3.14159265 / 6) * 210));
    p->SetHalfSize(h, h);
    p->m_pParent = nullptr;
    return p;
  }
  if (nTool == TOOL_PLUS || nTool == TOOL_MINUS) {
    std::unique_ptr<CKVObject> pCharge;
    if (nTool == TOOL_PLUS) {
      pCharge = std::make_unique<CPlusC>();
    } else {
      pCharge = std::make_unique<CMinusC>();
    }
    CKVObject* p = pCharge.get();
    list.push_back(std::move(pCharge));
    p->ResetDone();
    p->MoveTo(CPoint{SatAdd(P.x, -100), SatAdd(P.y, 100)});
    p->m_pParent = nullptr;
    return p;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------------------
// The move

void CMouseTracker::EndMove() {
  m_view.NormalizePosition();
  m_bMoving = 0;
  m_bCopyMoving = 0;
  m_view.m_bPendingModified = 1;
  m_view.UpdateView();
  m_view.PushSnapshot();
}

void CMouseTracker::OnMouseMove(unsigned nFlags, CPoint ptClient) {
  m_view.m_cursor.NoteMouseMove();
  // The pointer passing over the drawing changes nothing in it, so what the cursor's hit
  // tests know stays good; everything else a move does may change objects.
  const bool bHover = (nFlags & MK_LBUTTON) == 0 && !GestureUnderWay() && !m_view.m_bDirectRender;
  if (bHover) {
    m_view.m_painter.EndPaintRest();
  } else {
    m_view.Unsettle();
  }
  if (m_view.m_bDirectRender) {
    m_view.m_bDirectRender = 0;
    m_view.UpdateView();
  }
  m_ptLastMouse = ptClient;
  CKvillDoc* pDoc = m_view.m_pDocument;
  if (pDoc == nullptr) return;
  m_view.m_cursor.m_bHoverSuppressed = 0;
  m_view.m_cursor.m_bDrawBarActive = 0;
  const CPoint P = m_view.DeviceToLogical(ptClient);
  const CObjectHit hit = m_view.m_cursor.FindObject(P);
  m_view.m_cursor.m_nKindUnderMouse = hit.nKind;
  // The frame marks what a press would take while the pointer only passes over.
  m_view.SetHover(bHover && m_view.EditState() != 1 ? hit.pObj : nullptr);
  m_view.m_cursor.m_bIBeamShown = 0;
  m_view.m_cursor.m_bBondCursor = 0;

  const bool bButton = (nFlags & MK_LBUTTON) != 0;
  if (m_bMoving && !bButton) EndMove();

  m_view.m_cursor.m_bFromMouseMove = 1;
  m_view.m_cursor.Update();
  m_view.m_cursor.m_bFromMouseMove = 0;
  if (m_bRotating) m_view.RotateStep(P);

  if (m_nTool == TOOL_BOND_END && m_view.Current() != nullptr &&
      m_view.Current() == m_pLiveBond.get()) {
    static_cast<CCoupling*>(m_view.Current())->m_ptB = BondEndAt(P, nFlags);
    m_view.Current()->MarkChanged();
    m_view.UpdateView();
  }

  // A Ctrl-press dragged further than a click's jitter copies the selection; the copies
  // then move as any selection does, Ctrl held or not.
  if (m_view.m_cursor.m_bCopyDrag && bButton && m_nTool == TOOL_SELECT &&
      !WithinClickSlop(ptClient, m_ptCopyPress)) {
    m_view.DuplicateSelectionForDrag();
  }
  if (m_bMoving && bButton && (!LeftCtrlDown() || m_bCopyMoving)) {
    m_view.SetCurrent(nullptr);
    CScopedWindowDC dc(*m_view.m_pWindow);
    if (dc.Get() != nullptr) m_view.OnPrepareDC(dc.Get());
    const CPoint P2 = m_view.DeviceToLogical(ptClient);
    if (m_view.EditState() == 1) {
      m_view.m_pWindow->HideCaret();
      m_view.SetEditState(0);
    }
    m_view.DragSelection(dc.Get(),
                         CSize{Clamp32(static_cast<std::int64_t>(P2.x) - m_ptDragAnchor.x),
                               Clamp32(static_cast<std::int64_t>(P2.y) - m_ptDragAnchor.y)});
    m_ptDragAnchor = P2;
    m_view.UpdateView();
  }

  if (m_bRubberBand && bButton) TrackRubberBand(ptClient);
  if (m_bResizing) ResizeFeedback(ptClient);
}

// ---------------------------------------------------------------------------------------
// Resizing with a handle

void CMouseTracker::ResizeFeedback(CPoint ptClient) {
  CKVObject* O = m_view.Current();
  if (O == nullptr) return;
  const std::int64_t L = O->m_rcBounds.left, T = O->m_rcBounds.top, R = O->m_rcBounds.right,
                     B = O->m_rcBounds.bottom;
  CScopedWindowDC dc(*m_view.m_pWindow);
  if (dc.Get() != nullptr) m_view.OnPrepareDC(dc.Get());
  m_ptDragLast = m_view.DeviceToLogical(ptClient);
  if (m_bDragStart) {
    m_rcDragOld = O->GetSelectionFrame();
    m_ptDragAnchor = CPoint{O->m_rcBounds.right, O->m_rcBounds.bottom};
  } else {
    m_rcDragOld = m_rcDrag;
  }

  std::int64_t dx = static_cast<std::int64_t>(m_ptDragLast.x) - m_ptDragAnchor.x;
  std::int64_t dy = static_cast<std::int64_t>(m_ptDragLast.y) - m_ptDragAnchor.y;
  const bool bKeep = O->m_bKeepAspect != 0;
  const bool bWidthDrives = R - L > T - B;
  double r = 0.0;
  if (bKeep) {
    if (bWidthDrives) {
      r = R != L ? static_cast<double>(T - B) / static_cast<double>(R - L) : 0.0;
      dy = -Floor64(static_cast<double>(dx) * r + 0.5);
    } else {
      r = T != B ? static_cast<double>(R - L) / static_cast<double>(T - B) : 0.0;
      dx = -Floor64(static_cast<double>(dy) * r + 0.5);
    }
  }

  std::int64_t L2 = L, T2 = T, R2 = R, B2 = B;
  if (HasFreeHandles(O)) {
    MoveHandleEdges(m_nHandle, L, T, R, B, dx, dy, L2, T2, R2, B2);
  } else {
    R2 = R + dx;
    B2 = B + dy;
  }

  if (bKeep) {
    if (bWidthDrives && R2 - L < 200) {
      R2 = L + 200;
      B2 = T - Floor64(200.0 * r + 0.5);
      m_ptDragLast = CPoint{Clamp32(R2), Clamp32(B2)};
    } else if (!bWidthDrives && T - B2 < 200) {
      B2 = T - 200;
      R2 = L + Floor64(200.0 * r + 0.5);
      m_ptDragLast = CPoint{Clamp32(R2), Clamp32(B2)};
    }
  }
  m_rcDrag = CRect{Clamp32(L2), Clamp32(T2), Clamp32(R2), Clamp32(B2)};
  if (dc.Get() != nullptr) O->DrawDragFrames(dc.Get(), m_rcDragOld, m_rcDrag);
  m_bDragStart = 0;
}

void CMouseTracker::ResizeRelease() {
  m_bResizing = 0;
  m_view.ResetAllDone();
  CKVObject* O = m_view.Current();
  // Without a feedback step the anchor is still the press point rather than the box's
  // corner, and the rules below would move a clicked edge; a click alone resizes nothing.
  if (O != nullptr && !m_bDragStart) {
    const std::int64_t L = O->m_rcBounds.left, T = O->m_rcBounds.top, R = O->m_rcBounds.right,
                       B = O->m_rcBounds.bottom;
    const std::int64_t Ax = m_ptDragAnchor.x, Ay = m_ptDragAnchor.y;
    std::int64_t Qx = m_ptDragLast.x, Qy = m_ptDragLast.y;
    const CPoint anchor = O->GetAnchor();
    const std::int64_t ax = anchor.x, ay = anchor.y;
    const auto Resize = [&](std::int64_t cx, std::int64_t cy) {
      O->ResizeBy(CSize{Clamp32(cx), Clamp32(cy)});
    };
    const auto Move = [&](std::int64_t x, std::int64_t y) {
      O->MoveTo(CPoint{Clamp32(x), Clamp32(y)});
    };
    const auto GuardY = [&] {
      if (B - Ay - T + ay + Qy <= B) Qy = B + 20;
    };
    const auto GuardX = [&] {
      if (Qx - Ax - L + R + ax >= R) Qx = R - 20;
    };
    if (HasFreeHandles(O)) {
      switch (m_nHandle) {
        case 1:
          Resize(Qx - Ax, Qy - Ay);
          break;
        case 2:
          Resize(0, Qy - Ay);
          break;
        case 8:
          Resize(Qx - Ax, 0);
          break;
        case 5:
          GuardY();
          GuardX();
          Move(ax + Qx - Ax - L + R, ay + B - Ay - T + Qy);
          Resize(L - Qx + Ax - R, Ay - B - Qy + T);
          break;
        case 6:
          GuardY();
          Move(ax, ay + B - Ay - T + Qy);
          Resize(0, Ay - B - Qy + T);
          break;
        case 7:
          GuardY();
          Move(ax, ay + B - Ay - T + Qy);
          Resize(Qx - Ax, Ay - B - Qy + T);
          break;
        case 3:
          GuardX();
          Move(ax + Qx - Ax - L + R, ay);
          Resize(L - Qx + Ax - R, Qy - Ay);
          break;
        case 4:
          GuardX();
          Move(ax + Qx - Ax - L + R, ay);
          Resize(L - Qx + Ax - R, 0);
          break;
        default:
          break;
      }
    } else {
      Resize(Qx - Ax, Qy - Ay);
    }
  }
  m_view.SetCurrent(nullptr);
  m_view.m_bPendingModified = 1;
  m_view.UpdateView();
  m_view.PushSnapshot();
}

// ---------------------------------------------------------------------------------------
// The release and the double click

void CMouseTracker::OnLButtonUp(unsigned nFlags, CPoint ptClient) {
  m_view.Unsettle();
  CKvillDoc* pDoc = m_view.m_pDocument;
  if (pDoc == nullptr) return;
  const CPoint P = m_view.DeviceToLogical(ptClient);
  const CHit hit = m_view.FindObjectAt(P);
  m_view.m_cursor.m_nKindUnderMouse = hit.nKind;

  if (m_view.m_cursor.m_bCopyDrag) {
    // A Ctrl-click that was not dragged copies nothing and records nothing; a selected
    // object it was made on leaves the selection now.
    m_view.m_cursor.m_bCopyDrag = 0;
    if (CKVObject* pToggle = std::exchange(m_pCtrlToggle, nullptr))
      m_view.ClickSelect(pToggle, MK_CONTROL);
  }

  const bool bCtrl = LeftCtrlDown();
  if (m_nTool != TOOL_SELECT && m_nTool != TOOL_FORMULA && !m_bResizing) {
    if (IsBondTool(m_nTool) || m_nTool == TOOL_BOND_END) {
      m_view.m_pWindow->SetCursor(IDC_CROSS);
    } else if (hit.nKind == 0 && !bCtrl) {
      m_view.m_pWindow->SetCursor(IDI_TEMPLATE_CURSOR);
    }
  }
  if (m_nTool == TOOL_FORMULA) {
    m_view.m_pWindow->SetCursor(IDC_IBEAM);
    m_view.m_cursor.m_bIBeamShown = 1;
  } else if (bCtrl && !m_bRotating && hit.nKind != 0 && !m_view.m_cursor.m_bIBeamShown &&
             m_nTool != TOOL_BOND_END &&
             (m_view.EditState() != 1 || hit.pObj != m_view.Current())) {
    m_view.m_pWindow->SetCursor(IDI_COPY_CURSOR);
  }

  if (m_bMoving) EndMove();
  if (m_bRubberBand) EndRubberBand();
  if (m_bResizing) ResizeRelease();
  if (hit.nKind == KIND_FORMULA && m_view.EditState() == 1 && hit.pObj->IsSelected()) {
    m_view.m_pWindow->SetCursor(IDC_IBEAM);
  }
  if (std::exchange(m_bBondFromPress, 0)) FinishBondOnRelease(nFlags, ptClient, P);
  if (m_view.m_bPendingModified) pDoc->SetModifiedFlag();
}

void CMouseTracker::OnLButtonDblClk(unsigned nFlags, CPoint ptClient) {
  m_view.Unsettle();
  const CPoint P = m_view.DeviceToLogical(ptClient);
  const CHit hit = m_view.FindObjectAt(P);
  if (hit.nKind == 0) {
    m_view.SetCurrent(nullptr);
    m_view.DeselectAll();
    m_view.UpdateView();
  } else if (hit.nKind == KIND_FORMULA) {
    m_nTool = TOOL_SELECT;
    m_view.SetEditState(0);
    m_view.m_cursor.m_bIBeamShown = 0;
    m_view.SetCurrent(hit.pObj);
    m_view.OnEditFormula();
  }
  OnLButtonDown(nFlags, ptClient);
}

void CMouseTracker::TrackRubberBand(CPoint ptClient) {
  // Without a window surface the rectangle is still tracked, only not shown.
  CScopedWindowDC dc(*m_view.m_pWindow);
  if (dc.Get() != nullptr) m_view.OnPrepareDC(dc.Get());
  if (m_bDragStart) {
    if (dc.Get() != nullptr) m_view.m_pWindow->DrawDragRect(dc.Get(), m_rcDrag, nullptr);
    m_bDragStart = 0;
  }
  m_ptDragLast = ptClient;
  m_rcDragOld = m_rcDrag;
  m_rcDrag = CRect{std::min(m_ptDragAnchor.x, ptClient.x), std::min(m_ptDragAnchor.y, ptClient.y),
                   std::max(m_ptDragAnchor.x, ptClient.x), std::max(m_ptDragAnchor.y, ptClient.y)};
  if (dc.Get() != nullptr) m_view.m_pWindow->DrawDragRect(dc.Get(), m_rcDrag, &m_rcDragOld);
  m_bRubberDone = 1;
}

void CMouseTracker::EndRubberBand() {
  m_bRubberBand = 0;
  // Client pixels have y down; in drawing units the rectangle's top lies above its bottom.
  const CPoint a = m_view.DeviceToLogical(CPoint{m_rcDrag.left, m_rcDrag.top});
  const CPoint b = m_view.DeviceToLogical(CPoint{m_rcDrag.right, m_rcDrag.bottom});
  const CRect rc{a.x, a.y, b.x, b.y};
  if (m_view.m_pDocument != nullptr) {
    CObList& list = m_view.m_pDocument->m_listObjects;
    for (const auto& p : list) {
      if (p->IsInside(rc)) {
        p->m_bSelected = 1;
        p->MarkChanged();
        m_view.AddToSelCount(1);
        m_view.SetCurrent(p.get());
        m_bRubberDone = 1;
      }
    }
    for (const auto& p : list) {
      if (p->GetKind() != KIND_COUPLING) continue;
      auto* pBond = static_cast<CCoupling*>(p.get());
      if (pBond->m_pEndA != nullptr && pBond->m_pEndB != nullptr && pBond->m_pEndA->IsSelected() &&
          pBond->m_pEndB->IsSelected()) {
        pBond->m_bSelected = 1;
        pBond->MarkChanged();
        m_view.AddToSelCount(1);
        m_bRubberDone = 1;
      }
    }
  }
  m_view.UpdateView();
  m_bRubberDone = 0;
}
