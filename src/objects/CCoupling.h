#pragma once

#include "objects/CKVObject.h"

// A bond, arrow or harmonic curve stretched between two other objects, its ends, which it
// refers to without owning them.
class CCoupling : public CKVObject {
 public:
  CCoupling() : CKVObject(KIND_COUPLING) {}

  int GetStoredSize() override { return 140; }

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
};
