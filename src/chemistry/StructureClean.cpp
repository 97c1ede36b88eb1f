#include "chemistry/StructureClean.h"

#include <algorithm>
#include <map>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureDrawing.h"
#include "chemistry/StructureReader.h"
#include "chemistry/StructureSelection.h"
#include "objects/CFormula.h"
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
    // Centred where the drawn atoms were.
    double cx = 0.0;
    double cy = 0.0;
    for (std::size_t k = 0; k < laid.atoms.size(); ++k) {
      KeepLabel(s.atoms[static_cast<std::size_t>(molecule.atoms[k])], laid.atoms[k]);
      cx += laid.atoms[k].x;
      cy += laid.atoms[k].y;
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
