#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "objects/CObList.h"
#include "objects/CStoredRecord.h"
#include "objects/Geometry.h"

class CCoupling;
class CGroup;
class CKVObject;

// Replaces a drawing's objects with a snapshot's records (an undo or redo) reading only the
// records that differ from what the objects hold, ending in the state a whole reload of the
// snapshot's bytes ends in. Objects that a load made, that nothing changed since and whose
// record is the one in the same place stay; the rest are read anew and bonds find their ends
// as a whole read finds them. It goes in steps: Prepare parses the snapshot, matches the old
// objects to it, reads what did not match and finds, for every end reference a change could
// send elsewhere, the object a whole read would find first; it refuses, changing nothing,
// whenever that cannot be shown to give the same drawing (too much differs, an end reference
// that could name another object, a record that does not read back whole). Splice then puts
// the new list together, which cannot fail.
class CPartialReload {
 public:
  CPartialReload(CObList& list, std::span<const CStoredRecordRef> snapshot);
  CPartialReload(const CPartialReload&) = delete;
  CPartialReload& operator=(const CPartialReload&) = delete;
  ~CPartialReload();

  bool Prepare();
  // The new list replaces the old one; returns how many objects stayed instead of being read.
  std::size_t Splice();

  std::int32_t SelCount() const { return m_nSelCount; }
  const CStoredRecordRef& Head() const { return m_records.front(); }
  // The block after the end marker, or null when the snapshot has none.
  CStoredRecordRef Extension() const;

  // What a bond end reference names: a box and an anchor.
  struct CEndKey {
    CRect rc;
    CPoint pt;
    bool operator==(const CEndKey& o) const { return rc == o.rc && pt == o.pt; }
  };
  struct CEndKeyHash {
    std::size_t operator()(const CEndKey& k) const;
  };

 private:
  using It = CObList::iterator;
  // Reads one record by itself (CPartialReload.cpp).
  class CReader;
  // The first object of the new list's walk with a key, and whether the key is contested
  // (an end reference with it might now find another object than before).
  struct COwner {
    CKVObject* pFirst = nullptr;
    bool bContested = false;
  };

  bool ParseSnapshot();
  // Which old object each record keeps; m_oldStays says which of old stay.
  std::vector<It> Keep(std::span<const CStoredRecordRef> target, const std::vector<It>& old);
  bool MatchKept();
  bool ReadShapes();
  bool ReadBonds();
  bool FindFirstOwners();
  It ReadFresh(const CStoredRecord& record);
  void NoteKeys(CKVObject* pTop);
  void SortLefts();
  COwner* LookUp(const CKVObject* p);
  bool Contested(const CKVObject* pEnd);

  CObList& m_list;
  std::span<const CStoredRecordRef> m_snapshot;
  bool m_bExtension = false;
  std::span<const CStoredRecordRef> m_records;  // head, body, end marker
  std::int32_t m_nSelCount = 0;
  std::span<const CStoredRecordRef> m_shapeRecords, m_bondRecords;
  std::size_t m_nLimit = 0;

  std::vector<It> m_oldShapes, m_oldBonds;
  std::vector<char> m_oldStays;
  std::vector<It> m_keptShapes, m_keptBonds;

  std::unordered_map<CEndKey, COwner, CEndKeyHash> m_moved;
  // The left edges of the keys, sorted: most objects of a walk are told apart by that alone,
  // without hashing. Brought up to date before each pass that looks keys up.
  std::vector<std::int32_t> m_lefts;
  std::unordered_set<const CKVObject*> m_gone;

  // Objects read anew wait in a list of their own, so that putting the new list together
  // only moves list nodes and cannot fail half-way.
  CObList m_fresh;
  std::unique_ptr<CReader> m_pReader;
  std::vector<It> m_freshShapes, m_freshBonds;
  std::vector<std::array<CEndKey, 2>> m_freshBondKeys;
  // A group read anew whose bonds asked for these references.
  std::vector<std::pair<CKVObject*, std::vector<CEndKey>>> m_groupAsks;
};

// Notes the group's key range (CGroup::m_bKeyRange) as its objects stand now: the boxes of
// every object inside it and of every end of its bonds, when all of those lie inside it.
void NoteKeyRange(CGroup& group);
