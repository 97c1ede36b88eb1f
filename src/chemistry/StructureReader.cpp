#include "chemistry/StructureReader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <utility>

#include "chemistry/BondStyles.h"
#include "chemistry/LabelReading.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CGroup.h"
#include "objects/CKVObject.h"

namespace {

// Reactions beyond this many arrows are not looked for: each costs a pass over the
// molecules.
constexpr std::size_t kMaxArrows = 1000;

// ---------------------------------------------------------------------------------------
// Points in a grid of square cells, for the neighbours of a point in constant time.

class CPointGrid {
 public:
  explicit CPointGrid(double dCell) : m_dCell(dCell) {}

  void Reserve(std::size_t n) {
    m_heads.reserve(n);
    m_items.reserve(n);
  }

  void Insert(int n, double x, double y) {
    auto [it, bNew] = m_heads.emplace(Key(Cell(x), Cell(y)), -1);
    m_items.push_back({n, it->second});
    it->second = static_cast<int>(m_items.size()) - 1;
  }

  // Calls f(n) for every point in the cells within dReach of (x, y), in no set order.
  template <typename F>
  void ForNear(double x, double y, double dReach, F&& f) const {
    const std::int64_t r = static_cast<std::int64_t>(std::ceil(dReach / m_dCell));
    const std::int64_t cx = Cell(x);
    const std::int64_t cy = Cell(y);
    for (std::int64_t i = cx - r; i <= cx + r; ++i) {
      for (std::int64_t j = cy - r; j <= cy + r; ++j) {
        const auto it = m_heads.find(Key(i, j));
        if (it == m_heads.end()) continue;
        for (int k = it->second; k >= 0; k = m_items[k].nNext) f(m_items[k].n);
      }
    }
  }

 private:
  std::int64_t Cell(double v) const {
    if (!std::isfinite(v)) return 0;
    return static_cast<std::int64_t>(std::floor(v / m_dCell));
  }
  static std::uint64_t Key(std::int64_t i, std::int64_t j) {
    return (static_cast<std::uint64_t>(i) << 32) ^ static_cast<std::uint32_t>(j);
  }

  struct Item {
    int n;
    int nNext;  // the item before it in its cell, or -1
  };
  double m_dCell;
  std::unordered_map<std::uint64_t, int> m_heads;  // each cell's last item
  std::vector<Item> m_items;
};

double Distance2(double x0, double y0, double x1, double y1) {
  const double dx = x1 - x0;
  const double dy = y1 - y0;
  return dx * dx + dy * dy;
}

// ---------------------------------------------------------------------------------------
// Where a formula's letters sit. The chemistry layer measures no text: the widths of Arial
// at the formula's base size (240 units a cell, 180 in an index) are close enough for
// positions that only order atoms, find neighbours and give coordinates.

double FormulaScale(const CKVObject& f) {
  const double d = f.m_dScale;
  return std::isfinite(d) && d > 0.0 && d < 1000.0 ? d : 1.0;
}

// The middle of glyph nGlyph of the formula's text.
std::pair<double, double> GlyphCentre(const CKVObject& f, const std::vector<CLabelGlyph>& g,
                                      int nGlyph) {
  const double k = FormulaScale(f);
  const auto [dx, dy] = EstimatedGlyphOffset(g, nGlyph);
  return {f.m_ptAnchor.x + dx * k, f.m_ptAnchor.y + dy * k};
}

// The middle of the whole text.
std::pair<double, double> TextCentre(const CKVObject& f, const std::vector<CLabelGlyph>& g) {
  const double k = FormulaScale(f);
  return {f.m_ptAnchor.x + EstimatedTextWidth(g) / 2.0 * k,
          f.m_ptAnchor.y - kEstimatedHalfCellHeight * k};
}

// Where any other object stands: the middle of its box, a junction at its anchor.
std::pair<double, double> ObjectCentre(const CKVObject& o) {
  if (o.m_nKind == KIND_DOT) return {o.m_ptAnchor.x, o.m_ptAnchor.y};
  const CRect& r = o.m_rcBounds;
  return {(static_cast<double>(r.left) + r.right) / 2.0,
          (static_cast<double>(r.top) + r.bottom) / 2.0};
}

class CUnionFind {
 public:
  explicit CUnionFind(std::size_t n) : m_parent(n) {
    std::iota(m_parent.begin(), m_parent.end(), 0);
  }
  int Find(int n) {
    while (m_parent[n] != n) {
      m_parent[n] = m_parent[m_parent[n]];
      n = m_parent[n];
    }
    return n;
  }
  // The root with the smaller index stays root, so a set's root is its first member.
  void Unite(int a, int b) {
    a = Find(a);
    b = Find(b);
    if (a == b) return;
    if (b < a) std::swap(a, b);
    m_parent[b] = a;
  }

