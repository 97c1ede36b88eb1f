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
  // Adds the object itself, which must not be a bond, under its current box and anchor.
  void Add(CKVObject* pObj);
  // Adds a top-level object and, for a group, its descendants, in walk order.
  void AddTree(CKVObject* pTop);
  CKVObject* Find(const CRect& rc, CPoint pt);

 private:
  // Open addressing with small slots, so that a table for a million objects stays mostly
  // in cache: 32 bits of the key's hash (which also place the slot) and the position of the
  // object in m_objects plus one (0: empty). A key is compared in full, from the object's
  // own box and anchor, only when the hash bits agree; the objects do not move while the
  // index lives.
  struct Slot {
    std::uint32_t nHash;
    std::uint32_t nObject;
  };
  struct Pending {
    CKVObject* pObj;
    std::uint32_t nHash;
  };
  void Grow();
  void Insert(const Pending& p);
  void Flush();

  std::vector<Slot> m_table;
  std::vector<CKVObject*> m_objects;
  // Objects added but not yet in the table. Their slots were asked into the cache when
  // they arrived and are written at the next lookup (or when a few have gathered), so
  // the misses of a run of insertions overlap instead of following one another; bonds
  // mostly ask for objects that arrived just before them.
  std::vector<Pending> m_pending;
};

// Whether the object is a bond (and so never a bond end).
bool IsBond(const CKVObject* pObj);
