#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chemistry/CDrawingStructure.h"
#include "document/WorkProgress.h"

// Structures that come in from other programs (files, the clipboard) as molecules laid out
// in two dimensions, in plain data of our own: the second and last place that talks to
// RDKit reads them; StructureDrawing turns them into drawing objects.

// The kinds of structure text we read.
enum class CStructureSource { None, Mol, Sdf, Smiles, Rxn, Cdxml };

// The kind a path's extension names (".mol", ".sdf", ".smi", ".smiles", ".rxn", ".cdxml",
// in any case), or None.
CStructureSource StructureSourceOfPath(const std::string& strPath);
// The kind's name ("MOL", "SDF", "SMILES", "RXN", "CDXML"), or null for None.
const char* StructureSourceName(CStructureSource source);
// The kind the text itself shows, for files whose extension says nothing: a MOL record (a
// counts line on its fourth line, or a V3000 block) or CDXML (an XML document with a
// CDXML root); None otherwise.
CStructureSource StructureSourceOfContent(std::string_view text);

// One atom laid out: drawing units, y up. nHydrogens is the number the atom carries;
// bHydrogensImplied tells that the element alone, with this charge, implies exactly that
// many, so that a junction (for carbon) or a label without hydrogens would read the same.
struct CLaidOutAtom {
  std::string strSymbol;
  int nHydrogens = 0;
  bool bHydrogensImplied = true;
  int nCharge = 0;
  int nIsotope = 0;
  double x = 0.0;
  double y = 0.0;
  // A label drawn again as it was (an abbreviation, a label nobody understood): its text,
  // written as it stands. bLabel keeps any atom a label, never a junction.
  std::string strLabel;
  bool bLabel = false;
};

// One bond, with alternating single and double bonds for aromatic rings. A wedge or hash
// has its narrow end, the stereocentre, at nA. A bond in a ring has the centre of the
// smallest such ring, where the second line of a double bond goes.
struct CLaidOutBond {
  int nA = 0;
  int nB = 0;
  CBondOrder order = CBondOrder::Single;
  CBondStereo stereo = CBondStereo::None;
  bool bInRing = false;
  double dRingX = 0.0;
  double dRingY = 0.0;
};

// A molecule in its own coordinates: its median bond is 300 units, a ring template's edge.
struct CLaidOutMolecule {
  std::vector<CLaidOutAtom> atoms;
  std::vector<CLaidOutBond> bonds;
};

// What was read: the molecules in the order of the source, and for a reaction which of
// them react, help and are made. Empty strError means success; otherwise nothing was read
// and it says why, in the reader's words.
struct CImportedStructure {
  std::vector<CLaidOutMolecule> molecules;
  bool bReaction = false;
  std::vector<int> reactants;
  std::vector<int> agents;
  std::vector<int> products;
  std::vector<std::string> warnings;
  std::string strError;
  bool bCancelled = false;
};

// The limits that keep text from elsewhere from taking the program's memory or time: a
// molecule beyond kMaxLayoutAtoms atoms or kMaxLayoutRings rings is refused (the layout
// and ring perception grow much faster than the molecule), and reading stops after
// kMaxImportMolecules molecules or kMaxImportAtoms atoms in all, with a warning.
inline constexpr int kMaxLayoutAtoms = 1000;
inline constexpr int kMaxLayoutRings = 100;
inline constexpr int kMaxImportMolecules = 5000;
inline constexpr int kMaxImportAtoms = 200000;

// Reads the text as the given kind. Molecules keep the 2D coordinates a MOL, SDF or CDXML
// file brings unless they are missing, 3D or make atoms overlap; otherwise RDKit lays them
// out. progress is asked between molecules; answering false stops the reading, which then
// reports bCancelled and no molecules. Nothing in the text makes it throw, crash or hang.
CImportedStructure ImportStructure(std::string_view text, CStructureSource source,
                                   const WorkProgress& progress = {});

// The text as the clipboard brings it: a MOL record, or SMILES, one per line (blank lines
// and a name after the SMILES are allowed). strError when it reads as neither.
CImportedStructure ImportStructureText(std::string_view text);