 private:
  std::vector<int> m_parent;
};

// ---------------------------------------------------------------------------------------

class CReader {
 public:
  CDrawingStructure Read(const CObList& list) {
    Collect(list);
    ClassifyCouplings();
    MakeAtoms();
    MakeBonds();
    AddCharges();
    MakeMolecules();
    MakeCircles();
    MakeReactions();
    return std::move(m_out);
  }

 private:
  struct LabelInfo {
    CLabelReading reading;
    std::vector<CLabelGlyph> glyphs;
  };
  struct BondCandidate {
    CKVObject* pA;
    CKVObject* pB;
    CBondOrder order;
    CBondStereo stereo;  // narrow end at pA
    const CCoupling* pSource;
  };

  // Every object but groups, in drawing order (groups are transparent).
  void Collect(const CObList& list) {
    m_order.reserve(list.size() * 4);
    std::vector<std::pair<const CObList*, CObList::const_iterator>> stack{{&list, list.begin()}};
    while (!stack.empty()) {
      auto& [pList, it] = stack.back();
      if (it == pList->end()) {
        stack.pop_back();
        continue;
      }
      CKVObject* p = it->get();
      ++it;
      if (p == nullptr) continue;
      if (CGroup* pGroup = p->AsGroup()) {
        stack.emplace_back(&pGroup->m_listChildren, pGroup->m_listChildren.cbegin());
        continue;
      }
      m_order.emplace(p, static_cast<int>(m_objects.size()));
      m_objects.push_back(p);
    }
    m_atomOf.assign(m_objects.size(), kNoAtom);
  }

  int IndexOf(const CKVObject* p) const {
    const auto it = m_order.find(p);
    return it == m_order.end() ? -1 : it->second;
  }
  bool IsAtomObject(const CKVObject* p) const {
    const int n = IndexOf(p);
    return n >= 0 && m_atomOf[n] != kNoAtom;
  }
  void MakeAtomObject(const CKVObject* p) {
    const int n = IndexOf(p);
    if (n >= 0 && m_atomOf[n] == kNoAtom) m_atomOf[n] = kAtomToBe;
  }

  void Warn(std::string strText, const CKVObject* pSource, bool bMark = false) {
    m_out.warnings.push_back({std::move(strText), pSource, bMark});
  }

  // The reading of a formula's text; drawings repeat their labels, so each text is read once.
  const LabelInfo& Label(CKVObject* pFormula, bool bBonded) {
    auto& cache = bBonded ? m_bondedLabels : m_freeLabels;
    const std::string& text = pFormula->AsFormula()->m_strText;
    auto it = cache.find(text);
    if (it != cache.end()) return it->second;
    LabelInfo info;
    info.reading = bBonded ? ReadBondedLabel(text) : ReadFreeFormula(text);
    info.glyphs = DecodeFormulaText(text);
    return cache.emplace(text, std::move(info)).first->second;
  }

  // Whether an object can be an atom: a junction, or a formula that reads as something.
  bool CanBeAtom(CKVObject* p) {
    if (p == nullptr) return false;
    if (p->m_nKind == KIND_DOT) return true;
    if (p->m_nKind != KIND_FORMULA || p->AsFormula() == nullptr) return false;
    return Label(p, true).reading.kind != CLabelReading::Kind::None;
  }

