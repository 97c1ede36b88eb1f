// The editing commands that act on the selection or on the current object: delete, group
// and ungroup, front and back, the mirrors, rotate, aspect, colour, thickness, swap and the
// arrow-key nudges.
#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "objects/GroupWalk.h"
#include "resources/CommandIds.h"
#include "view/CKvillView.h"
#include "view/IViewHost.h"
#include "view/commands/LineThickness.h"

namespace {

bool IsBondObject(CKVObject* p) { return p->AsBond() != nullptr; }

// The kinds whose anchor lies on the left edge (and top edge) of their box.
bool AnchoredAtCorner(int nKind) {
  return nKind == KIND_FORMULA || nKind == KIND_GROUP || nKind == KIND_ELLIPSE ||
         nKind == KIND_PLUS || nKind == KIND_MINUS;
}

// The offset of an arrow key (0 left, 1 right, 2 up, 3 down), 100 units or 10 with Ctrl.
CSize NudgeOffset(int nKey, bool bFine) {
  const int d = bFine ? 10 : 100;
  switch (nKey) {
    case 0:
      return CSize{-d, 0};
    case 1:
      return CSize{d, 0};
    case 2:
      return CSize{0, d};
    default:
      return CSize{0, -d};
  }
}

// Adds p and, for a group, every descendant of it.
void AddTree(CKVObject* p, std::unordered_set<const CKVObject*>& set) {
  set.insert(p);
  if (CGroup* pGroup = p->AsGroup()) {
    WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& q, CGroup&) {
      set.insert(q.get());
      return WalkStep::Enter;
    });
  }
}

// A bond may end on an object that is not where the bond is: a bond inside a group on an
// object outside it (a file can say so, and a rotated ellipse hands its bonds to its
// polygon wherever they are), or any bond on a group that is taken apart. Deleting that
// object must not leave the bond pointing at freed memory: the bond goes with it.
void DeleteBondsEndingIn(CObList& list, const std::unordered_set<const CKVObject*>& gone) {
  const auto endsInGone = [&gone](CCoupling* pBond) {
    return gone.count(pBond->m_pEndA) != 0 || gone.count(pBond->m_pEndB) != 0;
  };
  std::vector<std::pair<CGroup*, CKVObject*>> doomed;
  for (auto& p : list) {
    CGroup* pTop = p ? p->AsGroup() : nullptr;
    if (pTop == nullptr) continue;
    WalkGroup(*pTop, [&](std::unique_ptr<CKVObject>& q, CGroup& parent) {
      if (CCoupling* pBond = q->AsBond(); pBond != nullptr && endsInGone(pBond)) {
        doomed.emplace_back(&parent, pBond);
      }
      return WalkStep::Enter;
    });
  }
  for (const auto& entry : doomed) {
    const CKVObject* pBond = entry.second;
    entry.first->m_listChildren.remove_if([pBond](const auto& q) { return q.get() == pBond; });
    entry.first->MarkChanged();  // the group's record no longer holds the bond
  }
  list.remove_if([&](const auto& p) {
    CCoupling* pBond = p ? p->AsBond() : nullptr;
    return pBond != nullptr && endsInGone(pBond);
  });
}

}  // namespace

