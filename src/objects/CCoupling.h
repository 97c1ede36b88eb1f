#pragma once

#include "objects/CKVObject.h"

// A bond, arrow or harmonic curve stretched between two other objects, its ends, which it
// refers to without owning them.
class CCoupling : public CKVObject {
 public:
  CCoupling() : CKVObject(KIND_COUPLING) {}

  int GetStoredSize() override { return 140; }
  CCoupling* AsBond() override { return this; }

  // Drawing, hit testing and selection. A bond has no handles, no size and no marks of
  // its own; it follows its ends, whose positions it reads again at every drawing.
  int IsSelected() override;
  int HitTest(CPoint pt) override;
  int HitHandle(CPoint) override { return 0; }
  void ResizeBy(CSize) override {}
  bool IsInside(const CRect&) override { return false; }
  int Intersects(const CRect& rc) override;
  void Draw(CDC* pDC) override;
  void Deselect() override;
  // The context command: cycles a double bond through side 1, side 2 and centred, and
  // turns wedges and one-sided arrows end for end.
  void Swap();
  // Recomputes m_ptA and m_ptB from the ends (formulas through their letter frame).
  void ComputeEndPoints(CDC* pDC);
  // Where the ray from S toward T leaves the box.
  static CPoint ClipRay(CPoint S, CPoint T, const CRect& rc);
  // The point bonds ending on formula F head for (the middle of its first letter): where a
  // label typed over a junction puts the junction's point.
  static CPoint AttachCentreOf(CDC* pDC, CKVObject& F);

 private:
  // ComputeEndPoints without telling whether the stored fields moved.
  void ComputeEndPointsNow(CDC* pDC);
  // The attachment centre of formula F; its letter frame goes to m_rcBounds.
  CPoint AttachCentre(CDC* pDC, CKVObject& F);
  // The attachment point of formula F toward T.
  CPoint AttachPoint(CDC* pDC, CKVObject& F, CPoint T);
  void DrawShape(CDC* pDC) const;

 public:
  // Stream records; defined with the other records in ObjectRecords.cpp.
  void Store(CArchive& ar, int nPass, IRecordDocument* pDoc) override;
  void Load(CArchive& ar, IRecordDocument* pDoc) override;

  CKVObject* m_pEndA = nullptr;
  CKVObject* m_pEndB = nullptr;
  std::int32_t m_nReserved1 = 0;
  std::int32_t m_nReserved2 = 0;
  std::int32_t m_nSide = 1;
  std::int32_t m_bLive = 0;
  CPoint m_ptA;
  CPoint m_ptB;
  std::int32_t m_nStyle = 1;
  std::int32_t m_nPenStyle = PS_SOLID;
  std::int32_t m_nAttachDx = 0;
  std::int32_t m_nAttachDy = 0;
  std::int32_t m_nReserved3 = 0;
  CSize m_szLetter;
  double m_dThickness = 1.0;
  // While a stream is read: an end of this bond is looked for again once the whole stream
  // is (see IRecordDocument::DeferBondEnd).
  bool m_bEndsDeferred = false;
};
