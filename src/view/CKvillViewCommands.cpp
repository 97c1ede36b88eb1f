// The editing commands that act on the selection.
#include <algorithm>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/GroupWalk.h"
#include "view/CKvillView.h"

namespace {

bool IsBondObject(CKVObject* p) { return p->AsBond() != nullptr; }

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

// A bond inside a group may end on an object outside it (a file can say so, and a rotated
// ellipse hands its bonds to its polygon wherever they are). Deleting that object must not
// leave such a bond pointing at freed memory: the bond goes with it, as a top-level bond
// would.
void DeleteNestedBondsEndingIn(CObList& list, const std::unordered_set<const CKVObject*>& gone) {
  std::vector<std::pair<CGroup*, CKVObject*>> doomed;
  for (auto& p : list) {
    CGroup* pTop = p ? p->AsGroup() : nullptr;
    if (pTop == nullptr) continue;
    WalkGroup(*pTop, [&](std::unique_ptr<CKVObject>& q, CGroup& parent) {
      if (CCoupling* pBond = q->AsBond()) {
        if (gone.count(pBond->m_pEndA) != 0 || gone.count(pBond->m_pEndB) != 0) {
          doomed.emplace_back(&parent, pBond);
        }
      }
      return WalkStep::Enter;
    });
  }
  for (const auto& entry : doomed) {
    const CKVObject* pBond = entry.second;
    entry.first->m_listChildren.remove_if([pBond](const auto& q) { return q.get() == pBond; });
  }
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
  m_nSelCount = 0;
  m_pCurrent = nullptr;
  pDoc->SetModifiedFlag();
  if (bDestroy) {
    std::unordered_set<const CKVObject*> gone;
    for (const auto& p : unlinked) AddTree(p.get(), gone);
    if (gone.count(m_pHover) != 0) m_pHover = nullptr;
    DeleteNestedBondsEndingIn(list, gone);
    unlinked.clear();
    UpdateView();
  }
  return unlinked;
}
