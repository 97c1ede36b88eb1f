#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "objects/CGroup.h"

// What a visitor of WalkGroup wants next.
enum class WalkStep {
  Next,   // go on with the following sibling
  Enter,  // if the child is a group, walk its children before the following siblings
  Stop,   // end the walk at once
};

// The one depth-first walk over a group's descendants. It keeps the open groups and their
// next list positions on an explicit stack instead of recursing, so nesting of any depth
// (a file can nest groups as deeply as it likes) cannot exhaust the call stack.
//
// visit(slot, current) is called for every child in list order; slot is the list element
// that owns the child (a visitor may put another object into it; Enter then applies to
// the replacement), current is the group whose list holds it. leave(group) is called when
// a group's list is exhausted, the root's last of all. Returns false when a visitor
// stopped the walk (leave is not called after that).
template <typename Visit, typename Leave>
bool WalkGroup(CGroup& root, Visit&& visit, Leave&& leave) {
  std::vector<std::pair<CGroup*, CObList::iterator>> stack;
  CGroup* pCurrent = &root;
  CObList::iterator it = pCurrent->m_listChildren.begin();
  for (;;) {
    if (it == pCurrent->m_listChildren.end()) {
      leave(*pCurrent);
      if (stack.empty()) return true;
      pCurrent = stack.back().first;
      it = stack.back().second;
      stack.pop_back();
      continue;
    }
    std::unique_ptr<CKVObject>& slot = *it;
    ++it;
    if (!slot) continue;
    const WalkStep step = visit(slot, *pCurrent);
    if (step == WalkStep::Stop) return false;
    if (step != WalkStep::Enter || !slot) continue;
    if (CGroup* pChild = slot->AsGroup()) {
      stack.emplace_back(pCurrent, it);
      pCurrent = pChild;
      it = pChild->m_listChildren.begin();
    }
  }
}

// The walk without anything to do when a list ends.
template <typename Visit>
bool WalkGroup(CGroup& root, Visit&& visit) {
  return WalkGroup(root, std::forward<Visit>(visit), [](CGroup&) {});
}

// Makes every bond in the list (top-level or inside its groups, at any depth) that ends at
// pOld end at pNew instead.
void RedirectBondEnds(CObList& list, const CKVObject* pOld, CKVObject* pNew);
