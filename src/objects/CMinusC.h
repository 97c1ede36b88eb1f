#pragma once

#include "objects/CKVObject.h"

// A minus charge: a circle with a minus sign. Its anchor is the top-left corner of its box.
class CMinusC : public CKVObject {
 public:
  CMinusC();

  void ResizeBy(CSize delta) override;
  void SetScale(double dScale) override;
  void Draw(CDC* pDC) override;

  // Stream records; defined with the other records in ObjectRecords.cpp.
  void Store(CArchive& ar, int nPass, IRecordDocument* pDoc) override;
  void Load(CArchive& ar, IRecordDocument* pDoc) override;

  double m_dThickness = 1.0;
};
