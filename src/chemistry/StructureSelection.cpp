#include "chemistry/StructureSelection.h"

#include <numeric>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureOutput.h"
#include "chemistry/StructureReader.h"
#include "objects/CKVObject.h"

namespace {

// IsSelected asks the object's topmost ancestor, which it does not change.
bool Selected(const CKVObject* p) {
  return p != nullptr && const_cast<CKVObject*>(p)->IsSelected();
}

}  // namespace

bool HasSelection(const CObList& list) {
  for (const auto& p : list)
    if (p && p->m_bSelected) return true;
  return false;
}

std::vector<int> SelectedMolecules(const CDrawingStructure& s) {
  std::vector<char> selected(s.molecules.size(), 0);
  for (const CChemAtom& a : s.atoms)
    if (a.nMolecule >= 0 && !selected[a.nMolecule] && Selected(a.pSource))
      selected[a.nMolecule] = 1;
  for (const CChemBond& b : s.bonds) {
    const int m = s.atoms[b.nA].nMolecule;
    if (m >= 0 && !selected[m] && Selected(b.pSource)) selected[m] = 1;
  }
  std::vector<int> out;
  for (std::size_t m = 0; m < selected.size(); ++m)
    if (selected[m]) out.push_back(static_cast<int>(m));
  return out;
}

std::string SelectionFormulaAndMass(const CObList& list) {
  const CDrawingStructure s = ReadDrawingStructure(list);
  std::vector<int> molecules;
  if (HasSelection(list)) {
    molecules = SelectedMolecules(s);
  } else {
    molecules.resize(s.molecules.size());
    std::iota(molecules.begin(), molecules.end(), 0);
  }
  CMoleculeSet set(s);
  return FormulaAndMass(set, molecules);
}
