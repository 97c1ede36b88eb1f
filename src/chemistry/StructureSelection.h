#pragma once

#include <string>
#include <vector>

#include "chemistry/CDrawingStructure.h"
#include "objects/CObList.h"

// Whether any top-level object of the drawing is selected.
bool HasSelection(const CObList& list);

// The molecules the selection touches (an atom's junction or label, or one of its bonds, is
// selected), in drawing order.
std::vector<int> SelectedMolecules(const CDrawingStructure& s);

// What the status bar shows: the formula and average mass of the selected molecules, or of
// the whole drawing when nothing is selected ("C9H8O4  180.16"); empty without a molecule.
std::string SelectionFormulaAndMass(const CObList& list);
