#pragma once

#include <cmath>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureReader.h"
#include "document/CKvillDoc.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CGroup.h"
#include "objects/CMinusC.h"
#include "objects/CPlusC.h"
#include "objects/RingTemplates.h"

// A drawing built object by object as the tools leave them, and what it reads as.
class ChemDrawing {
 public:
  template <typename T>
  T* Add(std::unique_ptr<T> p) {
    T* raw = p.get();
    doc.m_listObjects.push_back(std::move(p));
    return raw;
  }
  CDot* Dot(int x, int y) {
    auto p = std::make_unique<CDot>();
    p->MoveTo(CPoint{x, y});
    p->ResetDone();
    return Add(std::move(p));
  }
  // A formula whose text starts at (x, y), the top-left corner of its first letter.
  CFormula* Text(const std::string& markup, int x, int y) {
    auto f = std::make_unique<CFormula>();
    f->m_strText = markup;
    f->m_ptAnchor = CPoint{x, y};
    f->m_rcBounds = CRect{x, y, x + 200 * static_cast<int>(markup.size()), y - 268};
    return Add(std::move(f));
  }
  CCoupling* Bond(CKVObject* a, CKVObject* b, int nStyle = 1, int nSide = 1) {
    auto p = std::make_unique<CCoupling>();
    p->m_pEndA = a;
    p->m_pEndB = b;
    p->m_nStyle = nStyle;
    p->m_nSide = nSide;
    return Add(std::move(p));
  }
  // Junctions at the points joined by single bonds, as the bond tool leaves a chain.
  std::vector<CDot*> Chain(std::initializer_list<CPoint> points) {
    std::vector<CDot*> dots;
    for (const CPoint& pt : points) {
      dots.push_back(Dot(pt.x, pt.y));
      if (dots.size() > 1) Bond(dots[dots.size() - 2], dots.back());
    }
    return dots;
  }
  // A ring template of n junctions around c (radius 300), as a group; its junctions.
  std::vector<CDot*> Ring(CPoint c, int n = 6, double dStart = 0.5235988) {
    auto g = std::make_unique<CGroup>();
    PlaceRing(c, *g, n, dStart);
    g->RecalcBounds();
    std::vector<CDot*> dots;
    for (const auto& p : g->m_listChildren)
      if (p->m_nKind == KIND_DOT) dots.push_back(static_cast<CDot*>(p.get()));
    Add(std::move(g));
    return dots;
  }
  CEllipse* Circle(CPoint c, int r) {
    auto p = std::make_unique<CEllipse>();
    p->m_rcBounds = CRect{c.x - r, c.y + r, c.x + r, c.y - r};
    p->m_ptAnchor = CPoint{c.x - r, c.y + r};
    return Add(std::move(p));
  }
  // A charge object centred on c.
  void Charge(bool bPlus, CPoint c) {
    std::unique_ptr<CKVObject> p;
    if (bPlus) {
      p = std::make_unique<CPlusC>();
    } else {
      p = std::make_unique<CMinusC>();
    }
    const int h = bPlus ? 100 : 90;
    p->m_rcBounds = CRect{c.x - h, c.y + h, c.x + h, c.y - h};
    p->m_ptAnchor = CPoint{c.x - h, c.y + h};
    doc.m_listObjects.push_back(std::move(p));
  }

  const CDrawingStructure& Read() {
    m_pSet.reset();
    m_structure = ReadDrawingStructure(doc.m_listObjects);
    m_pSet = std::make_unique<CMoleculeSet>(m_structure);
    return m_structure;
  }
  CMoleculeSet& Set() {
    if (!m_pSet) Read();
    return *m_pSet;
  }
  // The SMILES of every molecule in order ("" for a formula alone).
  std::vector<std::string> Smiles() {
    Read();
    std::vector<std::string> out;
    for (std::size_t m = 0; m < m_structure.molecules.size(); ++m)
      out.push_back(m_pSet->Smiles(static_cast<int>(m)));
    return out;
  }
  std::vector<std::string> Warnings() {
    Set();
    std::vector<std::string> out;
    for (const CChemWarning& w : m_structure.warnings) out.push_back(w.strText);
    for (const CChemWarning& w : m_pSet->Problems()) out.push_back(w.strText);
    return out;
  }

  CKvillDoc doc;

 private:
  CDrawingStructure m_structure;
  std::unique_ptr<CMoleculeSet> m_pSet;
};

// The canonical form of a SMILES written by hand, so that tests state molecules the way a
// chemist writes them.
inline std::string Canon(const std::string& smiles) {
  const auto c = CanonicalSmiles(smiles);
  return c ? *c : "not SMILES: " + smiles;
}

inline std::vector<std::string> Canon(std::initializer_list<const char*> list) {
  std::vector<std::string> out;
  for (const char* s : list) out.push_back(*s ? Canon(s) : std::string());
  return out;
}

// A point at distance r and angle a (degrees) from c.
inline CPoint Polar(CPoint c, double r, double a) {
  const double rad = a * 3.14159265358979 / 180.0;
  return CPoint{c.x + static_cast<int>(std::lround(r * std::cos(rad))),
                c.y + static_cast<int>(std::lround(r * std::sin(rad)))};
}

// Aspirin as a benzene ring with an aromatic circle and two labels, around c.
inline void DrawAspirin(ChemDrawing& d, CPoint c) {
  std::vector<CDot*> ring = d.Ring(c);
  d.Circle(c, 181);
  d.Bond(ring[1], d.Text("COOH", c.x - 86, c.y + 734));
  d.Bond(ring[0], d.Text("OAc", c.x + 500, c.y + 284));
}

// Alanine with its methyl on a wedge (style 4) or a hashed wedge (style 7) whose narrow end
// is at the alpha carbon, drawn from end A (side 2) or from end B (side 1).
inline void DrawAlanine(ChemDrawing& d, int nStyle, bool bNarrowAtA, CPoint o = CPoint{}) {
  CDot* alpha = d.Dot(o.x, o.y);
  d.Bond(alpha, d.Text("NH2", o.x - 520, o.y + 284));
  CDot* carboxyl = d.Dot(o.x + 260, o.y + 150);
  d.Bond(alpha, carboxyl);
  d.Bond(carboxyl, d.Text("O", o.x + 174, o.y + 584), 2);
  d.Bond(carboxyl, d.Text("OH", o.x + 434, o.y + 134));
  CDot* methyl = d.Dot(o.x, o.y - 300);
  if (bNarrowAtA) {
    d.Bond(alpha, methyl, nStyle, 2);
  } else {
    d.Bond(methyl, alpha, nStyle, 1);
  }
}
