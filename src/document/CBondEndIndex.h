#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "objects/Geometry.h"

class CKVObject;

// Finds bond ends while a stream is read: maps (box, anchor) to the first object, in the
// order of the document walk, that a bond end reference with that box and anchor names.
// The walk asks each top-level object in list order; a group answers for itself first and
// then for its descendants depth first, nested groups being searched but never matched.
// Bonds are never candidates, so a bond cannot end on a bond (or on itself).
//
// Objects are added in walk order; the first one added for a key keeps it. A lookup is
// O(1), so a whole load stays linear in the size of the stream.
class CBondEndIndex {
 public:
  void Clear();
  // Adds the object itself (if it may be an end) under its current box and anchor.
  void Add(CKVObject* pObj);
  // Adds a top-level object and, for a group, its descendants, in walk order.
  void AddTree(CKVObject* pTop);
  CKVObject* Find(const CRect& rc, CPoint pt) const;
  std::size_t Size() const { return m_nUsed; }

 private:
  struct Entry {
    std::int32_t key[6];
    CKVObject* pObj;  // null: empty slot
  };
  static std::uint64_t Hash(const std::int32_t key[6]);
  void Insert(const std::int32_t key[6], CKVObject* pObj);
  void Grow();

  std::vector<Entry> m_table;
  std::size_t m_nUsed = 0;
};

// Whether the object is a bond (and so never a bond end).
bool IsBond(const CKVObject* pObj);
