#include "view/commands/LineThickness.h"

#include "objects/CCoupling.h"
#include "objects/CEllipse.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"

const ThicknessPreset* FindThicknessPreset(int nId) {
  for (const ThicknessPreset& t : kThicknessPresets) {
    if (t.nId == nId) return &t;
  }
  return nullptr;
}

double* LineThicknessOf(CKVObject* p) {
  if (p == nullptr) return nullptr;
  if (CCoupling* pBond = p->AsBond()) return &pBond->m_dThickness;
  if (auto* pEllipse = dynamic_cast<CEllipse*>(p)) return &pEllipse->m_dThickness;
  if (auto* pPlus = dynamic_cast<CPlusC*>(p)) return &pPlus->m_dThickness;
  if (auto* pMinus = dynamic_cast<CMinusC*>(p)) return &pMinus->m_dThickness;
  return nullptr;
}
