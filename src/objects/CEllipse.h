#pragma once

#include "objects/CKVObject.h"

// An outlined ellipse; its anchor is the top-left corner of its box.
class CEllipse : public CKVObject {
 public:
  CEllipse() : CKVObject(KIND_ELLIPSE) {}

  void ResizeBy(CSize delta) override;
  void SetScale(double dScale) override;
  void Draw(CDC* pDC) override;

  double m_dThickness = 1.0;
};
