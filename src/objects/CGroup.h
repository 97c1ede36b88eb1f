#pragma once

#include <vector>

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

  // Behaving as one object. Every operation that reaches the descendants walks them with
  // WalkGroup (GroupWalk.h), depth first and without recursion.
  void ResetDone() override;
  CKVObject* ObjectAt(CPoint pt) override;
  int HitTest(CPoint pt) override;
  void ResizeBy(CSize delta) override;
  int Intersects(const CRect& rc) override;
  void MoveTo(CPoint pt) override;
  void DrawMarks(CDC* pDC) override;
  void DragBy(CDC* pDC, CSize offset, int nFlag) override;
  CKVObject* FindSame(const CRect& rc, CPoint pt) override;
  void Draw(CDC* pDC) override;
  void Deselect() override;
  void SetColor(COLORREF cr) override;
  int GetStoredSize() override;
  CGroup* AsGroup() override { return this; }
  // Rotation about (cx, cy), given x 100, by dAngle radians, working on the exact values
  // that SaveExact recorded; ellipses turn into 200-vertex rings on the way. Bonds that
  // ended at such an ellipse end at its ring: those of the tree the group belongs to and,
  // when pDrawing names the drawing's top-level list, those of the whole drawing.
  void Rotate(int cx, int cy, double dAngle, CObList* pDrawing = nullptr);
  virtual void SaveExact();

  // The box: the union of the direct children that are not bonds; anchor top-left.
  void RecalcBounds();
  // Mirror about the vertical (horizontal) centre line of the box, moving objects without
  // mirroring their shapes.
  void MirrorVertical();
  void MirrorHorizontal();

  // Stream records; defined with the other records in ObjectRecords.cpp.
  void Store(CArchive& ar, int nPass, IRecordDocument* pDoc) override;
  void Load(CArchive& ar, IRecordDocument* pDoc) override;

  CSize m_szResize;
  CSize m_szChild;
  CPoint m_ptChild;
  CPoint m_ptTarget;
  CObList m_listChildren;

  // For a top-level group an undo read: the range of each box edge (left, top, right,
  // bottom) over its descendants and the ends of its bonds, noted once the reload's paint is
  // done and true while the group stays untouched, so that a later undo can tell which boxes
  // cannot be found inside it without walking it. Not noted when a bond inside ends outside.
  bool m_bKeyRange = false;
  std::int32_t m_nKeyLo[4] = {};
  std::int32_t m_nKeyHi[4] = {};

  // The ends of bonds inside that belong to other top-level objects, as they were when the
  // group's record was last written or read: that record names them by their boxes, so it
  // is out of date once one of them changes, though nothing in the group did.
  void NoteOuterEnds();
  std::vector<const CKVObject*> m_outerEnds;
};
