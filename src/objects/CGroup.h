#pragma once

#include "objects/CKVObject.h"
#include "objects/CObList.h"

// A group of drawing objects (groups included) that behaves as one. It owns its children.
class CGroup : public CKVObject {
 public:
  CGroup() : CKVObject(KIND_GROUP) {}
  // Deletes every descendant without recursion, so nesting of any depth is safe.
  ~CGroup() override;

  // Appends the object and makes the group its parent.
  void AddChild(std::unique_ptr<CKVObject> pObj);

  CSize m_szResize;
  CSize m_szChild;
  CPoint m_ptChild;
  CPoint m_ptTarget;
  CObList m_listChildren;
};
