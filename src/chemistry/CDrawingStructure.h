#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CKVObject;

// A drawing read as chemistry: the atoms and bonds it shows, grouped into molecules, with
// the formulas that stand alone, the texts around them and the reaction steps its arrows
// make. Plain data of our own, so that the reading rules need nothing of the library that
// turns it into molecules (CMoleculeSet), and so that tests can look at it directly.
//
// Positions are drawing units with y up, as in the drawing; source pointers name the
// drawing's objects and are valid while the drawing is.

// One atom: a junction, a label, or the first atom of a label that stands for a group.
struct CChemAtom {
  // The element symbol; empty for a dummy atom, a label nobody understood.
  std::string strSymbol;
  // A label that stands for several atoms: a SMILES fragment whose first atom, '*', is the
  // rest of the molecule; the atom it is bonded to takes this atom's place and bonds.
  std::string strFragment;
  // The label's text as a reader sees it (for dummies, fragments and messages).
  std::string strLabel;
  int nHydrogens = -1;  // hydrogens written in the label; -1: as many as the valence leaves
  int nCharge = 0;
  int nIsotope = 0;  // mass number, 0: the natural mixture
  double x = 0.0;
  double y = 0.0;
  const CKVObject* pSource = nullptr;  // the junction or formula that drew it
  int nMolecule = -1;
};

enum class CBondOrder { Single, Double, Triple, Aromatic };
// Wedge and Hash have their narrow end, the stereocentre, at atom nA; Wavy is a single bond
// whose stereo is unknown.
enum class CBondStereo { None, Wedge, Hash, Wavy };

struct CChemBond {
  int nA = 0;
  int nB = 0;
  CBondOrder order = CBondOrder::Single;
  CBondStereo stereo = CBondStereo::None;
  const CKVObject* pSource = nullptr;
};

// A connected set of atoms, or a formula that stands alone. A formula of several heavy
// atoms ("H2SO4") has its atoms listed unbonded and counts for formula and mass only.
struct CChemMolecule {
  std::vector<int> atoms;  // in drawing order
  std::vector<int> bonds;
  bool bFormulaOnly = false;
  std::string strText;  // a standalone formula's text
  double cx = 0.0;      // the centre of its atoms
  double cy = 0.0;
};

// An ellipse drawn inside a ring: the ring around its centre is aromatic when the ellipse
// is smaller than the ring. nMolecule and nNearAtom name the ring's candidates.
struct CAromaticCircle {
  double cx = 0.0;
  double cy = 0.0;
  double dHalfX = 0.0;
  double dHalfY = 0.0;
  int nMolecule = -1;
  int nNearAtom = -1;
  const CKVObject* pSource = nullptr;  // the ellipse
};

// A plus or minus charge object and the atom whose charge it changed.
struct CChargeMark {
  int nAtom = -1;
  const CKVObject* pSource = nullptr;
};

// One step of a reaction: indices into the molecules, and the texts written along the
// arrow (solvents, temperatures).
struct CReactionStep {
  std::vector<int> reactants;
  std::vector<int> agents;
  std::vector<int> products;
  std::vector<std::string> conditions;
  const CKVObject* pArrow = nullptr;
};

// Something worth telling the user: a label not understood, a dotted line ignored. bMark:
// the source is an atom that Check Structure frames.
struct CChemWarning {
  std::string strText;
  const CKVObject* pSource = nullptr;
  bool bMark = false;
};

struct CDrawingStructure {
  std::vector<CChemAtom> atoms;
  std::vector<CChemBond> bonds;
  std::vector<CChemMolecule> molecules;  // in the order of their first atom in the drawing
  std::vector<CAromaticCircle> circles;
  std::vector<CChargeMark> charges;
  std::vector<CReactionStep> steps;  // in drawing order of their arrows
  std::vector<CChemWarning> warnings;

  // Whether any molecule has a structure (a formula alone does not).
  bool HasStructure() const {
    for (const CChemMolecule& m : molecules)
      if (!m.bFormulaOnly) return true;
    return false;
  }
};