std::vector<std::unique_ptr<CKVObject>> CKvillView::RemoveSelected(bool bDestroy) {
  std::vector<std::unique_ptr<CKVObject>> unlinked;
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr) return unlinked;
  CObList& list = pDoc->m_listObjects;
  // Deleting a bond changes no other object's selection, so one pass takes them all in
  // the order a repeated search from the head would.
  if (bDestroy) {
    for (auto it = list.begin(); it != list.end();) {
      if (IsBondObject(it->get()) && (*it)->IsSelected()) {
        it = list.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto it = list.begin(); it != list.end();) {
    if (!IsBondObject(it->get()) && (*it)->IsSelected()) {
      unlinked.push_back(std::move(*it));
      it = list.erase(it);
    } else {
      ++it;
    }
  }
  m_bPendingModified = 1;
  SetSelCount(0);
  m_pCurrent = nullptr;
  pDoc->SetModifiedFlag();
  if (bDestroy) {
    std::unordered_set<const CKVObject*> gone;
    for (const auto& p : unlinked) AddTree(p.get(), gone);
    if (gone.count(m_pHover) != 0) m_pHover = nullptr;
    if (gone.count(m_tracker.CtrlToggle()) != 0) m_tracker.SetCtrlToggle(nullptr);
    DeleteBondsEndingIn(list, gone);
    unlinked.clear();
    UpdateView();
  }
  return unlinked;
}

// ---------------------------------------------------------------------------------------
// Delete, group and ungroup, front and back

bool CKvillView::OnEditDelete() {
  if (CFormula* pFormula = EditedFormula()) {
    if (const std::unique_ptr<CDC> pDC = GetWindowSurface())
      pFormula->DeleteForward(pDC.get(), &m_formula);
    m_bPendingModified = 1;
    UpdateView();
    return true;
  }
  if (m_pDocument == nullptr || SelCount() <= 0) return false;
  RemoveSelected(true);
  return true;
}

bool CKvillView::OnGroup() {
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr || SelCount() < 2) return false;
  CObList& list = pDoc->m_listObjects;
  auto pNew = std::make_unique<CGroup>();
  CGroup* G = pNew.get();
  // Moving an object into the group changes no other object's selection, so one pass in
  // list order takes them in the order a scan restarted from the head would. Bonds between
  // two selected objects go in first; a bond with one selected end stays outside and keeps
  // joining the group's member to the object outside.
  for (auto it = list.begin(); it != list.end();) {
    CCoupling* pBond = (*it)->AsBond();
    if (pBond != nullptr && pBond->m_pEndA != nullptr && pBond->m_pEndB != nullptr &&
        pBond->m_pEndA->IsSelected() && pBond->m_pEndB->IsSelected()) {
      pBond->m_bSelected = 0;
      G->AddChild(std::move(*it));
      it = list.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = list.begin(); it != list.end();) {
    if (!IsBondObject(it->get()) && (*it)->IsSelected()) {
      (*it)->m_bSelected = 0;
      G->AddChild(std::move(*it));
      it = list.erase(it);
    } else {
      ++it;
    }
  }
  // A count that claims a selection nobody has makes no empty, invisible group.
  if (G->m_listChildren.empty()) return false;
  G->RecalcBounds();
  list.push_back(std::move(pNew));
  G->m_pParent = nullptr;
  G->m_bSelected = 1;
  m_pCurrent = G;
  SetSelCount(1);
  m_tracker.SetTool(TOOL_SELECT);
  m_bPendingModified = 1;
  UpdateView();
  pDoc->SetModifiedFlag();
  return true;
}

CGroup* CKvillView::GroupToUngroup() const {
  if (m_pDocument == nullptr || SelCount() != 1) return nullptr;
  if (m_pCurrent != nullptr && m_pCurrent->AsGroup() != nullptr) return m_pCurrent->AsGroup();
  // However the group came to be selected (a click that left no current object, an undo),
  // the one selected object is the one to take apart. Selected objects stand at the end of
  // the list, so the search from the end is short.
  const CObList& list = m_pDocument->m_listObjects;
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if ((*it)->m_bSelected) return (*it)->AsGroup();
  }
  return nullptr;
}

bool CKvillView::OnUngroup(CGroup* G) {
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr || G == nullptr || SelCount() != 1) return false;
  // Only a group that the unlinking takes out of the drawing can hand over its children:
  // one nested in another group or not selected would leave them in two lists at once.
  if (G->m_pParent != nullptr || !G->m_bSelected) return false;
  CObList& list = pDoc->m_listObjects;
  std::vector<std::unique_ptr<CKVObject>> unlinked = RemoveSelected(false);
  SetSelCount(0);
  std::unique_ptr<CKVObject> pGroup;
  for (auto& p : unlinked) {
    if (p.get() == G) {
      pGroup = std::move(p);
    } else {
      // Other objects still selected by a count that had them wrong stay in the drawing.
      list.push_back(std::move(p));
      AddToSelCount(1);
    }
  }
  for (auto& p : G->m_listChildren) {
    p->m_bSelected = 1;
    p->m_pParent = nullptr;
    p->MarkChanged();
    list.push_back(std::move(p));
    AddToSelCount(1);
  }
  G->m_listChildren.clear();
  // A bond that ended on the group itself has nothing left to end on.
  DeleteBondsEndingIn(list, std::unordered_set<const CKVObject*>{G});
  if (m_pHover == G) m_pHover = nullptr;
  if (m_tracker.CtrlToggle() == G) m_tracker.SetCtrlToggle(nullptr);
  pGroup.reset();
  m_bPendingModified = 1;
  UpdateView();
  pDoc->SetModifiedFlag();
  return true;
}