  void ClassifyCouplings() {
    for (CKVObject* p : m_objects) {
      CCoupling* c = p->AsBond();
      if (c == nullptr || c->m_bLive != 0 || c->m_pEndA == nullptr || c->m_pEndB == nullptr ||
          c->m_pEndA == c->m_pEndB || IndexOf(c->m_pEndA) < 0 || IndexOf(c->m_pEndB) < 0)
        continue;
      // The narrow end of a wedge, the head of an arrow: end B for side 1, end A for side 2.
      CKVObject* pNarrow = c->m_nSide == 2 ? c->m_pEndA : c->m_pEndB;
      CKVObject* pWide = c->m_nSide == 2 ? c->m_pEndB : c->m_pEndA;
      CBondOrder order = CBondOrder::Single;
      CBondStereo stereo = CBondStereo::None;
      switch (c->m_nStyle) {
        case kStyleSingle:
          if (c->m_nPenStyle == PS_DOT) {
            Warn("dotted line ignored (a hydrogen or partial bond is no bond)", c);
            continue;
          }
          break;
        case kStyleDouble:
        case kStyleCentredDouble:
          order = CBondOrder::Double;
          break;
        case kStyleTriple:
          order = CBondOrder::Triple;
          break;
        case kStyleWedge:
        case kStyleHash:
          stereo = c->m_nStyle == kStyleWedge ? CBondStereo::Wedge : CBondStereo::Hash;
          break;
        case kStyleWideDashed:
          break;
        case kStyleCurve:
          m_curves.push_back(c);
          continue;
        case kStyleArrow:
          if (m_arrows.size() < kMaxArrows) m_arrows.push_back(c);
          continue;
        default:  // two-sided arrows: resonance or equilibrium, not a reaction
          continue;
      }
      CKVObject* pA = stereo == CBondStereo::None ? c->m_pEndA : pNarrow;
      CKVObject* pB = stereo == CBondStereo::None ? c->m_pEndB : pWide;
      if (!CanBeAtom(pA) || !CanBeAtom(pB)) {
        Warn("a bond that does not join two atoms is ignored", c);
        continue;
      }
      m_candidates.push_back({pA, pB, order, stereo, c});
      MakeAtomObject(pA);
      MakeAtomObject(pB);
    }
    AddCurves();
  }

  // A harmonic curve from an atom is a wavy bond, its stereo unknown at that atom; its other
  // end becomes an atom if it can (a terminal group on a wavy bond). A curve between two
  // ends that are no atoms otherwise is a drawing's decoration, not a bond.
  void AddCurves() {
    std::vector<const CCoupling*> pending = m_curves;
    for (int nPass = 0; nPass < 8 && !pending.empty(); ++nPass) {
      std::vector<const CCoupling*> later;
      for (const CCoupling* c : pending) {
        const bool bA = IsAtomObject(c->m_pEndA);
        const bool bB = IsAtomObject(c->m_pEndB);
        if (!bA && !bB) {
          later.push_back(c);
          continue;
        }
        CKVObject* pCentre = bA ? c->m_pEndA : c->m_pEndB;
        CKVObject* pOther = bA ? c->m_pEndB : c->m_pEndA;
        if (!CanBeAtom(pOther)) continue;
        m_candidates.push_back({pCentre, pOther, CBondOrder::Single, CBondStereo::Wavy, c});
        MakeAtomObject(pOther);
      }
      if (later.size() == pending.size()) break;
      pending = std::move(later);
    }
  }

  // Atoms for the ends of bonds (merged when closer than 30 units) and for the formulas
  // that stand alone, in drawing order.
  void MakeAtoms() {
    CPointGrid grid(kAtomMergeDistance);
    grid.Reserve(m_objects.size());
    m_out.atoms.reserve(m_objects.size());
    const double dMerge2 = kAtomMergeDistance * kAtomMergeDistance;
    for (std::size_t k = 0; k < m_objects.size(); ++k) {
      CKVObject* p = m_objects[k];
      if (m_atomOf[k] != kNoAtom) {
        CChemAtom atom = AtomOf(p);
        // An atom this close to one made before is that atom. Atoms kept are at least 30
        // apart, so each cell holds a few of them at most.
        int nSame = -1;
        grid.ForNear(atom.x, atom.y, kAtomMergeDistance, [&](int n) {
          if (nSame < 0 && Distance2(atom.x, atom.y, m_out.atoms[n].x, m_out.atoms[n].y) < dMerge2)
            nSame = n;
        });
        if (nSame >= 0) {
          // A label wins over a junction it sits on.
          if (m_out.atoms[nSame].pSource->m_nKind == KIND_DOT && p->m_nKind == KIND_FORMULA) {
            atom.x = m_out.atoms[nSame].x;
            atom.y = m_out.atoms[nSame].y;
            m_out.atoms[nSame] = atom;
          }
          m_atomOf[k] = nSame;
          continue;
        }
        m_atomOf[k] = static_cast<int>(m_out.atoms.size());
        grid.Insert(m_atomOf[k], atom.x, atom.y);
        m_out.atoms.push_back(std::move(atom));
        continue;
      }
      if (p->m_nKind == KIND_FORMULA && p->AsFormula() != nullptr) AddFreeFormula(p);
    }
  }

