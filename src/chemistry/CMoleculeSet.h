#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chemistry/CDrawingStructure.h"
#include "chemistry/StructureImport.h"

// The formula and masses of one or more molecules together.
struct CMoleculeFacts {
  std::string strFormula;  // Hill order, charge last ("C9H8O4", "C2H3O2-")
  double dAverageMass = 0.0;
  double dMonoisotopicMass = 0.0;
};

// The molecules of a read drawing as the cheminformatics library sees them: the one place
// that talks to RDKit and the InChI library. Each molecule is built when first asked for
// (coordinates in angstrom, 200 drawing units to one, y up; stereo from the wedges and the
// 2D geometry) and kept. A molecule the library finds fault with (a valence too high, an
// aromatic ring that cannot alternate) is still written, as drawn; Problems() lists those
// faults. Nothing it is given makes it throw.
class CMoleculeSet {
 public:
  // The structure must outlive the set.
  explicit CMoleculeSet(const CDrawingStructure& structure);
  ~CMoleculeSet();
  CMoleculeSet(const CMoleculeSet&) = delete;
  CMoleculeSet& operator=(const CMoleculeSet&) = delete;

  const CDrawingStructure& Structure() const;

  // The canonical isomeric SMILES of a molecule; empty for a formula alone.
  std::string Smiles(int nMolecule);
  // The molecule with fresh 2D coordinates, as a molecule that comes in is laid out: one
  // laid-out atom for each of its atoms in the order of CChemMolecule::atoms (a label that
  // stands for a group where its attachment atom was laid out), its bonds between them.
  // False, with the reason, for a formula alone, a molecule too large to lay out, or one
  // the library finds fault with.
  bool FreshLayout(int nMolecule, CLaidOutMolecule* pOut, std::string* pReason);
  // The formula and masses of the molecules together, formulas alone included.
  CMoleculeFacts Facts(const std::vector<int>& molecules);
  // One MOL record of the molecules that have a structure: V2000, or V3000 when it has more
  // than 999 atoms or bonds or coordinates too large for V2000's columns.
  std::string MolBlock(const std::vector<int>& molecules, const std::string& strTitle);
  // The standard InChI and InChIKey of the molecules together; false, with the reason, when
  // the InChI library cannot describe them.
  bool InChI(const std::vector<int>& molecules, std::string* pInChI, std::string* pKey,
             std::string* pReason);
  // "reactants>agents>products", each side's molecules joined by '.'.
  std::string ReactionSmiles(const CReactionStep& step);
  // The step as an MDL RXN file (agents in a block of their own); its conditions are the
  // header's comment line.
  std::string RxnBlock(const CReactionStep& step);
  // What the library refuses in the molecules with a structure: one warning per atom, its
  // source marked.
  std::vector<CChemWarning> Problems();

 private:
  struct CImpl;
  std::unique_ptr<CImpl> m_pImpl;
};

// The canonical form of a SMILES, or nothing when it does not parse.
std::optional<std::string> CanonicalSmiles(const std::string& strSmiles);
// The canonical SMILES of a MOL record, or nothing when it does not parse.
std::optional<std::string> MolBlockSmiles(const std::string& strMolBlock);
// The version of RDKit, for --version.
std::string ChemistryLibraryVersion();
