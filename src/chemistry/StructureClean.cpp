#include "chemistry/StructureClean.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureDrawing.h"
#include "chemistry/StructureReader.h"
#include "chemistry/StructureSelection.h"
#include "formula/CFormula.h"
#include "objects/CGroup.h"

namespace {

std::vector<int> MoleculesToClean(const CDrawingStructure& s) {
  std::vector<int> out;
  for (int m : SelectedMolecules(s))
    if (!s.molecules[static_cast<std::size_t>(m)].bFormulaOnly) out.push_back(m);
  return out;
}

// What the fresh layout keeps of a label: its text when it stands for more than an element
// (the reader's fragment) or for nothing it knows, else its element with the hydrogens it
// wrote (none for a bare element, which takes the valence's), drawn to face its bonds.
void KeepLabel(const CChemAtom& c, CLaidOutAtom& a) {
  if (c.pSource == nullptr || c.pSource->m_nKind != KIND_FORMULA) return;
  a.bLabel = true;
  if (!c.strFragment.empty() || c.strSymbol.empty()) {
    a.strLabel = static_cast<const CFormula*>(c.pSource)->m_strText;
    return;
  }
  a.nHydrogens = std::max(c.nHydrogens, 0);
}

// Whether two boxes (y up: top above bottom) share any point.
bool BoxesMeet(const CRect& a, const CRect& b) {
  return a.left <= b.right && b.left <= a.right && a.bottom <= b.top && b.bottom <= a.top;
}

// A label sits where the layout put its atom, and its text runs on: a label that stands for a
// group over the room the layout gave the group's other atoms or over a neighbouring label
// (aspirin's COOH under its OAc), an isotope's "13CH3" over the junction it is bonded to.
// A label with one bond moves away from its neighbour, along that bond, until its box is
// clear: the bond only grows, so the angles that carry stereo and E/Z stay as they are.
// objects are the molecule drawn once as laid out; the moves are made in laid too.
void ClearLabels(CLaidOutMolecule& laid, const std::vector<CKVObject*>& objects) {
  constexpr int kStep = 60;
  constexpr int kRoom = 50;
  constexpr int kMaxSteps = 10;
  for (std::size_t k = 0; k < laid.atoms.size(); ++k) {
    CKVObject* pLabel = objects[k];
    if (pLabel == nullptr || pLabel->AsFormula() == nullptr) continue;
    int nNeighbour = -1;
    int nBonds = 0;
    for (const CLaidOutBond& b : laid.bonds) {
      if (b.nA != static_cast<int>(k) && b.nB != static_cast<int>(k)) continue;
      ++nBonds;
      nNeighbour = b.nA == static_cast<int>(k) ? b.nB : b.nA;
    }
    if (nBonds != 1) continue;
    const double dx = laid.atoms[k].x - laid.atoms[static_cast<std::size_t>(nNeighbour)].x;
    const double dy = laid.atoms[k].y - laid.atoms[static_cast<std::size_t>(nNeighbour)].y;
    const double d = std::hypot(dx, dy);
    if (!(d > 1.0)) continue;
    // With some room to spare: the widths are estimates.
    const auto clear = [&] {
      const CRect& rc = pLabel->m_rcBounds;
      const CRect wide{rc.left - kRoom, rc.top + kRoom, rc.right + kRoom, rc.bottom - kRoom};
      for (CKVObject* p : objects)
        if (p != nullptr && p != pLabel && BoxesMeet(p->m_rcBounds, wide)) return false;
      return true;
    };
    const CRect rcStart = pLabel->m_rcBounds;
    const CPoint ptStart = pLabel->m_ptAnchor;
    const auto moveBy = [&](int n) {
      const int ox = static_cast<int>(std::lround(dx / d * kStep * n));
      const int oy = static_cast<int>(std::lround(dy / d * kStep * n));
      pLabel->m_ptAnchor = CPoint{ptStart.x + ox, ptStart.y + oy};
      pLabel->m_rcBounds =
          CRect{rcStart.left + ox, rcStart.top + oy, rcStart.right + ox, rcStart.bottom + oy};
    };
    int n = 0;
    while (n < kMaxSteps && !clear()) moveBy(++n);
    // No room within reach: a long bond would not help, the label stays at its atom.
    if (!clear()) n = 0;
    moveBy(n);
    laid.atoms[k].x += dx / d * kStep * n;
    laid.atoms[k].y += dy / d * kStep * n;
  }
}

}  // namespace