namespace {

// Bonds that stay (an arrow drawn to an atom) end on the atoms' new objects, and what is to
// go is found with the group that holds it (null: the top level).
std::vector<std::pair<CGroup*, const CKVObject*>> FindGoneAndMoveEnds(
    CObList& list, const std::unordered_set<const CKVObject*>& gone,
    const std::vector<std::pair<const CKVObject*, CKVObject*>>& ends) {
  const std::unordered_map<const CKVObject*, CKVObject*> newEnd(ends.begin(), ends.end());
  std::vector<std::pair<CGroup*, const CKVObject*>> found;
  const auto visit = [&](CKVObject* p, CGroup* pParent) {
    if (gone.count(p) != 0) {
      found.emplace_back(pParent, p);
      return false;
    }
    if (CCoupling* pBond = p->AsBond(); pBond != nullptr && !newEnd.empty()) {
      for (CKVObject** ppEnd : {&pBond->m_pEndA, &pBond->m_pEndB}) {
        if (const auto it = newEnd.find(*ppEnd); it != newEnd.end()) {
          *ppEnd = it->second;
          pBond->MarkChanged();
        }
      }
    }
    return true;
  };
  for (auto& p : list) {
    if (!p || !visit(p.get(), nullptr)) continue;
    if (CGroup* pGroup = p->AsGroup()) {
      WalkGroup(*pGroup, [&](std::unique_ptr<CKVObject>& q, CGroup& parent) {
        return visit(q.get(), &parent) ? WalkStep::Enter : WalkStep::Next;
      });
    }
  }
  return found;
}

}  // namespace

void CKvillView::ReplaceObjects(const std::unordered_set<const CKVObject*>& gone,
                                const std::vector<std::pair<const CKVObject*, CKVObject*>>& ends,
                                CObList added) {
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr || added.empty()) return;
  EndFormulaEditing();
  DeselectAll();
  m_pCurrent = nullptr;
  CObList& list = pDoc->m_listObjects;
  const std::vector<std::pair<CGroup*, const CKVObject*>> found =
      FindGoneAndMoveEnds(list, gone, ends);
  // Unlinked first and destroyed last, so that the bonds still ending on them can be found.
  std::vector<std::unique_ptr<CKVObject>> unlinked;
  std::unordered_set<const CKVObject*> removed;
  const auto unlink = [&](CGroup* pParent, const CKVObject* p) {
    CObList& from = pParent != nullptr ? pParent->m_listChildren : list;
    for (auto it = from.begin(); it != from.end(); ++it) {
      if (it->get() != p) continue;
      AddTree(it->get(), removed);
      unlinked.push_back(std::move(*it));
      from.erase(it);
      return;
    }
  };
  for (const auto& [pParent, p] : found) unlink(pParent, p);
  // A group that loses members is recorded anew, and one left empty goes, up the nesting.
  for (const auto& entry : found) {
    CGroup* pGroup = entry.first;
    while (pGroup != nullptr && removed.count(pGroup) == 0) {
      CGroup* pParent = pGroup->m_pParent;
      if (pGroup->m_listChildren.empty()) {
        unlink(pParent, pGroup);
      } else {
        pGroup->RecalcBounds();
        pGroup->MarkChanged();
      }
      pGroup = pParent;
    }
  }
  if (removed.count(m_pHover) != 0) m_pHover = nullptr;
  if (removed.count(m_tracker.CtrlToggle()) != 0) m_tracker.SetCtrlToggle(nullptr);
  DeleteBondsEndingIn(list, removed);
  unlinked.clear();
  SetSelCount(0);
  for (auto& p : added) {
    p->m_pParent = nullptr;
    p->m_bSelected = 1;
    AddToSelCount(1);
  }
  list.splice(list.end(), added);
  if (SelCount() == 1) m_pCurrent = list.back().get();
  m_bPendingModified = 1;
  pDoc->SetModifiedFlag();
  UpdateView();
  PushSnapshot();
}