  CChemAtom AtomOf(CKVObject* p) {
    CChemAtom a;
    a.pSource = p;
    if (p->m_nKind == KIND_DOT) {
      a.strSymbol = "C";
      a.x = p->m_ptAnchor.x;
      a.y = p->m_ptAnchor.y;
      return a;
    }
    const LabelInfo& info = Label(p, true);
    const CLabelReading& r = info.reading;
    std::tie(a.x, a.y) = GlyphCentre(*p, info.glyphs, r.nAttachGlyph);
    a.strLabel = r.strText;
    switch (r.kind) {
      case CLabelReading::Kind::Atom:
        a.strSymbol = r.strSymbol;
        a.nHydrogens = r.nHydrogens;
        a.nCharge = r.nCharge;
        a.nIsotope = r.nIsotope;
        break;
      case CLabelReading::Kind::Fragment:
        a.strFragment = r.strFragment;
        break;
      default:
        Warn("label '" + r.strText + "' is not understood", p, true);
        break;
    }
    return a;
  }

  void AddFreeFormula(CKVObject* p) {
    const LabelInfo& info = Label(p, false);
    const CLabelReading& r = info.reading;
    const auto [cx, cy] = TextCentre(*p, info.glyphs);
    switch (r.kind) {
      case CLabelReading::Kind::Atom: {
        CChemAtom a;
        a.pSource = p;
        a.strSymbol = r.strSymbol;
        a.nHydrogens = r.nHydrogens;
        a.nCharge = r.nCharge;
        a.nIsotope = r.nIsotope;
        a.strLabel = r.strText;
        std::tie(a.x, a.y) = GlyphCentre(*p, info.glyphs, r.nAttachGlyph);
        m_freeAtoms.push_back({static_cast<int>(m_out.atoms.size()), 1, false, r.strText});
        m_out.atoms.push_back(std::move(a));
        break;
      }
      case CLabelReading::Kind::Formula: {
        const int nFirst = static_cast<int>(m_out.atoms.size());
        for (std::size_t i = 0; i < r.formulaAtoms.size(); ++i) {
          CChemAtom a;
          a.pSource = p;
          a.strSymbol = r.formulaAtoms[i].first;
          a.nHydrogens = r.formulaAtoms[i].second;
          a.nCharge = i == 0 ? r.nCharge : 0;
          a.strLabel = r.strText;
          a.x = cx;
          a.y = cy;
          m_out.atoms.push_back(std::move(a));
        }
        m_freeAtoms.push_back({nFirst, static_cast<int>(r.formulaAtoms.size()), true, r.strText});
        break;
      }
      case CLabelReading::Kind::Annotation:
        m_annotations.push_back({r.strText, cx, cy, p});
        break;
      default:
        break;
    }
  }

  int AtomIndex(const CKVObject* p) const {
    const int n = IndexOf(p);
    return n < 0 || m_atomOf[n] < 0 ? -1 : m_atomOf[n];
  }

  static std::uint64_t PairKey(int a, int b) {
    if (b < a) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
  }

  static int Rank(CBondOrder o) {
    switch (o) {
      case CBondOrder::Single:
        return 1;
      case CBondOrder::Double:
        return 2;
      case CBondOrder::Triple:
        return 3;
      case CBondOrder::Aromatic:
        return 0;
    }
    return 0;
  }

  void AddBond(int a, int b, CBondOrder order, CBondStereo stereo, const CKVObject* pSource) {
    if (a < 0 || b < 0 || a == b) return;
    const auto [it, bNew] =
        m_bondIndex.emplace(PairKey(a, b), static_cast<int>(m_out.bonds.size()));
    if (bNew) {
      m_out.bonds.push_back({a, b, order, stereo, pSource});
      return;
    }
    // Two bonds drawn over each other (the shared edge of two ring templates): the one that
    // shows more lines wins.
    CChemBond& old = m_out.bonds[it->second];
    if (Rank(order) > Rank(old.order)) {
      old.order = order;
      old.stereo = CBondStereo::None;
    }
  }

