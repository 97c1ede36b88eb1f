#pragma once

// The drawing the painting and export benchmarks work on: benzene rings in rows of 50.

#include <cstddef>
#include <memory>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/RingTemplates.h"

// nRings benzene rings (a group of six junctions and six bonds, three of them double) in
// rows of 50, 1000 units apart, each with a formula joined to it by a bond.
inline void BuildRings(CKvillDoc& doc, int nRings) {
  for (int i = 0; i < nRings; ++i) {
    const CPoint c{500 + (i % 50) * 1000, -500 - (i / 50) * 1000};
    auto group = std::make_unique<CGroup>();
    PlaceRing(c, *group, 6, 0.5235988);
    int n = 0;
    CKVObject* pVertex = nullptr;
    for (const auto& p : group->m_listChildren) {
      if (p->m_nKind == KIND_COUPLING && (n++ % 2) == 0)
        static_cast<CCoupling*>(p.get())->m_nStyle = 2;
      if (p->m_nKind == KIND_DOT && pVertex == nullptr) pVertex = p.get();
    }
    group->RecalcBounds();
    doc.m_listObjects.push_back(std::move(group));
    auto formula = std::make_unique<CFormula>();
    formula->m_strText = (i % 3 == 0) ? "OH" : (i % 3 == 1) ? "CH#idown 3#" : "NO#idown 2#";
    formula->MoveTo(CPoint{c.x + 250, c.y + 450});
    CFormula* pFormula = formula.get();
    doc.m_listObjects.push_back(std::move(formula));
    auto bond = std::make_unique<CCoupling>();
    bond->m_pEndA = pVertex;
    bond->m_pEndB = pFormula;
    doc.m_listObjects.push_back(std::move(bond));
  }
}

inline std::size_t CountObjects(const CObList& list) {
  std::size_t n = 0;
  for (const auto& p : list) {
    ++n;
    if (p->m_nKind == KIND_GROUP) n += CountObjects(static_cast<CGroup*>(p.get())->m_listChildren);
  }
  return n;
}
