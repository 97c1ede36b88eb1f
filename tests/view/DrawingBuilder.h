#pragma once

#include <memory>

#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/RingTemplates.h"

// Places objects at the end of a document's list, as the view tests build their drawings.
class DrawingBuilder {
 public:
  explicit DrawingBuilder(CKvillDoc& doc) : m_doc(doc) {}

  template <typename T>
  T* Add(std::unique_ptr<T> p) {
    T* raw = p.get();
    m_doc.m_listObjects.push_back(std::move(p));
    return raw;
  }
  // An ellipse with box (l, t, r, b); its anchor is the top-left corner.
  CEllipse* Ellipse(int l, int t, int r, int b) {
    auto p = std::make_unique<CEllipse>();
    p->m_rcBounds = CRect{l, t, r, b};
    p->m_ptAnchor = CPoint{l, t};
    return Add(std::move(p));
  }
  CDot* Dot(int x, int y) {
    auto p = std::make_unique<CDot>();
    p->MoveTo(CPoint{x, y});
    p->ResetDone();
    return Add(std::move(p));
  }
  // A formula anchored at pt, laid out when it is first drawn.
  CFormula* Formula(const char* text, CPoint pt) {
    auto f = std::make_unique<CFormula>();
    f->m_strText = text;
    f->MoveTo(pt);
    f->ResetDone();
    return Add(std::move(f));
  }
  // A bond between two objects, its end points found when it is first drawn.
  CCoupling* Bond(CKVObject* a, CKVObject* b, int nStyle = 1) {
    auto bond = std::make_unique<CCoupling>();
    bond->m_pEndA = a;
    bond->m_pEndB = b;
    bond->m_nStyle = nStyle;
    return Add(std::move(bond));
  }
  // A group of a six-membered ring centred at c.
  CGroup* Ring(CPoint c) {
    auto g = std::make_unique<CGroup>();
    PlaceRing(c, *g, 6, 0.5235988);
    g->RecalcBounds();
    return Add(std::move(g));
  }
  CKvillDoc& Doc() { return m_doc; }

 private:
  CKvillDoc& m_doc;
};