  void MakeBonds() {
    m_out.bonds.reserve(m_candidates.size());
    m_bondIndex.reserve(m_candidates.size());
    for (const BondCandidate& c : m_candidates)
      AddBond(AtomIndex(c.pA), AtomIndex(c.pB), c.order, c.stereo, c.pSource);
  }

  void AddCharges() {
    CPointGrid grid(100.0);
    bool bAny = false;
    for (CKVObject* p : m_objects)
      bAny = bAny || p->m_nKind == KIND_PLUS || p->m_nKind == KIND_MINUS;
    if (!bAny) return;
    // The atoms of bonds and the formulas of one atom take charges; a formula of several
    // atoms does not.
    std::vector<char> chargeable(m_out.atoms.size(), 0);
    for (int n : m_atomOf)
      if (n >= 0) chargeable[n] = 1;
    for (const FreeAtoms& f : m_freeAtoms)
      if (!f.bFormulaOnly) chargeable[f.nFirst] = 1;
    for (std::size_t n = 0; n < m_out.atoms.size(); ++n)
      if (chargeable[n]) grid.Insert(static_cast<int>(n), m_out.atoms[n].x, m_out.atoms[n].y);
    const double dReach2 = kChargeReach * kChargeReach;
    for (CKVObject* p : m_objects) {
      if (p->m_nKind != KIND_PLUS && p->m_nKind != KIND_MINUS) continue;
      // Plain names, not a structured binding: the search below captures them.
      const std::pair<double, double> centre = ObjectCentre(*p);
      const double x = centre.first;
      const double y = centre.second;
      int nBest = -1;
      double dBest = dReach2;
      grid.ForNear(x, y, kChargeReach, [&](int n) {
        const double d = Distance2(x, y, m_out.atoms[n].x, m_out.atoms[n].y);
        if (d <= dBest && (nBest < 0 || d < dBest || n < nBest)) {
          dBest = d;
          nBest = n;
        }
      });
      if (nBest < 0) continue;
      m_out.atoms[nBest].nCharge += p->m_nKind == KIND_PLUS ? 1 : -1;
      m_out.charges.push_back({nBest, p});
    }
  }

  void MakeMolecules() {
    const std::size_t nAtoms = m_out.atoms.size();
    CUnionFind sets(nAtoms);
    for (const CChemBond& b : m_out.bonds) sets.Unite(b.nA, b.nB);
    for (const FreeAtoms& f : m_freeAtoms)
      for (int k = 1; k < f.nCount; ++k) sets.Unite(f.nFirst, f.nFirst + k);
    std::vector<int> moleculeOfRoot(nAtoms, -1);
    for (std::size_t n = 0; n < nAtoms; ++n) {
      const int root = sets.Find(static_cast<int>(n));
      if (moleculeOfRoot[root] < 0) {
        moleculeOfRoot[root] = static_cast<int>(m_out.molecules.size());
        m_out.molecules.emplace_back();
      }
      const int m = moleculeOfRoot[root];
      m_out.atoms[n].nMolecule = m;
      m_out.molecules[m].atoms.push_back(static_cast<int>(n));
    }
    for (std::size_t b = 0; b < m_out.bonds.size(); ++b)
      m_out.molecules[m_out.atoms[m_out.bonds[b].nA].nMolecule].bonds.push_back(
          static_cast<int>(b));
    for (const FreeAtoms& f : m_freeAtoms) {
      CChemMolecule& m = m_out.molecules[m_out.atoms[f.nFirst].nMolecule];
      m.bFormulaOnly = f.bFormulaOnly;
      m.strText = f.strText;
    }
    for (CChemMolecule& m : m_out.molecules) {
      double x = 0.0;
      double y = 0.0;
      for (int n : m.atoms) {
        x += m_out.atoms[n].x;
        y += m_out.atoms[n].y;
      }
      m.cx = x / static_cast<double>(m.atoms.size());
      m.cy = y / static_cast<double>(m.atoms.size());
    }
  }