void CKvillView::OnBringFront() {
  m_bSendToBack = 0;
  UpdateView();
}

void CKvillView::OnBringBack() {
  m_bSendToBack = 1;
  UpdateView();
}

// ---------------------------------------------------------------------------------------
// The mirrors

namespace {

// What both mirrors do first: nothing selected is said and ends the command (false); a
// single selected bond is mirrored through its ends. The bonds selected on their own are
// returned, to keep the second line of a double bond on its side.
bool PrepareMirror(CKvillView& view, CObList& list, std::vector<CCoupling*>& bonds) {
  if (view.SelCount() < 1) {
    const bool bEnglish = view.Settings().m_bEnglish != 0;
    view.Window().MessageBox(bEnglish ? "No objects selected." : "Není vybrán žádný objekt.",
                             bEnglish ? "Valendra Error" : "Chyba Valendra", MB_ICONERROR, false);
    return false;
  }
  for (const auto& p : list) {
    CCoupling* pBond = p->AsBond();
    if (pBond != nullptr && pBond->m_bSelected) bonds.push_back(pBond);
  }
  if (view.SelCount() == 1 && !bonds.empty()) {
    for (CCoupling* pBond : bonds) {
      for (CKVObject* pEnd : {pBond->m_pEndA, pBond->m_pEndB}) {
        if (pEnd != nullptr) pEnd->SetSelected(1);
      }
      pBond->Deselect();
    }
    view.SetSelCount(2);
  }
  return true;
}

// The second line of a double bond drawn beside it stays on the mirrored side when its ends
// change places.
void KeepSecondLines(const std::vector<CCoupling*>& bonds) {
  for (CCoupling* pBond : bonds) {
    if (pBond->m_nStyle != 2) continue;
    pBond->MarkChanged();
    std::swap(pBond->m_pEndA, pBond->m_pEndB);
  }
}

// The top-level objects that are not bonds and carry their own selection flag.
std::vector<CKVObject*> SelectedShapes(CObList& list) {
  std::vector<CKVObject*> out;
  for (const auto& p : list) {
    if (!IsBondObject(p.get()) && p->m_bSelected) out.push_back(p.get());
  }
  return out;
}

// Moves an object to a new anchor, with every pass flag in its subtree cleared so that a
// group moves all of its members.
void MoveWhole(CKVObject* p, std::int64_t x, std::int64_t y) {
  p->ResetDone();
  p->MoveTo(CPoint{Clamp32(x), Clamp32(y)});
}

}  // namespace

bool CKvillView::OnMirror(bool bVertical) {
  CKvillDoc* pDoc = m_pDocument;
  if (pDoc == nullptr) return false;
  CObList& list = pDoc->m_listObjects;
  std::vector<CCoupling*> bonds;
  if (!PrepareMirror(*this, list, bonds)) return false;
  const std::vector<CKVObject*> shapes = SelectedShapes(list);
  // The span of the selection across the axis: left and right for the vertical mirror,
  // bottom and top for the horizontal one.
  std::int64_t lo = 0, hi = 0;
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const CRect& rc = shapes[i]->m_rcBounds;
    const std::int64_t a = bVertical ? rc.left : rc.bottom;
    const std::int64_t b = bVertical ? rc.right : rc.top;
    lo = i == 0 ? a : std::min(lo, a);
    hi = i == 0 ? b : std::max(hi, b);
  }
  for (CKVObject* p : shapes) {
    const CRect rc = p->m_rcBounds;
    const CPoint a = p->m_ptAnchor;
    const int nKind = p->m_nKind;
    if (bVertical) {
      std::int64_t x = lo - a.x + hi;
      if (AnchoredAtCorner(nKind)) x += static_cast<std::int64_t>(rc.left) - rc.right;
      MoveWhole(p, x, a.y);
    } else {
      std::int64_t y = hi - a.y + lo;
      if (nKind == KIND_FORMULA) {
        // The box is mirrored and the anchor keeps its place below the box's top.
        y = hi - rc.top + lo + (static_cast<std::int64_t>(rc.top) - rc.bottom) + (a.y - rc.top);
      } else if (AnchoredAtCorner(nKind)) {
        y += static_cast<std::int64_t>(rc.top) - rc.bottom;
      }
      MoveWhole(p, a.x, y);
    }
    if (CGroup* pGroup = p->AsGroup()) {
      pGroup->ResetDone();
      if (bVertical) {
        pGroup->MirrorVertical();
      } else {
        pGroup->MirrorHorizontal();
      }
    }
  }
  KeepSecondLines(bonds);
  UpdateView();
  if (!shapes.empty()) pDoc->SetModifiedFlag();
  return true;
}

