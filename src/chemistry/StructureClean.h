#pragma once

#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "objects/CKVObject.h"
#include "objects/CObList.h"

// Clean Structure: the molecules the selection touches drawn afresh, as a molecule that
// comes in is drawn, the same molecule by the drawing's own reading: its atoms, bonds and
// labels (an abbreviation or a label nobody understood keeps its text; an element's label
// keeps the hydrogens written in it, turned to face its bonds), their colours, one group
// per molecule whose atoms are centred where the old ones were.
struct CCleanStructure {
  // What goes, wherever it stands: the atoms' junctions and labels, the bonds, and the
  // charge objects and aromatic circles that the new drawing shows in its own way.
  std::unordered_set<const CKVObject*> gone;
  // Each old atom object with its new one, for bonds that stay (an arrow drawn to an atom).
  std::vector<std::pair<const CKVObject*, CKVObject*>> ends;
  CObList added;  // one group per molecule
  // Why a molecule of the selection was left as it is (the first such reason).
  std::string strProblem;
};

// Whether the selection touches a molecule with a structure (a formula alone has none).
bool HasMoleculeToClean(const CObList& list);
CCleanStructure CleanStructure(const CObList& list);