  void MakeCircles() {
    std::vector<CKVObject*> ellipses;
    for (CKVObject* p : m_objects)
      if (p->m_nKind == KIND_ELLIPSE) ellipses.push_back(p);
    if (ellipses.empty() || m_out.bonds.empty()) return;
    // Ring atoms only: atoms with at least two bonds.
    std::vector<int> degree(m_out.atoms.size(), 0);
    for (const CChemBond& b : m_out.bonds) {
      ++degree[b.nA];
      ++degree[b.nB];
    }
    constexpr double kCell = 400.0;
    CPointGrid grid(kCell);
    for (std::size_t n = 0; n < m_out.atoms.size(); ++n)
      if (degree[n] >= 2) grid.Insert(static_cast<int>(n), m_out.atoms[n].x, m_out.atoms[n].y);
    for (CKVObject* p : ellipses) {
      const CRect& r = p->m_rcBounds;
      CAromaticCircle c;
      c.pSource = p;
      c.cx = (static_cast<double>(r.left) + r.right) / 2.0;
      c.cy = (static_cast<double>(r.top) + r.bottom) / 2.0;
      c.dHalfX = std::fabs(static_cast<double>(r.right) - r.left) / 2.0;
      c.dHalfY = std::fabs(static_cast<double>(r.top) - r.bottom) / 2.0;
      // The ring around it reaches beyond the ellipse; its nearest atom is one of the ring's.
      const double dReach = std::min(std::max(c.dHalfX, c.dHalfY) * 2.0 + 300.0, 4000.0);
      double dBest = dReach * dReach;
      grid.ForNear(c.cx, c.cy, dReach, [&](int n) {
        const double d = Distance2(c.cx, c.cy, m_out.atoms[n].x, m_out.atoms[n].y);
        if (d < dBest || (d == dBest && n < c.nNearAtom)) {
          dBest = d;
          c.nNearAtom = n;
        }
      });
      if (c.nNearAtom < 0) continue;
      c.nMolecule = m_out.atoms[c.nNearAtom].nMolecule;
      m_out.circles.push_back(c);
    }
  }

  // An end of an arrow: where its object stands.
  std::pair<double, double> EndPoint(const CKVObject* p) {
    const int n = AtomIndex(p);
    if (n >= 0) return {m_out.atoms[n].x, m_out.atoms[n].y};
    return ObjectCentre(*p);
  }

  struct Arrow {
    double tx, ty;  // tail
    double hx, hy;  // head
    double len2;
  };

  // s: where a point lies along the arrow (0 tail, 1 head); d: how far from its line.
  static void PlaceOnArrow(const Arrow& a, double x, double y, double& s, double& d) {
    if (a.len2 <= 0.0 || !std::isfinite(a.len2)) {
      s = std::numeric_limits<double>::infinity();
      d = std::numeric_limits<double>::infinity();
      return;
    }
    const double vx = a.hx - a.tx;
    const double vy = a.hy - a.ty;
    s = ((x - a.tx) * vx + (y - a.ty) * vy) / a.len2;
    d = std::fabs((x - a.tx) * vy - (y - a.ty) * vx) / std::sqrt(a.len2);
  }

  // Whether a point lies beside the arrow, between its ends: where agents and conditions
  // are written.
  static bool IsBesideArrow(const Arrow& a, double x, double y) {
    double s = 0.0;
    double d = 0.0;
    PlaceOnArrow(a, x, y, s, d);
    return s >= 0.0 && s <= 1.0 && d <= kAgentReach;
  }

  void MakeReactions() {
    std::vector<Arrow> arrows;
    for (const CCoupling* c : m_arrows) {
      const auto [ax, ay] = EndPoint(c->m_pEndA);
      const auto [bx, by] = EndPoint(c->m_pEndB);
      Arrow a = c->m_nSide == 2 ? Arrow{ax, ay, bx, by, 0} : Arrow{bx, by, ax, ay, 0};
      a.len2 = Distance2(a.tx, a.ty, a.hx, a.hy);
      arrows.push_back(a);
      m_out.steps.emplace_back();
      m_out.steps.back().pArrow = c;
    }
    if (arrows.empty()) return;
    const std::vector<bool> agent = NoteAgentsAndConditions(arrows);
    for (std::size_t m = 0; m < m_out.molecules.size(); ++m) {
      if (!agent[m]) PlaceInReaction(m, arrows);
    }
  }