// ---------------------------------------------------------------------------------------
// Rotate mode

void CKvillView::OnRotate() {
  CGroup* pGroup = m_pCurrent != nullptr ? m_pCurrent->AsGroup() : nullptr;
  if (pGroup == nullptr || m_pDocument == nullptr) return;
  m_tracker.SetRotating(1);
  pGroup->SaveExact();
  m_pDocument->SetModifiedFlag();
}

void CKvillView::RotateStep(CPoint P) {
  CGroup* pGroup = m_pCurrent != nullptr ? m_pCurrent->AsGroup() : nullptr;
  if (pGroup == nullptr) return;
  const CRect& rc = pGroup->m_rcBounds;
  const std::int64_t cx = (static_cast<std::int64_t>(rc.left) + rc.right) / 2;
  const std::int64_t cy = (static_cast<std::int64_t>(rc.top) + rc.bottom) / 2;
  const double vox = static_cast<double>(m_ptRotate.x - cx);
  const double voy = static_cast<double>(m_ptRotate.y - cy);
  const double vnx = static_cast<double>(P.x - cx);
  const double vny = static_cast<double>(P.y - cy);
  // A pointer on the centre has no direction: the angle is not a number and no step is
  // taken.
  double dAngle = std::acos((vnx * vox + vny * voy) / std::hypot(vnx, vny) / std::hypot(vox, voy));
  const double dx = static_cast<double>(P.x) - m_ptRotate.x;
  const double dy = static_cast<double>(P.y) - m_ptRotate.y;
  if (std::fabs(vox) > std::fabs(voy)) {
    if ((dy < 0 && vox > 0) || (dy > 0 && vox < 0)) dAngle = -dAngle;
  } else if ((dx > 0 && voy > 0) || (dx < 0 && voy < 0)) {
    dAngle = -dAngle;
  }
  // Smaller movements add up until they turn the group by a whole degree.
  if (!(std::fabs(dAngle * 180.0 / 3.14159265) >= 1.0)) return;
  m_ptRotate = P;
  pGroup->Rotate(Clamp32(cx * 100), Clamp32(cy * 100), dAngle,
                 m_pDocument != nullptr ? &m_pDocument->m_listObjects : nullptr);
  pGroup->m_bSelected = 1;
  SetSelCount(1);
  UpdateView();
}

// ---------------------------------------------------------------------------------------
// Aspect, colour, thickness and swap of the current object

void CKvillView::OnLockAspect() {
  if (m_pCurrent == nullptr) return;
  // Not stored, but the object is no longer what a load of its record gives.
  m_pCurrent->MarkChanged();
  m_pCurrent->m_bKeepAspect = m_pCurrent->m_bKeepAspect ? 0 : 1;
  m_pCurrent = nullptr;
  UpdateView();
}

void CKvillView::OnChangeColor() {
  CKvillDoc* pDoc = m_pDocument;
  CKVObject* O = m_pCurrent;
  if (pDoc == nullptr || O == nullptr) return;
  m_cursor.m_bHoverSuppressed = 1;
  COLORREF cr = O->m_crColor;
  // The dialog runs its own event loop; an object the view has let go of meanwhile is not
  // touched.
  if (m_pWindow->ChooseColor(O->m_crColor, cr) && m_pCurrent == O) {
    O->SetColor(cr);
    pDoc->SetModifiedFlag();
    PushSnapshot();
    UpdateView();
  }
  m_cursor.m_bHoverSuppressed = 0;
  m_pCurrent = nullptr;
}

