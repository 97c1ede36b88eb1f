// The right button's context menus, the commands sent to the view window itself, the focus
// rules and another program's copy request.

#include <algorithm>
#include <cmath>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "resources/CommandIds.h"
#include "view/CKvillView.h"
#include "view/IViewHost.h"
#include "view/commands/LineThickness.h"

namespace {

// The menu resources, by what lies under the mouse.
constexpr int kMenuSeveral = 298;
constexpr int kMenuGroup = 300;
constexpr int kMenuBond = 302;
constexpr int kMenuFormula = 303;
constexpr int kMenuDot = 304;
constexpr int kMenuNothing = 335;
constexpr int kMenuEllipse = 336;
constexpr int kMenuCharge = 337;

// The line thickness of the objects whose menus offer one.
double ThicknessOf(CKVObject* p) {
  switch (p->GetKind()) {
    case KIND_COUPLING:
      return static_cast<CCoupling*>(p)->m_dThickness;
    case KIND_ELLIPSE:
      return static_cast<CEllipse*>(p)->m_dThickness;
    case KIND_PLUS:
      return static_cast<CPlusC*>(p)->m_dThickness;
    case KIND_MINUS:
      return static_cast<CMinusC*>(p)->m_dThickness;
    default:
      return 0.0;
  }
}

std::int32_t TruncToInt(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<std::int32_t>(v);
}

}  // namespace

std::vector<CMenuCheck> CKvillView::ThicknessMarks(double dThickness) {
  std::vector<CMenuCheck> checks;
  checks.push_back({cmd::kThicknessCustom, false});
  bool bMatched = false;
  for (const ThicknessPreset& p : kThicknessPresets) {
    // Exactly equal: a thickness typed as 0.30 is no preset, and Custom says so.
    const bool bEqual = dThickness == p.dValue;
    checks.push_back({p.nId, bEqual});
    bMatched = bMatched || bEqual;
  }
  if (!bMatched) checks.front().bChecked = true;
  return checks;
}

namespace {

// The menu of one object and its check marks; 0 for an object that has none.
int MenuOfObject(CKVObject* O, std::vector<CMenuCheck>& checks) {
  switch (O->GetKind()) {
    case KIND_FORMULA:
      return kMenuFormula;
    case KIND_DOT:
      return kMenuDot;
    case KIND_GROUP:
      checks.push_back({cmd::kLockAspect, O->m_bKeepAspect != 0});
      return kMenuGroup;
    case KIND_ELLIPSE:
    case KIND_PLUS:
    case KIND_MINUS:
      checks.push_back({cmd::kLockAspect, O->m_bKeepAspect != 0});
      for (const CMenuCheck& c : CKvillView::ThicknessMarks(ThicknessOf(O))) checks.push_back(c);
      return O->GetKind() == KIND_ELLIPSE ? kMenuEllipse : kMenuCharge;
    case KIND_COUPLING:
      checks = CKvillView::ThicknessMarks(ThicknessOf(O));
      return kMenuBond;
    default:
      return 0;
  }
}

}  // namespace

CKVObject* CKvillView::KeyboardMenuObject(const CObList& list) const {
  if (SelCount() < 1) return nullptr;
  CKVObject* O = nullptr;
  for (const auto& p : list) {
    if (!p->m_bSelected) continue;
    if (SelCount() == 3 && p->GetKind() != KIND_COUPLING) continue;
    O = p.get();
    break;
  }
  if (O == nullptr && !list.empty()) O = list.back().get();
  if (SelCount() < 2 && m_pCurrent != nullptr) O = m_pCurrent;
  return O;
}

CPoint CKvillView::KeyboardMenuPoint(CKVObject* O, const CRect& W) const {
  CPoint A;
  if (CGroup* pGroup = O->AsGroup()) {
    pGroup->RecalcBounds();
    A = CPoint{O->m_rcBounds.left, O->m_rcBounds.bottom};
  } else if (CCoupling* pBond = O->AsBond()) {
    A = CPoint{
        static_cast<std::int32_t>((static_cast<std::int64_t>(pBond->m_ptA.x) + pBond->m_ptB.x) / 2),
        static_cast<std::int32_t>((static_cast<std::int64_t>(pBond->m_ptA.y) + pBond->m_ptB.y) /
                                  2)};
  } else {
    A = CPoint{O->m_rcBounds.left, O->m_rcBounds.bottom};
  }
  const double z = m_viewport.Zoom();
  const int dpiX = std::max(1, m_pWindow->GetPixelsPerInchX());
  const int dpiY = std::max(1, m_pWindow->GetPixelsPerInchY());
  return CPoint{TruncToInt(A.x / (z * 1440.0 / dpiX)) + W.left - ScrollOffsetX(),
                TruncToInt(-A.y / (z * 1440.0 / dpiY)) + W.top - ScrollOffsetY()};
}

