// Hit testing and selection: which object lies under the mouse, clicks with and without
// Ctrl, and Select All.

#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/CKVObject.h"
#include "objects/GroupWalk.h"
#include "view/CKvillView.h"
#include "view/IViewHost.h"

namespace {

bool IsBond(CKVObject* p) { return p->GetKind() == KIND_COUPLING; }

// Every descendant of a group that is not a group itself, depth first, without recursion so
// that nesting of any depth is safe.
std::vector<CKVObject*> LeafDescendants(CGroup& group) {
  std::vector<CKVObject*> out;
  WalkGroup(group, [&out](std::unique_ptr<CKVObject>& slot, CGroup&) {
    if (slot->GetKind() == KIND_GROUP) return WalkStep::Enter;
    out.push_back(slot.get());
    return WalkStep::Next;
  });
  return out;
}

}  // namespace

CKvillView::CHit CKvillView::FindObjectAt(CPoint pt) {
  CHit bond, other;
  if (m_pDocument == nullptr) return other;
  // Bonds are found only where nothing else is: a formula, junction, ring or ellipse wins
  // over a bond drawn across it. Among objects of one class the topmost (last) one wins.
  for (const auto& p : m_pDocument->m_listObjects) {
    const int nKind = p->HitTest(pt);
    if (nKind == KIND_COUPLING) {
      bond = CHit{nKind, p.get()};
    } else if (nKind != 0) {
      other = CHit{nKind, p.get()};
    }
  }
  return other.nKind != 0 ? other : bond;
}

bool CKvillView::NoteHandleAt(CKVObject* pObj, CPoint pt) {
  if (m_tracker.Resizing()) return false;
  const int nHandle = pObj->HitHandle(pt);
  if (nHandle != 0) m_tracker.SetHandle(nHandle);
  return nHandle != 0;
}

CKVObject* CKvillView::FindHandleAt(CPoint pt) {
  if (m_pDocument == nullptr) return nullptr;
  for (const auto& p : m_pDocument->m_listObjects) {
    if (NoteHandleAt(p.get(), pt) && p->m_bSelected) return p.get();
  }
  return nullptr;
}

void CKvillView::ClickSelect(CKVObject* pObj, unsigned nFlags, bool bDeferCtrlDeselect) {
  Unsettle();
  if (pObj == nullptr || m_pDocument == nullptr) return;
  CObList& list = m_pDocument->m_listObjects;
  CKVObject* O = pObj->GetTop();
  const bool bCtrl = (nFlags & MK_CONTROL) != 0;
  // Selected as the object model answers it: a bond counts as selected through a selected
  // end, so a click on it keeps a selection it already belongs to.
  const bool bWasSelected = O->IsSelected() != 0;

  if (!bCtrl && !bWasSelected && m_tracker.Tool() == TOOL_SELECT) {
    m_pCurrent = nullptr;
    DeselectAll();
  }
  if (m_nEditState == 1) {
    m_pFrame->ResetDrawBar();
    m_tracker.SetTool(TOOL_SELECT);
    m_nEditState = 0;
    m_pWindow->HideCaret();
  }
  if (!bWasSelected && m_tracker.Tool() == TOOL_SELECT) {
    O->m_bSelected = 1;
    O->MarkChanged();
    m_pCurrent = O;
    AddToSelCount(1);
    if (IsBond(O)) {
      auto* pBond = static_cast<CCoupling*>(O);
      for (CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
        if (pEnd != nullptr && !pEnd->IsSelected()) {
          pEnd->SetSelected(1);
          AddToSelCount(1);
        }
      }
    }
  } else if (bCtrl && m_tracker.Tool() == TOOL_SELECT && bDeferCtrlDeselect) {
    m_tracker.SetCtrlToggle(O);
  } else if (bCtrl && m_tracker.Tool() == TOOL_SELECT) {
    O->SetSelected(0);
    if (!IsBond(O)) AddToSelCount(-1);
    if (O->GetKind() == KIND_GROUP) {
      // The bonds hanging on the group's members lose their flags; the count, which
      // treats a bond with its selected ends as one object, is left as it is.
      for (CKVObject* pLeaf : LeafDescendants(*static_cast<CGroup*>(O))) {
        for (const auto& p : list) {
          if (!IsBond(p.get())) continue;
          auto* pBond = static_cast<CCoupling*>(p.get());
          if (pBond->m_pEndA == pLeaf || pBond->m_pEndB == pLeaf) pBond->Deselect();
        }
      }
    } else {
      for (const auto& p : list) {
        if (!IsBond(p.get()) || !p->m_bSelected) continue;
        auto* pBond = static_cast<CCoupling*>(p.get());
        if (pBond->m_pEndA == O || pBond->m_pEndB == O) {
          pBond->Deselect();
          AddToSelCount(-1);
        }
      }
    }
    if (m_pCurrent != nullptr && !m_pCurrent->IsSelected()) m_pCurrent = nullptr;
  }
  UpdateView();
}

void CKvillView::OnSelectAll() {
  Unsettle();
  if (m_pDocument != nullptr) {
    for (const auto& p : m_pDocument->m_listObjects) {
      if (!p->m_bSelected) p->MarkChanged();
      p->m_bSelected = 1;
    }
  }
  CountSelection();
  UpdateView();
}
