#pragma once

#include <string>
#include <vector>

#include "chemistry/CMoleculeSet.h"

// The structure files a drawing is written as, chosen by extension.
enum class CStructureFormat { None, Mol, Sdf, Smiles, InChI, Rxn };

// The format a path's extension names (".mol", ".sdf", ".smi", ".inchi", ".rxn", in any
// case), or None.
CStructureFormat StructureFormatOf(const std::string& strPath);
// The extension of a format, without the dot.
const char* StructureExtension(CStructureFormat format);

// What writing a structure file gave: the file's text, or why there is none.
struct CStructureText {
  enum class Status { Written, NoStructure, NoReaction };
  Status status = Status::Written;
  std::string strText;
  // One line each: labels not understood, problems, molecules a format cannot hold.
  std::vector<std::string> warnings;
};

// The text of a structure file of the molecules in the set:
// - MOL: every molecule in one record; SDF: one record per molecule, with the data fields
//   formula and mass;
// - SMILES: one line per molecule, or, in a drawing with reactions, one reaction SMILES per
//   step;
// - InChI: one line per molecule, the InChI, a tab and the InChIKey;
// - RXN: the first reaction step.
// Formulas alone have no structure and are left out. strTitle heads MOL and SDF records.
CStructureText WriteStructureText(CStructureFormat format, CMoleculeSet& set,
                                  const std::string& strTitle);

// Every molecule that has a structure, in drawing order.
std::vector<int> StructureMolecules(const CDrawingStructure& s);

// The reading's warnings and the problems of the molecules, as lines of text.
std::vector<std::string> StructureWarnings(CMoleculeSet& set);

// The SMILES of the molecules together, joined by '.'.
std::string SmilesText(CMoleculeSet& set, const std::vector<int>& molecules);
// The reaction SMILES of every step, one per line.
std::string ReactionSmilesText(CMoleculeSet& set);

// "C9H8O4  180.16": the formula and average mass of molecules together; empty without one.
std::string FormulaAndMass(CMoleculeSet& set, const std::vector<int>& molecules);