bool CKvillView::OnThickness(double dThickness) {
  double* pThickness = LineThicknessOf(m_pCurrent);
  if (pThickness == nullptr || m_pDocument == nullptr) return false;
  *pThickness = dThickness;
  m_pCurrent->MarkChanged();
  UpdateView();
  m_pDocument->SetModifiedFlag();
  m_pCurrent = nullptr;
  return true;
}

bool CKvillView::OnThicknessCustom() {
  CKVObject* O = m_pCurrent;
  if (LineThicknessOf(O) == nullptr || m_pDocument == nullptr) return false;
  bool bChanged = false;
  m_dPolyParsed = 0.0;
  m_dCustomThickness = *LineThicknessOf(O);
  const bool bEnglish = m_pSettings->m_bEnglish != 0;
  do {
    if (RunThicknessDialog() != IDOK || m_pCurrent != O) break;
    if (m_dPolyParsed != 0.0) {
      *LineThicknessOf(O) = m_dCustomThickness;
      O->MarkChanged();
      UpdateView();
      m_pDocument->SetModifiedFlag();
      bChanged = true;
    } else {
      m_pWindow->MessageBox(bEnglish ? "Error: Not a number or zero."
                                     : "Chyba: Zadaná hodnota není číslo nebo je nulová.",
                            bEnglish ? "Valendra Error" : "Chyba Valendra", MB_ICONERROR, false);
    }
  } while (m_dPolyParsed == 0.0);
  m_pCurrent = nullptr;
  return bChanged;
}

bool CKvillView::OnSwap() {
  CCoupling* pBond = m_pCurrent != nullptr ? m_pCurrent->AsBond() : nullptr;
  if (pBond == nullptr || m_pDocument == nullptr) return false;
  pBond->Swap();
  m_bPendingModified = 1;
  UpdateView();
  m_pDocument->SetModifiedFlag();
  return true;
}

// ---------------------------------------------------------------------------------------
// The arrow keys

bool CKvillView::OnNudge(int nId) {
  const bool bFine = nId >= cmd::kCtrlLeft;
  const int nKey = nId - (bFine ? cmd::kCtrlLeft : cmd::kKeyLeft);
  if (!bFine) {
    if (CFormula* pFormula = EditedFormula()) {
      // In the formula being edited the arrows move the caret and do nothing else.
      const std::unique_ptr<CDC> pDC = GetWindowSurface();
      if (pDC == nullptr) return false;
      if (nKey == 0) pFormula->CaretLeft(pDC.get(), &m_formula);
      if (nKey == 1) pFormula->CaretRight(pDC.get(), &m_formula);
      if (nKey == 2) pFormula->CaretUp(pDC.get(), &m_formula);
      if (nKey == 3) pFormula->CaretDown(pDC.get(), &m_formula);
      return false;
    }
    if (SelCount() <= 0) {
      // Nothing to move: the drawing scrolls a line.
      if (nKey == 0) OnHScroll(SB_LINELEFT, 0);
      if (nKey == 1) OnHScroll(SB_LINERIGHT, 0);
      if (nKey == 2) OnVScroll(SB_LINEUP, 0);
      if (nKey == 3) OnVScroll(SB_LINEDOWN, 0);
      return false;
    }
  }
  {
    CScopedWindowDC dc(*m_pWindow);
    if (dc.Get() != nullptr) OnPrepareDC(dc.Get());
    if (m_nEditState == 1) {
      m_pWindow->HideCaret();
      m_nEditState = 0;
    }
    DragSelection(dc.Get(), NudgeOffset(nKey, bFine));
  }
  if (nKey == 0 || nKey == 2) NormalizePosition();
  if (m_pDocument != nullptr) m_pDocument->SetModifiedFlag();
  // The update finds the moved bonds' new end points; the snapshot (which Undo and the
  // recovery file take, after this) must hold them, as a save would.
  UpdateView();
  return true;
}
