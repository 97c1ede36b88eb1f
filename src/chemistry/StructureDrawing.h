#pragma once

#include <memory>
#include <string>
#include <vector>

#include "chemistry/StructureImport.h"
#include "objects/CGroup.h"
#include "objects/CKVObject.h"
#include "objects/CObList.h"
#include "objects/Geometry.h"

// Molecules that came in, drawn as our own objects the way a chemist draws them, so that
// reading the drawing gives the same molecules back:
// - a carbon atom without charge, isotope or hydrogens of its own is a junction; every other
//   atom a label: its element, its hydrogens as a lower index ("OH", "NH2"), written first
//   ("HO", "H2N") when all its bonds leave it to the right (and "H2O", "HCl" alone), its charge as
//   an upper index and its isotope as a left upper index; the label stands where the reader looks
//   for its atom;
// - single bonds, double bonds with the second line inside their ring (centred outside
//   rings), triple bonds, wedges and hashes with their narrow end at the stereocentre, wavy
//   bonds as harmonic curves;
// - each molecule one group, as a ring template is; several molecules in a row or a grid,
//   a reaction as its reactants joined by "+", an arrow with the agents above it, and its
//   products.
// The whole arrangement is centred on pt, or has its top-left corner there.
enum class CArrangeAt { Centre, TopLeft };
CObList DrawImportedStructure(const CImportedStructure& s, CPoint pt,
                              CArrangeAt at = CArrangeAt::Centre);

// One molecule as one group, its own coordinates shifted by (dx, dy); the object drawn for
// each atom, in the molecule's order, when pAtomObjects asks.
std::unique_ptr<CGroup> DrawLaidOutMolecule(const CLaidOutMolecule& m, double dx, double dy,
                                            std::vector<CKVObject*>* pAtomObjects = nullptr);

// The formula text of an atom's label, hydrogens written after the element or before it.
std::string AtomLabelMarkup(const CLaidOutAtom& a, bool bHydrogensFirst);
