#pragma once

#include "objects/CKVObject.h"

// An invisible junction: the point where bonds meet. Its box is always its anchor +- 30.
class CDot : public CKVObject {
 public:
  CDot() : CKVObject(KIND_DOT) {}

  void MoveTo(CPoint pt) override;
  bool HitHandle(CPoint) override { return false; }
  void ResizeBy(CSize) override {}
};