void CKvillView::SelectAlone(CKVObject* O) {
  m_pCurrent = nullptr;
  DeselectAll();
  O->m_bSelected = 1;
  O->MarkChanged();
  SetSelCount(1);
  if (CCoupling* pBond = O->AsBond()) {
    for (CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
      if (pEnd != nullptr && !pEnd->IsSelected()) {
        pEnd->SetSelected(1);
        AddToSelCount(1);
      }
    }
  }
  UpdateView();
}

void CKvillView::OnContextMenu(CPoint s) {
  CKvillDoc* pDoc = m_pDocument;
  // A handle drag in progress is never mixed with a menu command.
  if (m_tracker.Resizing() || pDoc == nullptr) return;
  const CRect W = m_pWindow->GetWindowRect();
  {
    CScopedWindowDC dc(*m_pWindow);
    if (dc.Get() == nullptr) return;
  }
  Unsettle();
  const CPoint P = DeviceToLogical(CPoint{s.x - W.left, s.y - W.top});
  if (m_tracker.Rotating()) PushSnapshot();
  m_tracker.SetRotating(0);

  CObList& list = pDoc->m_listObjects;
  CKVObject* O = nullptr;
  CPoint ptMenu = s;
  if (s.x < 0 || s.y < 0) {
    O = KeyboardMenuObject(list);
    if (O == nullptr) {
      // Nothing selected (or a count that names nothing in an empty drawing): Paste, at the
      // window's corner.
      UpdateView();
      m_pWindow->TrackPopupMenu(kMenuNothing, CPoint{W.left, W.top}, {});
      return;
    }
    ptMenu = KeyboardMenuPoint(O, W);
  } else {
    const CHit hit = FindObjectAt(P);
    if (hit.nKind == 0) {
      UpdateView();
      m_pWindow->TrackPopupMenu(kMenuNothing, s, {});
      return;
    }
    O = hit.pObj;
    if (!O->m_bSelected) SelectAlone(O);
  }

  // The press that closes the menu must not also act on the drawing.
  m_tracker.SetSkipNextClick(1);

  CCoupling* pBondO = O->AsBond();
  const bool bBondWithEnds = pBondO != nullptr && O->m_bSelected && pBondO->m_pEndA != nullptr &&
                             pBondO->m_pEndB != nullptr && pBondO->m_pEndA->IsSelected() &&
                             pBondO->m_pEndB->IsSelected();
  // A bond selected together with its two ends counts as one object.
  if (SelCount() > 1 && !(SelCount() <= 3 && bBondWithEnds)) {
    m_pWindow->TrackPopupMenu(kMenuSeveral, ptMenu, {});
    return;
  }

  m_pFrame->ResetDrawBar();
  if (m_pCurrent != nullptr) {
    m_pWindow->HideCaret();
    m_pCurrent = nullptr;
    m_tracker.SetTool(TOOL_SELECT);
    m_nEditState = 0;
  }
  DeselectAll();
  const int nKind = O->GetKind();
  std::vector<CMenuCheck> checks;
  const int nMenu = MenuOfObject(O, checks);
  if (nMenu == 0) return;
  m_pCurrent = O;
  if (!O->m_bSelected) O->MarkChanged();
  O->m_bSelected = 1;
  SetSelCount(1);
  // A following Rotate measures its first step from where the menu was asked for.
  if (nKind == KIND_GROUP) m_ptRotate = P;
  UpdateView();
  m_pWindow->TrackPopupMenu(nMenu, ptMenu, checks);
}

void CKvillView::OnWindowCommand(int nId) {
  m_tracker.SetSkipNextClick(0);
  m_pFrame->ResetDrawBar();
  m_pFrame->RouteCommand(nId);
}

void CKvillView::OnSetFocus() {
  // The cursor feedback waits until the mouse moves over the view again.
  m_cursor.m_bHoverSuppressed = 1;
  // Coming back to the drawing puts the Draw bar at rest; a bar the user has placed keeps
  // its new place in the settings.
  m_pFrame->ResetDrawBar();
  if (m_pSettings->m_bDrawBarPlaced) m_pFrame->RecordDrawBarPlacement();
}

void CKvillView::OnKillFocus() { m_tracker.SetSkipNextClick(0); }

bool CKvillView::OnCopyData() {
  // The data of the request is not read: whoever asks gets the whole drawing.
  m_pWindow->BeginWaitCursor();
  m_pFrame->RouteCommand(cmd::kEditCopy);
  m_pWindow->EndWaitCursor();
  return true;
}
