#pragma once

#include <cstdint>
#include <memory>

#include "objects/Geometry.h"

class CKVObject;

// What the records of the native stream need from the document they are read into: every
// object writes and reads its own record (its Store and Load), a group has the objects of
// its records made, and a bond finds its ends among the objects already read. The document
// implements it.
class IRecordDocument {
 public:
  virtual ~IRecordDocument() = default;

  // Whether the records of the stream being read carry a selection flag (the current
  // family) or not (the older family).
  virtual bool RecordsHaveSelection() const = 0;
  // Whether the objects read are pasted next to the drawing rather than replacing it.
  virtual bool IsPastingRecords() const = 0;
  // A new object of the class a kind code names, or null for a code no class answers to.
  virtual std::unique_ptr<CKVObject> CreateRecordObject(std::int32_t nKind) = 0;
  // The end object a bond reference names: the first object of the walk over the top-level
  // list (only selected top-level objects when bSelectedOnly) whose box and anchor equal the
  // given ones; bonds are never ends.
  virtual CKVObject* FindBondEnd(const CRect& rc, CPoint pt, bool bSelectedOnly) = 0;
  // A loader announces an object that has just been read, in walk order; never a bond.
  virtual void NoteLoadedObject(CKVObject* pObj) = 0;
  // A bond end that names no object read so far. A group's bond can end on an object of a
  // top-level object stored after the group (one brought to the front after the bond was
  // drawn); a document that reads a whole stream looks for it again at the end, over the
  // whole list, and answers true. The end stays null until then.
  virtual bool DeferBondEnd(CKVObject*& rEnd, const CRect& rc, CPoint pt, bool bSelectedOnly) {
    static_cast<void>(rEnd), static_cast<void>(rc), static_cast<void>(pt);
    static_cast<void>(bSelectedOnly);
    return false;
  }
  // Every record, written or read, begins with its common part, which tells the document
  // here: the records are thereby counted in stream order, bonds and groups included, so
  // that what a record has no field for can be kept after the stream by the record's place.
  virtual void NoteStoredRecord(const CKVObject& obj) { static_cast<void>(obj); }
  virtual void NoteReadRecord(CKVObject& obj) { static_cast<void>(obj); }
};

// Kind codes of a stream, old ones included, that name a bond or a group.
inline bool IsBondCode(std::int32_t nKind) { return nKind == 2 || nKind == 7 || nKind == 12; }
inline bool IsGroupCode(std::int32_t nKind) { return nKind == 4 || nKind == 9; }
