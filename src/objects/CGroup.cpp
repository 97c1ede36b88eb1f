#include "objects/CGroup.h"

#include <vector>

void CGroup::AddChild(std::unique_ptr<CKVObject> pObj) {
  pObj->m_pParent = this;
  m_listChildren.push_back(std::move(pObj));
}

CGroup::~CGroup() {
  // Take the subtree apart level by level: a child group hands its children over before it
  // is destroyed, so its own destructor finds an empty list.
  std::vector<std::unique_ptr<CKVObject>> pending;
  for (auto& p : m_listChildren) pending.push_back(std::move(p));
  m_listChildren.clear();
  while (!pending.empty()) {
    std::unique_ptr<CKVObject> p = std::move(pending.back());
    pending.pop_back();
    if (auto* pGroup = dynamic_cast<CGroup*>(p.get())) {
      for (auto& c : pGroup->m_listChildren) pending.push_back(std::move(c));
      pGroup->m_listChildren.clear();
    }
  }
}