bool HasMoleculeToClean(const CObList& list) {
  if (!HasSelection(list)) return false;
  return !MoleculesToClean(ReadDrawingStructure(list)).empty();
}

CCleanStructure CleanStructure(const CObList& list) {
  CCleanStructure out;
  if (!HasSelection(list)) return out;
  const CDrawingStructure s = ReadDrawingStructure(list);
  CMoleculeSet set(s);
  // The drawing's bond between two atoms, for its colour.
  std::map<std::pair<int, int>, const CKVObject*> bondSource;
  for (const CChemBond& b : s.bonds) bondSource.emplace(std::minmax(b.nA, b.nB), b.pSource);
  for (int m : MoleculesToClean(s)) {
    const CChemMolecule& molecule = s.molecules[static_cast<std::size_t>(m)];
    CLaidOutMolecule laid;
    std::string strReason;
    if (!set.FreshLayout(m, &laid, &strReason) || laid.atoms.size() != molecule.atoms.size()) {
      if (out.strProblem.empty()) out.strProblem = strReason;
      continue;
    }
    for (std::size_t k = 0; k < laid.atoms.size(); ++k)
      KeepLabel(s.atoms[static_cast<std::size_t>(molecule.atoms[k])], laid.atoms[k]);
    {
      std::vector<CKVObject*> trial;
      const std::unique_ptr<CGroup> pTrial = DrawLaidOutMolecule(laid, 0.0, 0.0, &trial);
      ClearLabels(laid, trial);
    }
    // Centred where the drawn atoms were.
    double cx = 0.0;
    double cy = 0.0;
    for (const CLaidOutAtom& a : laid.atoms) {
      cx += a.x;
      cy += a.y;
    }
    const double n = static_cast<double>(std::max<std::size_t>(1, laid.atoms.size()));
    std::vector<CKVObject*> atomObjects;
    std::unique_ptr<CGroup> pGroup =
        DrawLaidOutMolecule(laid, molecule.cx - cx / n, molecule.cy - cy / n, &atomObjects);
    for (std::size_t k = 0; k < atomObjects.size(); ++k) {
      const CKVObject* pOld = s.atoms[static_cast<std::size_t>(molecule.atoms[k])].pSource;
      if (pOld == nullptr || atomObjects[k] == nullptr) continue;
      atomObjects[k]->m_crColor = pOld->m_crColor;
      out.gone.insert(pOld);
      out.ends.emplace_back(pOld, atomObjects[k]);
    }
    // The bonds come after the atoms, in the order of the laid-out ones.
    std::size_t nBond = 0;
    for (const auto& p : pGroup->m_listChildren) {
      if (p->AsBond() == nullptr || nBond >= laid.bonds.size()) continue;
      const CLaidOutBond& b = laid.bonds[nBond++];
      const auto it = bondSource.find(std::minmax(molecule.atoms[static_cast<std::size_t>(b.nA)],
                                                  molecule.atoms[static_cast<std::size_t>(b.nB)]));
      if (it != bondSource.end() && it->second != nullptr) p->m_crColor = it->second->m_crColor;
    }
    for (int b : molecule.bonds)
      if (const CKVObject* p = s.bonds[static_cast<std::size_t>(b)].pSource) out.gone.insert(p);
    for (const CChargeMark& c : s.charges)
      if (s.atoms[static_cast<std::size_t>(c.nAtom)].nMolecule == m) out.gone.insert(c.pSource);
    for (const CAromaticCircle& c : s.circles)
      if (c.nMolecule == m && c.pSource != nullptr) out.gone.insert(c.pSource);
    out.added.push_back(std::move(pGroup));
  }
  return out;
}