  // The molecules and texts beside each arrow are its agents and conditions (a formula
  // without a structure is a condition); which molecules are agents.
  std::vector<bool> NoteAgentsAndConditions(const std::vector<Arrow>& arrows) {
    const std::size_t nMolecules = m_out.molecules.size();
    std::vector<bool> agent(nMolecules, false);
    for (std::size_t k = 0; k < arrows.size(); ++k) {
      CReactionStep& step = m_out.steps[k];
      for (std::size_t m = 0; m < nMolecules; ++m) {
        const CChemMolecule& mol = m_out.molecules[m];
        if (!IsBesideArrow(arrows[k], mol.cx, mol.cy)) continue;
        agent[m] = true;
        if (mol.bFormulaOnly) {
          step.conditions.push_back(mol.strText);
        } else {
          step.agents.push_back(static_cast<int>(m));
        }
      }
      for (const Annotation& t : m_annotations) {
        if (IsBesideArrow(arrows[k], t.x, t.y)) step.conditions.push_back(t.strText);
      }
    }
    return agent;
  }

  // Any molecule other than an agent belongs to the nearest arrow it stands behind (a
  // reactant) and to the nearest one it stands ahead of (a product), if it is roughly in
  // line with it: no farther from the arrow's line than from its end, plus 1000 units.
  void PlaceInReaction(std::size_t m, const std::vector<Arrow>& arrows) {
    const CChemMolecule& mol = m_out.molecules[m];
    int nBehind = -1;
    int nAhead = -1;
    double dBehind = std::numeric_limits<double>::infinity();
    double dAhead = dBehind;
    for (std::size_t k = 0; k < arrows.size(); ++k) {
      const Arrow& a = arrows[k];
      double s = 0.0;
      double d = 0.0;
      PlaceOnArrow(a, mol.cx, mol.cy, s, d);
      if (!std::isfinite(s)) continue;
      const double len = std::sqrt(a.len2);
      const double along = s < 0.0 ? -s * len : (s - 1.0) * len;
      if ((s >= 0.0 && s <= 1.0) || d > along + 1000.0) continue;
      const bool bBehind = s < 0.0;
      const double dist =
          bBehind ? Distance2(mol.cx, mol.cy, a.tx, a.ty) : Distance2(mol.cx, mol.cy, a.hx, a.hy);
      double& dBest = bBehind ? dBehind : dAhead;
      if (dist < dBest) {
        dBest = dist;
        (bBehind ? nBehind : nAhead) = static_cast<int>(k);
      }
    }
    if ((nBehind >= 0 || nAhead >= 0) && mol.bFormulaOnly) {
      Warn("formula '" + mol.strText + "' has no structure and is left out of the reaction",
           m_out.atoms[mol.atoms.front()].pSource);
      return;
    }
    if (nBehind >= 0) m_out.steps[nBehind].reactants.push_back(static_cast<int>(m));
    if (nAhead >= 0) m_out.steps[nAhead].products.push_back(static_cast<int>(m));
  }

  struct FreeAtoms {
    int nFirst;
    int nCount;
    bool bFormulaOnly;
    std::string strText;
  };
  struct Annotation {
    std::string strText;
    double x, y;
    const CKVObject* pSource;
  };

  std::vector<CKVObject*> m_objects;
  std::unordered_map<const CKVObject*, int> m_order;
  std::unordered_map<std::string, LabelInfo> m_bondedLabels;
  std::unordered_map<std::string, LabelInfo> m_freeLabels;
  std::vector<BondCandidate> m_candidates;
  std::vector<const CCoupling*> m_curves;
  std::vector<const CCoupling*> m_arrows;
  // For each object, the atom it became (after merging), or one of these.
  static constexpr int kNoAtom = -2;
  static constexpr int kAtomToBe = -1;
  std::vector<int> m_atomOf;
  std::unordered_map<std::uint64_t, int> m_bondIndex;
  std::vector<FreeAtoms> m_freeAtoms;
  std::vector<Annotation> m_annotations;
  CDrawingStructure m_out;
};

}  // namespace

CDrawingStructure ReadDrawingStructure(const CObList& list) { return CReader().Read(list); }
