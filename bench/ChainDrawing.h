#pragma once

// The drawing the snapshot and clipboard benchmarks work on.

#include <memory>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"

// A drawing of nObjects top-level objects: chains of junctions joined by bonds, with a
// formula and an ellipse now and then, spread over a grid.
inline void BuildChainDrawing(CKvillDoc& doc, int nObjects) {
  CDot* pPrev = nullptr;
  for (int i = 0; static_cast<int>(doc.m_listObjects.size()) < nObjects; ++i) {
    const int x = (i % 200) * 400, y = -(i / 200) * 400;
    switch (i % 10) {
      case 3: {
        auto f = std::make_unique<CFormula>();
        f->m_strText = "CH<d3>";
        f->m_ptAnchor = CPoint{x, y};
        f->m_rcBounds = CRect{x, y, x + 600, y - 270};
        doc.m_listObjects.push_back(std::move(f));
        break;
      }
      case 7: {
        auto e = std::make_unique<CEllipse>();
        e->m_rcBounds = CRect{x, y, x + 300, y - 200};
        e->m_ptAnchor = CPoint{x, y};
        doc.m_listObjects.push_back(std::move(e));
        break;
      }
      default: {
        auto d = std::make_unique<CDot>();
        d->MoveTo(CPoint{x, y});
        CDot* pDot = d.get();
        doc.m_listObjects.push_back(std::move(d));
        if (pPrev != nullptr && static_cast<int>(doc.m_listObjects.size()) < nObjects) {
          auto b = std::make_unique<CCoupling>();
          b->m_pEndA = pPrev;
          b->m_pEndB = pDot;
          b->m_nStyle = 1 + i % 3;
          doc.m_listObjects.push_back(std::move(b));
        }
        pPrev = pDot;
        break;
      }
    }
  }
}
