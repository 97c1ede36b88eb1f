#pragma once

#include "objects/CKVObject.h"

// A plus charge: a circle with a plus sign. Its anchor is the top-left corner of its box.
class CPlusC : public CKVObject {
 public:
  CPlusC();

  void ResizeBy(CSize delta) override;
  void SetScale(double dScale) override;
  void Draw(CDC* pDC) override;

  // Stream records; defined with the other records in ObjectRecords.cpp.
  void Store(CArchive& ar, int nPass, IRecordDocument* pDoc) override;
  void Load(CArchive& ar, IRecordDocument* pDoc) override;

  double m_dThickness = 1.0;
};

// Draws the circle of a charge and its horizontal stroke, and the vertical one for a plus.
void DrawChargeSign(CDC* pDC, const CRect& rc, COLORREF cr, double dThickness, bool bPlus);
