#pragma once

#include "chemistry/CDrawingStructure.h"
#include "objects/CObList.h"

// Reads a drawing as chemistry (groups are transparent):
// - a junction at which a bond ends is a carbon atom; a formula at which one ends is a
//   label (an element with its hydrogens, an abbreviation, a condensed formula, or else a
//   dummy atom); atoms closer than 30 units are one atom;
// - bond styles give the order and the wedges (narrow end at end B for side 1, at end A for
//   side 2); a dotted single bond is no bond; a harmonic curve between two atoms is a wavy
//   bond; an ellipse inside a ring and smaller than it makes the ring aromatic;
// - a charge object adds its charge to the nearest atom within 300 units;
// - a formula without bonds is a molecule of one heavy atom, a formula of several (for
//   formula and mass only) or an annotation;
// - the molecules are the connected sets of atoms, in the order of their first atom;
// - each one-sided arrow is a reaction step: the molecules behind it react, those ahead of
//   it are made, those along it (within 600 units of its shaft) are agents, and the texts
//   along it are its conditions.
// Nothing a file can hold makes it fail, loop or take more than linear time in the number
// of atoms (times the number of arrows for reactions).
CDrawingStructure ReadDrawingStructure(const CObList& list);

// The drawing-unit distance below which two atoms are one.
inline constexpr double kAtomMergeDistance = 30.0;
// How far a charge object reaches for its atom.
inline constexpr double kChargeReach = 300.0;
// How far from an arrow's shaft agents and conditions stand.
inline constexpr double kAgentReach = 600.0;
