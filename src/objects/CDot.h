#pragma once

#include "objects/CKVObject.h"

// An invisible junction: the point where bonds meet. Its box is always its anchor +- 30.
class CDot : public CKVObject {
 public:
  CDot() : CKVObject(KIND_DOT) {}

  void MoveTo(CPoint pt) override;
  int HitHandle(CPoint) override { return 0; }
  void ResizeBy(CSize) override {}
};
