// The one source file that includes RDKit and the InChI library: everything else speaks
// the plain types of CDrawingStructure.h. Every call into either library is caught here.
#include "chemistry/CMoleculeSet.h"

#include <GraphMol/ChemReactions/Reaction.h>
#include <GraphMol/ChemReactions/ReactionParser.h>
#include <GraphMol/Conformer.h>
#include <GraphMol/Depictor/RDDepictor.h>
#include <GraphMol/Descriptors/MolDescriptors.h>
#include <GraphMol/FileParsers/FileParsers.h>
#include <GraphMol/FileParsers/MolFileStereochem.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/PeriodicTable.h>
#include <GraphMol/RWMol.h>
#include <GraphMol/SanitException.h>
#include <GraphMol/SmilesParse/SmilesParse.h>
#include <GraphMol/SmilesParse/SmilesWrite.h>
#include <RDGeneral/versions.h>
#include <inchi_api.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "chemistry/MoleculeLayout.h"
#include "objects/CKVObject.h"

namespace {

using RDKit::Atom;
using RDKit::Bond;
using RDKit::ROMol;
using RDKit::RWMol;

// A ring template's edge, 300 drawing units, is a bond of 1.5 angstrom.
constexpr double kUnitsPerAngstrom = 200.0;

// RDKit's ring perception, canonical ranking and stereo perception grow much faster than the
// molecule on large or highly symmetric ring systems (a ladder of 800 atoms takes a second to
// rank, 100 000 atoms in one ring system minutes to sanitize). A molecule beyond these sizes
// is written as drawn, without them: no SMILES, no InChI, no stereo, no aromatic rings made
// alternating.
constexpr unsigned kMaxFullAtoms = 1000;
constexpr int kMaxFullRings = 100;

// ---------------------------------------------------------------------------------------
// Label fragments: parsed once, laid out once, copied in wherever a label names them.

struct Fragment {
  std::unique_ptr<RWMol> pMol;  // with one 2D conformer
  int nDummy = -1;
  int nAttach = -1;
  bool bOk = false;
};

Fragment MakeFragment(const std::string& strSmiles) {
  Fragment f;
  std::unique_ptr<RWMol> m;
  try {
    m.reset(RDKit::SmilesToMol(strSmiles));
  } catch (...) {
    m.reset();
  }
  if (!m) {
    // A condensed formula the reader built but whose valences are wrong ("CH3CH3CH3"): kept
    // as written, so that the molecule it joins reports the atom.
    try {
      m.reset(RDKit::SmilesToMol(strSmiles, 0, false));
      if (m) {
        m->updatePropertyCache(false);
        RDKit::MolOps::findSSSR(*m);
      }
    } catch (...) {
      m.reset();
    }
  }
  if (!m || m->getNumAtoms() < 2) return f;
  const Atom* pDummy = m->getAtomWithIdx(0);
  if (pDummy->getAtomicNum() != 0 || pDummy->getDegree() != 1) return f;
  f.nDummy = 0;
  for (const Bond* b : m->bonds()) {
    if (b->getBeginAtomIdx() == 0) f.nAttach = static_cast<int>(b->getEndAtomIdx());
    if (b->getEndAtomIdx() == 0) f.nAttach = static_cast<int>(b->getBeginAtomIdx());
  }
  // Large condensed formulas are laid out along a line rather than by the depictor.
  bool bLaidOut = false;
  if (m->getNumAtoms() <= 100) {
    try {
      RDDepict::compute2DCoords(*m);
      bLaidOut = m->getNumConformers() == 1;
    } catch (...) {
      bLaidOut = false;
    }
  }
  if (!bLaidOut) {
    m->clearConformers();
    auto* pConf = new RDKit::Conformer(m->getNumAtoms());
    pConf->set3D(false);
    for (unsigned i = 0; i < m->getNumAtoms(); ++i)
      pConf->setAtomPos(i, RDGeom::Point3D(1.5 * i, (i % 2) * 0.75, 0.0));
    m->addConformer(pConf, true);
  }
  f.pMol = std::move(m);
  f.bOk = f.nAttach > 0;
  return f;
}

// Labels repeat, but a session (or a file) may bring any number of different condensed
// formulas: the cache is emptied when it has grown this large. Those in use stay alive with
// their users.
constexpr std::size_t kMaxCachedFragments = 256;

std::shared_ptr<const Fragment> FragmentFor(const std::string& strSmiles) {
  static std::mutex lock;
  static std::map<std::string, std::shared_ptr<const Fragment>> cache;
  const std::lock_guard<std::mutex> guard(lock);
  auto it = cache.find(strSmiles);
  if (it == cache.end()) {
    if (cache.size() >= kMaxCachedFragments) cache.clear();
    it = cache.emplace(strSmiles, std::make_shared<const Fragment>(MakeFragment(strSmiles))).first;
  }
  return it->second;
}

// ---------------------------------------------------------------------------------------
// InChI: the library is not re-entrant, so every call goes through one lock.

std::mutex& InchiLock() {
  static std::mutex lock;
  return lock;
}

// The library's record of each atom of k (kekulized), without bonds. False, with the
// reason, for an atom the library cannot describe.
bool FillInchiAtoms(const RWMol& k, std::vector<inchi_Atom>& atoms, std::string* pReason) {
  const RDKit::Conformer* pConf = k.getNumConformers() > 0 ? &k.getConformer() : nullptr;
  for (const Atom* a : k.atoms()) {
    inchi_Atom& x = atoms[a->getIdx()];
    if (a->getAtomicNum() <= 0) {
      *pReason = "an atom is a label the InChI library cannot describe";
      return false;
    }
    const std::string sym = a->getSymbol();
    std::strncpy(x.elname, sym.c_str(), ATOM_EL_LEN - 1);
    if (pConf != nullptr) {
      const RDGeom::Point3D& p = pConf->getAtomPos(a->getIdx());
      x.x = p.x;
      x.y = p.y;
    }
    x.num_iso_H[0] = static_cast<S_CHAR>(std::min(a->getTotalNumHs(), 100u));
    x.isotopic_mass = static_cast<AT_NUM>(std::min(a->getIsotope(), 30000u));
    x.charge = static_cast<S_CHAR>(std::clamp(a->getFormalCharge(), -100, 100));
    const unsigned r = a->getNumRadicalElectrons();
    x.radical = r == 1 ? INCHI_RADICAL_DOUBLET : (r == 2 ? INCHI_RADICAL_TRIPLET : 0);
  }
  return true;
}

S_CHAR InchiBondType(const Bond& b) {
  switch (b.getBondType()) {
    case Bond::DOUBLE:
      return INCHI_BOND_TYPE_DOUBLE;
    case Bond::TRIPLE:
      return INCHI_BOND_TYPE_TRIPLE;
    case Bond::AROMATIC:
      return INCHI_BOND_TYPE_ALTERN;
    default:
      return INCHI_BOND_TYPE_SINGLE;
  }
}

// The narrow end of a wedge is the bond's first atom.
S_CHAR InchiBondStereo(const Bond& b) {
  switch (b.getBondDir()) {
    case Bond::BEGINWEDGE:
      return INCHI_BOND_STEREO_SINGLE_1UP;
    case Bond::BEGINDASH:
      return INCHI_BOND_STEREO_SINGLE_1DOWN;
    case Bond::UNKNOWN:
      return INCHI_BOND_STEREO_SINGLE_1EITHER;
    default:
      return INCHI_BOND_STEREO_NONE;
  }
}

// Each bond is listed once, at its first atom. False, with the reason, for an atom with
// more bonds than the library's record holds.
bool AddInchiBonds(const RWMol& k, std::vector<inchi_Atom>& atoms, std::string* pReason) {
  for (const Bond* b : k.bonds()) {
    inchi_Atom& x = atoms[b->getBeginAtomIdx()];
    if (x.num_bonds >= MAXVAL) {
      *pReason = "an atom has more bonds than the InChI library takes";
      return false;
    }
    const int j = x.num_bonds++;
    x.neighbor[j] = static_cast<AT_NUM>(b->getEndAtomIdx());
    x.bond_type[j] = InchiBondType(*b);
    x.bond_stereo[j] = InchiBondStereo(*b);
  }
  return true;
}

// What the library made of the atoms: the InChI (empty when it made none), its key (empty
// when that failed), the library's return code and its message.
struct InchiAnswer {
  std::string strInChI;
  std::string strKey;
  std::string strMessage;
  int nRet = 0;
};

InchiAnswer RunInchi(std::vector<inchi_Atom>& atoms) {
  char szOptions[] = "";
  inchi_Input in{};
  in.atom = atoms.data();
  in.stereo0D = nullptr;
  in.szOptions = szOptions;
  in.num_atoms = static_cast<AT_NUM>(atoms.size());
  in.num_stereo0D = 0;
  InchiAnswer answer;
  char szKey[32] = {};
  int nKeyRet = -1;
  {
    const std::lock_guard<std::mutex> guard(InchiLock());
    inchi_Output out{};
    answer.nRet = GetStdINCHI(&in, &out);
    if (out.szInChI != nullptr) answer.strInChI = out.szInChI;
    if (out.szMessage != nullptr) answer.strMessage = out.szMessage;
    FreeStdINCHI(&out);
    if (!answer.strInChI.empty())
      nKeyRet = GetStdINCHIKeyFromStdINCHI(answer.strInChI.c_str(), szKey);
  }
  if (nKeyRet == 0) answer.strKey = szKey;
  return answer;
}

bool InchiOf(const ROMol& mol, std::string* pInChI, std::string* pKey, std::string* pReason) {
  const unsigned n = mol.getNumAtoms();
  if (n == 0) {
    *pReason = "no atoms";
    return false;
  }
  if (n >= 1024) {
    *pReason = "more than 1023 atoms, beyond the InChI library";
    return false;
  }
  RWMol k(mol);
  try {
    RDKit::MolOps::Kekulize(k, true);
  } catch (...) {
    // Left aromatic: InChI takes alternating bonds as they are.
  }
  std::vector<inchi_Atom> atoms(n);
  std::memset(atoms.data(), 0, atoms.size() * sizeof(inchi_Atom));
  if (!FillInchiAtoms(k, atoms, pReason) || !AddInchiBonds(k, atoms, pReason)) return false;
  InchiAnswer answer = RunInchi(atoms);
  if ((answer.nRet != inchi_Ret_OKAY && answer.nRet != inchi_Ret_WARNING) ||
      answer.strInChI.empty()) {
    *pReason = answer.strMessage.empty() ? "the InChI library made none" : answer.strMessage;
    return false;
  }
  *pInChI = std::move(answer.strInChI);
  *pKey = std::move(answer.strKey);
  return true;
}

// ---------------------------------------------------------------------------------------

Bond::BondType BondTypeOf(CBondOrder order) {
  switch (order) {
    case CBondOrder::Double:
      return Bond::DOUBLE;
    case CBondOrder::Triple:
      return Bond::TRIPLE;
    case CBondOrder::Aromatic:
      return Bond::AROMATIC;
    case CBondOrder::Single:
      break;
  }
  return Bond::SINGLE;
}

int AtomicNumber(const std::string& strSymbol) {
  if (strSymbol.empty()) return 0;
  try {
    return RDKit::PeriodicTable::getTable()->getAtomicNumber(strSymbol);
  } catch (...) {
    return 0;
  }
}

// Whether a point lies inside a polygon (even-odd rule).
bool Inside(const std::vector<RDGeom::Point3D>& poly, double x, double y) {
  bool bIn = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const double xi = poly[i].x, yi = poly[i].y, xj = poly[j].x, yj = poly[j].y;
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) bIn = !bIn;
  }
  return bIn;
}

}  // namespace

// ---------------------------------------------------------------------------------------

struct CMoleculeSet::CImpl {
  explicit CImpl(const CDrawingStructure& s) : s(s), atomOfChem(s.atoms.size(), -1) {}

  // A molecule (or several together) in RDKit's terms, with the drawing object each of its
  // atoms came from.
  struct Built {
    std::unique_ptr<RWMol> pMol;
    std::vector<const CKVObject*> sources;
    std::vector<std::string> names;  // how messages name each atom
    std::vector<CChemWarning> problems;
    // For each atom of the structure, in the order of its molecule's atoms: the RDKit atom
    // that stands in its place (a label's attachment atom for a group it stands for).
    std::vector<std::pair<int, int>> mainAtoms;
    // Beyond kMaxFullAtoms or kMaxFullRings in one molecule: the light treatment.
    bool bLarge = false;
    std::string strLargeNote;
  };

  const CDrawingStructure& s;
  std::unordered_map<int, Built> cache;
  // Scratch: the RDKit atom of each atom of the structure while one molecule is built.
  std::vector<int> atomOfChem;

  static std::string NameOf(const CChemAtom& a) {
    if (!a.strLabel.empty()) return "'" + a.strLabel + "'";
    if (a.strSymbol == "C") return "a carbon atom";
    return "an atom";
  }

  // A label's group placed as its fragment: the fragment's first atom in the molecule and
  // where each of the fragment's atoms went (-1 for its dummy atom).
  struct Placed {
    int nChem;
    unsigned nFirst;
    std::shared_ptr<const Fragment> pFragment;
    std::vector<int> fragmentToMol;
  };
  // A molecule while Assemble builds it.
  struct Assembly {
    Built out;
    std::vector<RDGeom::Point3D> pos;
    std::vector<Placed> placed;
    std::vector<int> touched;

    unsigned AddAtom(Atom* pAtom, const CChemAtom& a, const RDGeom::Point3D& p) {
      const unsigned idx = out.pMol->addAtom(pAtom, false, true);
      pos.push_back(p);
      out.sources.push_back(a.pSource);
      out.names.push_back(NameOf(a));
      return idx;
    }
  };

  // The molecules' atoms and bonds as drawn, before RDKit has looked at them.
  Built Assemble(const std::vector<int>& molecules, bool bFormulasAlone) {
    Assembly as;
    as.out.pMol = std::make_unique<RWMol>();
    RWMol& mol = *as.out.pMol;
    for (int m : molecules) {
      if (m < 0 || m >= static_cast<int>(s.molecules.size())) continue;
      const CChemMolecule& molecule = s.molecules[m];
      if (molecule.bFormulaOnly && !bFormulasAlone) continue;
      const unsigned nAtomsBefore = mol.getNumAtoms();
      const unsigned nBondsBefore = mol.getNumBonds();
      for (int n : molecule.atoms) AddAtomOf(as, n);
      for (int nb : molecule.bonds) AddBond(mol, s.bonds[nb]);
      const unsigned nAtoms = mol.getNumAtoms() - nAtomsBefore;
      const int nRings =
          static_cast<int>(mol.getNumBonds() - nBondsBefore) - static_cast<int>(nAtoms) + 1;
      if (!molecule.bFormulaOnly && (nAtoms > kMaxFullAtoms || nRings > kMaxFullRings)) {
        as.out.bLarge = true;
        as.out.strLargeNote = "molecule " + std::to_string(m + 1) + " has " +
                              std::to_string(nAtoms) + " atoms and " + std::to_string(nRings) +
                              " rings: too large for SMILES, InChI and stereo";
      }
    }
    PlaceFragments(mol, as.pos, as.placed);
    auto* pConf = new RDKit::Conformer(mol.getNumAtoms());
    pConf->set3D(false);
    for (unsigned i = 0; i < mol.getNumAtoms(); ++i) pConf->setAtomPos(i, as.pos[i]);
    mol.addConformer(pConf, true);
    MarkAromaticCircles(mol, molecules);
    CountChargedRingCarbonHydrogens(mol);
    for (int n : as.touched) {
      as.out.mainAtoms.emplace_back(n, atomOfChem[n]);
      atomOfChem[n] = -1;
    }
    return std::move(as.out);
  }

  // The atom n of the structure: its label's group as a fragment, or one atom.
  void AddAtomOf(Assembly& as, int n) {
    const CChemAtom& a = s.atoms[n];
    const RDGeom::Point3D p(a.x / kUnitsPerAngstrom, a.y / kUnitsPerAngstrom, 0.0);
    as.touched.push_back(n);
    const std::shared_ptr<const Fragment> pFragment =
        a.strFragment.empty() ? nullptr : FragmentFor(a.strFragment);
    if (pFragment != nullptr && pFragment->bOk) {
      AddFragment(as, n, pFragment, p);
      return;
    }
    const int z = AtomicNumber(a.strSymbol);
    auto* pAtom = new Atom(z);
    if (z == 0) {
      pAtom->setProp(RDKit::common_properties::dummyLabel,
                     a.strLabel.empty() ? std::string("*") : a.strLabel);
    }
    if (a.nIsotope > 0) pAtom->setIsotope(static_cast<unsigned>(a.nIsotope));
    pAtom->setFormalCharge(a.nCharge);
    if (a.nHydrogens >= 0) {
      pAtom->setNumExplicitHs(static_cast<unsigned>(a.nHydrogens));
      pAtom->setNoImplicit(true);
    }
    atomOfChem[n] = static_cast<int>(as.AddAtom(pAtom, a, p));
  }

  // The fragment of atom n's label, all its atoms at the label's place p for now; the
  // label's charge goes to the atom it is attached by, which stands for it in bonds.
  void AddFragment(Assembly& as, int n, const std::shared_ptr<const Fragment>& pFragment,
                   const RDGeom::Point3D& p) {
    const CChemAtom& a = s.atoms[n];
    RWMol& mol = *as.out.pMol;
    const RWMol& f = *pFragment->pMol;
    Placed pl{n, mol.getNumAtoms(), pFragment, std::vector<int>(f.getNumAtoms(), -1)};
    for (const Atom* fa : f.atoms()) {
      if (static_cast<int>(fa->getIdx()) == pFragment->nDummy) continue;
      pl.fragmentToMol[fa->getIdx()] = static_cast<int>(as.AddAtom(new Atom(*fa), a, p));
    }
    for (const Bond* fb : f.bonds()) {
      const int b = pl.fragmentToMol[fb->getBeginAtomIdx()];
      const int e = pl.fragmentToMol[fb->getEndAtomIdx()];
      if (b < 0 || e < 0) continue;
      mol.addBond(static_cast<unsigned>(b), static_cast<unsigned>(e), fb->getBondType());
      mol.getBondBetweenAtoms(b, e)->setIsAromatic(fb->getIsAromatic());
    }
    const int nAttach = pl.fragmentToMol[pFragment->nAttach];
    Atom* pAttach = mol.getAtomWithIdx(static_cast<unsigned>(nAttach));
    pAttach->setFormalCharge(pAttach->getFormalCharge() + a.nCharge);
    atomOfChem[n] = nAttach;
    as.placed.push_back(std::move(pl));
  }

  // A bond of the structure between the RDKit atoms of its ends, unless they are one atom
  // or already bonded.
  void AddBond(RWMol& mol, const CChemBond& b) const {
    const int x = atomOfChem[b.nA];
    const int y = atomOfChem[b.nB];
    if (x < 0 || y < 0 || x == y || mol.getBondBetweenAtoms(x, y) != nullptr) return;
    mol.addBond(static_cast<unsigned>(x), static_cast<unsigned>(y), BondTypeOf(b.order));
    Bond* pBond = mol.getBondBetweenAtoms(x, y);
    if (b.order == CBondOrder::Aromatic) {
      pBond->setIsAromatic(true);
      mol.getAtomWithIdx(x)->setIsAromatic(true);
      mol.getAtomWithIdx(y)->setIsAromatic(true);
    }
    if (b.stereo == CBondStereo::Wedge) pBond->setBondDir(Bond::BEGINWEDGE);
    if (b.stereo == CBondStereo::Hash) pBond->setBondDir(Bond::BEGINDASH);
    if (b.stereo == CBondStereo::Wavy) pBond->setBondDir(Bond::UNKNOWN);
  }

  // A charged junction in an aromatic ring (the carbanion of cyclopentadienide, the cation
  // of tropylium) is a carbon with three bonds in all: its hydrogens are known before the
  // ring is given alternating bonds, which RDKit needs.
  static void CountChargedRingCarbonHydrogens(RWMol& mol) {
    for (Atom* a : mol.atoms()) {
      if (a->getIsAromatic() && a->getAtomicNum() == 6 && a->getFormalCharge() != 0 &&
          !a->getNoImplicit()) {
        a->setNumExplicitHs(
            static_cast<unsigned>(std::max(0, 3 - static_cast<int>(a->getDegree()))));
        a->setNoImplicit(true);
      }
    }
  }

  // A label's atoms leave its place away from the atoms it is bonded to, in the shape the
  // depictor gave the label's fragment.
  template <typename PlacedList>
  static void PlaceFragments(const RWMol& mol, std::vector<RDGeom::Point3D>& pos,
                             const PlacedList& placed) {
    for (const auto& pl : placed) {
      const RWMol& f = *pl.pFragment->pMol;
      const RDKit::Conformer& fc = f.getConformer();
      const unsigned nAttach = static_cast<unsigned>(pl.fragmentToMol[pl.pFragment->nAttach]);
      const unsigned nEnd = pl.nFirst + f.getNumAtoms() - 1;
      const RDGeom::Point3D at = pos[nAttach];
      // Toward the atoms outside the fragment.
      double dx = 0.0;
      double dy = 0.0;
      for (const Bond* b : mol.atomBonds(mol.getAtomWithIdx(nAttach))) {
        const unsigned o = b->getOtherAtomIdx(nAttach);
        if (o >= pl.nFirst && o < nEnd) continue;
        const double ox = pos[o].x - at.x;
        const double oy = pos[o].y - at.y;
        const double l = std::hypot(ox, oy);
        if (l > 1e-9) {
          dx += ox / l;
          dy += oy / l;
        }
      }
      double outAngle = std::hypot(dx, dy) > 1e-9 ? std::atan2(-dy, -dx) : 0.0;
      const RDGeom::Point3D fa = fc.getAtomPos(static_cast<unsigned>(pl.pFragment->nAttach));
      const RDGeom::Point3D fd = fc.getAtomPos(static_cast<unsigned>(pl.pFragment->nDummy));
      const double u = std::atan2(fa.y - fd.y, fa.x - fd.x);
      if (!std::isfinite(outAngle)) outAngle = 0.0;
      const double r = std::isfinite(u) ? outAngle - u : outAngle;
      const double c = std::cos(r);
      const double sn = std::sin(r);
      for (unsigned j = 0; j < f.getNumAtoms(); ++j) {
        const int idx = pl.fragmentToMol[j];
        if (idx < 0) continue;
        const RDGeom::Point3D q = fc.getAtomPos(j);
        const double qx = q.x - fa.x;
        const double qy = q.y - fa.y;
        pos[static_cast<unsigned>(idx)] =
            RDGeom::Point3D(at.x + qx * c - qy * sn, at.y + qx * sn + qy * c, 0.0);
      }
    }
  }

  // The rings through atom idx that a ring search of its neighbourhood finds: the atoms
  // within 12 bonds of it, at most 400, searched as a molecule of their own, so that an
  // ellipse in a ring system of any size costs the same.
  static std::vector<std::vector<int>> RingsThrough(const RWMol& mol, unsigned idx) {
    std::unordered_map<unsigned, unsigned> local;
    std::vector<unsigned> order{idx};
    local.emplace(idx, 0);
    for (std::size_t k = 0, nDepthEnd = 1, nDepth = 0; k < order.size() && nDepth < 12; ++k) {
      if (k == nDepthEnd) {
        ++nDepth;
        nDepthEnd = order.size();
      }
      for (const Bond* b : mol.atomBonds(mol.getAtomWithIdx(order[k]))) {
        const unsigned o = b->getOtherAtomIdx(order[k]);
        if (local.count(o) || order.size() >= 400) continue;
        local.emplace(o, static_cast<unsigned>(order.size()));
        order.push_back(o);
      }
    }
    RWMol sub;
    for (std::size_t k = 0; k < order.size(); ++k) sub.addAtom(new Atom(6), false, true);
    for (std::size_t k = 0; k < order.size(); ++k) {
      for (const Bond* b : mol.atomBonds(mol.getAtomWithIdx(order[k]))) {
        const auto it = local.find(b->getOtherAtomIdx(order[k]));
        if (it == local.end() || it->second <= k) continue;
        sub.addBond(static_cast<unsigned>(k), it->second, Bond::SINGLE);
      }
    }
    std::vector<std::vector<int>> out;
    try {
      RDKit::MolOps::findSSSR(sub);
    } catch (...) {
      return out;
    }
    for (const std::vector<int>& ring : sub.getRingInfo()->atomRings()) {
      if (std::find(ring.begin(), ring.end(), 0) == ring.end()) continue;
      std::vector<int> global;
      for (int a : ring) global.push_back(static_cast<int>(order[static_cast<std::size_t>(a)]));
      out.push_back(std::move(global));
    }
    return out;
  }

  // Rings with an ellipse inside them, smaller than they are, are aromatic.
  void MarkAromaticCircles(RWMol& mol, const std::vector<int>& molecules) {
    if (s.circles.empty()) return;
    std::unordered_set<int> wanted(molecules.begin(), molecules.end());
    const std::vector<RDGeom::Point3D>& pos = mol.getConformer().getPositions();
    for (const CAromaticCircle& c : s.circles) {
      if (!wanted.count(c.nMolecule) || c.nNearAtom < 0) continue;
      const int idx = atomOfChem[c.nNearAtom];
      if (idx < 0) continue;
      const double x = c.cx / kUnitsPerAngstrom;
      const double y = c.cy / kUnitsPerAngstrom;
      const double dHalf = std::max(c.dHalfX, c.dHalfY) / kUnitsPerAngstrom;
      std::vector<int> best;
      for (std::vector<int>& ring : RingsThrough(mol, static_cast<unsigned>(idx))) {
        std::vector<RDGeom::Point3D> poly;
        double gx = 0.0;
        double gy = 0.0;
        for (int a : ring) {
          poly.push_back(pos[static_cast<std::size_t>(a)]);
          gx += poly.back().x;
          gy += poly.back().y;
        }
        gx /= static_cast<double>(ring.size());
        gy /= static_cast<double>(ring.size());
        double dRadius = 0.0;
        for (const RDGeom::Point3D& p : poly)
          dRadius = std::max(dRadius, std::hypot(p.x - gx, p.y - gy));
        if (!Inside(poly, x, y) || dHalf >= dRadius) continue;
        if (best.empty() || ring.size() < best.size()) best = std::move(ring);
      }
      for (std::size_t k = 0; k < best.size(); ++k) {
        Bond* pBond = mol.getBondBetweenAtoms(best[k], best[(k + 1) % best.size()]);
        if (pBond == nullptr) continue;
        pBond->setBondType(Bond::AROMATIC);
        pBond->setIsAromatic(true);
        mol.getAtomWithIdx(static_cast<unsigned>(best[k]))->setIsAromatic(true);
      }
    }
  }

  // What RDKit refuses in a molecule as assembled: each atom with a valence too high, each
  // aromatic ring that cannot alternate. Each is neutralised in the scratch copy (a dummy
  // atom, single bonds) and sanitizing runs again, until it passes.
  static std::vector<CChemWarning> FindProblems(Built& b) {
    std::vector<CChemWarning> out;
    RWMol& w = *b.pMol;
    const auto neutralise = [&](unsigned idx) {
      Atom* a = w.getAtomWithIdx(idx);
      a->setAtomicNum(0);
      a->setNoImplicit(true);
      a->setNumExplicitHs(0);
      a->setFormalCharge(0);
      a->setIsAromatic(false);
    };
    for (Atom* a : w.atoms()) {
      int nValence = -1;
      try {
        a->calcExplicitValence(true);
        continue;
      } catch (const RDKit::AtomValenceException&) {
      } catch (const RDKit::MolSanitizeException&) {
      } catch (const Invar::Invariant&) {
      }
      try {
        nValence = a->calcExplicitValence(false);
      } catch (...) {
        nValence = -1;
      }
      const unsigned idx = a->getIdx();
      out.push_back({"too many bonds at " + b.names[idx] +
                         (nValence >= 0 ? " (valence " + std::to_string(nValence) + ")" : ""),
                     b.sources[idx], true});
      neutralise(idx);
    }
    for (int nPass = 0; nPass < 16; ++nPass) {
      try {
        RDKit::MolOps::sanitizeMol(w);
        break;
      } catch (const RDKit::KekulizeException& e) {
        const std::vector<unsigned> atoms = e.getAtomIndices();
        if (atoms.empty()) break;
        out.push_back({"aromatic ring that cannot have alternating bonds at " + b.names[atoms[0]],
                       b.sources[atoms[0]], true});
        std::unordered_set<unsigned> ring(atoms.begin(), atoms.end());
        for (Bond* bond : w.bonds()) {
          if (ring.count(bond->getBeginAtomIdx()) && ring.count(bond->getEndAtomIdx()) &&
              bond->getBondType() == Bond::AROMATIC) {
            bond->setBondType(Bond::SINGLE);
            bond->setIsAromatic(false);
          }
        }
        for (unsigned idx : atoms) w.getAtomWithIdx(idx)->setIsAromatic(false);
      } catch (const RDKit::AtomSanitizeException& e) {
        const unsigned idx = e.getAtomIdx();
        if (idx >= w.getNumAtoms()) break;
        out.push_back({"RDKit refuses " + b.names[idx] + ": " + e.what(), b.sources[idx], true});
        neutralise(idx);
      } catch (...) {
        break;
      }
    }
    return out;
  }

  // Sanitizing that lets faulty atoms be, for writing a molecule with problems as drawn.
  static void LenientSanitize(RWMol& m) {
    unsigned nFailed = 0;
    constexpr unsigned kAll = RDKit::MolOps::SANITIZE_ALL ^ RDKit::MolOps::SANITIZE_PROPERTIES;
    constexpr unsigned kNoRings =
        kAll & ~(RDKit::MolOps::SANITIZE_KEKULIZE | RDKit::MolOps::SANITIZE_SETAROMATICITY);
    for (unsigned ops : {kAll, kNoRings}) {
      try {
        m.updatePropertyCache(false);
        RDKit::MolOps::sanitizeMol(m, nFailed, ops);
        return;
      } catch (...) {
      }
    }
    try {
      m.updatePropertyCache(false);
      RDKit::MolOps::findSSSR(m);
    } catch (...) {
    }
  }

  // Stereo from the wedges, E/Z from the coordinates, as a MOL file reader would.
  static void AssignStereo(RWMol& m) {
    try {
      const RDKit::Conformer& conf = m.getConformer();
      RDKit::DetectAtomStereoChemistry(m, &conf);
      RDKit::DetectBondStereoChemistry(m, &conf);
      RDKit::MolOps::assignStereochemistry(m, true, true, false);
    } catch (...) {
    }
  }

  // What a large molecule gets: its valences checked atom by atom and computed, and no
  // ring perception (the writers take it as having none).
  static void LightTreatment(Built& b) {
    RWMol& m = *b.pMol;
    for (Atom* a : m.atoms()) {
      try {
        a->calcExplicitValence(true);
      } catch (...) {
        const unsigned idx = a->getIdx();
        b.problems.push_back({"too many bonds at " + b.names[idx], b.sources[idx], true});
      }
    }
    try {
      m.updatePropertyCache(false);
    } catch (...) {
    }
    m.getRingInfo()->initialize();
    if (m.getNumAtoms() > 0) b.problems.push_back({b.strLargeNote, b.sources[0], false});
  }

  Built Build(const std::vector<int>& molecules, bool bFormulasAlone) {
    Built b = Assemble(molecules, bFormulasAlone);
    if (b.bLarge) {
      LightTreatment(b);
      return b;
    }
    try {
      RDKit::MolOps::sanitizeMol(*b.pMol);
      AssignStereo(*b.pMol);
      return b;
    } catch (...) {
    }
    // Something is wrong with it: find what on a fresh copy, then keep it as drawn.
    Built scratch = Assemble(molecules, bFormulasAlone);
    b = Assemble(molecules, bFormulasAlone);
    b.problems = FindProblems(scratch);
    LenientSanitize(*b.pMol);
    AssignStereo(*b.pMol);
    return b;
  }

  Built& Get(int m) {
    auto it = cache.find(m);
    if (it == cache.end()) it = cache.emplace(m, Build({m}, true)).first;
    return it->second;
  }

  bool IsFormulaOnly(int m) const {
    return m < 0 || m >= static_cast<int>(s.molecules.size()) || s.molecules[m].bFormulaOnly;
  }

  std::string SmilesOf(const RWMol& mol) {
    try {
      bool bHydrogens = false;
      for (const Atom* a : mol.atoms()) bHydrogens = bHydrogens || a->getAtomicNum() == 1;
      if (bHydrogens) {
        // Hydrogens drawn as labels (often at a wedge) are implicit in the SMILES.
        std::unique_ptr<ROMol> pNoH(RDKit::MolOps::removeHs(mol, false, false, false));
        if (pNoH) return RDKit::MolToSmiles(*pNoH);
      }
      return RDKit::MolToSmiles(mol);
    } catch (...) {
    }
    try {
      return RDKit::MolToSmiles(mol);
    } catch (...) {
      return {};
    }
  }

  static bool NeedsV3000(const RWMol& mol) {
    if (mol.getNumAtoms() > 999 || mol.getNumBonds() > 999) return true;
    if (mol.getNumConformers() == 0) return false;
    for (const RDGeom::Point3D& p : mol.getConformer().getPositions())
      if (!(p.x > -9999.9999 && p.x < 99999.9999 && p.y > -9999.9999 && p.y < 99999.9999))
        return true;
    return false;
  }

  static std::string MolBlockOf(const Built& b, const std::string& strTitle) {
    RWMol& mol = *b.pMol;
    mol.setProp(RDKit::common_properties::_Name, strTitle);
    const bool bV3000 = NeedsV3000(mol);
    for (bool bKekulize : {!b.bLarge, false}) {
      try {
        return RDKit::MolToMolBlock(mol, true, -1, bKekulize, bV3000);
      } catch (...) {
      }
    }
    return {};
  }
};

CMoleculeSet::CMoleculeSet(const CDrawingStructure& structure)
    : m_pImpl(std::make_unique<CImpl>(structure)) {}

CMoleculeSet::~CMoleculeSet() = default;

const CDrawingStructure& CMoleculeSet::Structure() const { return m_pImpl->s; }

std::string CMoleculeSet::Smiles(int nMolecule) {
  if (m_pImpl->IsFormulaOnly(nMolecule)) return {};
  const CImpl::Built& b = m_pImpl->Get(nMolecule);
  if (b.bLarge) return {};
  return m_pImpl->SmilesOf(*b.pMol);
}

bool CMoleculeSet::FreshLayout(int nMolecule, CLaidOutMolecule* pOut, std::string* pReason) {
  if (m_pImpl->IsFormulaOnly(nMolecule)) {
    *pReason = "a formula alone has no structure to lay out";
    return false;
  }
  try {
    const CImpl::Built& b = m_pImpl->Get(nMolecule);
    if (b.bLarge) {
      *pReason = b.strLargeNote;
      return false;
    }
    // A molecule the library finds fault with would come out as something else.
    if (!b.problems.empty()) {
      *pReason = b.problems.front().strText;
      return false;
    }
    RWMol mol(*b.pMol);
    CLaidOutMolecule all;
    if (std::string s = LayOutMolecule(mol, true, all); !s.empty()) {
      *pReason = s;
      return false;
    }
    // The drawing's atoms in their own order; the atoms a label stands for stay in it.
    std::vector<int> outOf(all.atoms.size(), -1);
    CLaidOutMolecule out;
    for (const auto& [nChem, nAtom] : b.mainAtoms) {
      if (nAtom < 0 || static_cast<std::size_t>(nAtom) >= all.atoms.size()) {
        *pReason = "an atom of the drawing has no place in the molecule";
        return false;
      }
      outOf[static_cast<std::size_t>(nAtom)] = static_cast<int>(out.atoms.size());
      out.atoms.push_back(all.atoms[static_cast<std::size_t>(nAtom)]);
    }
    for (CLaidOutBond x : all.bonds) {
      const int a = outOf[static_cast<std::size_t>(x.nA)];
      const int c = outOf[static_cast<std::size_t>(x.nB)];
      if (a < 0 || c < 0) continue;
      x.nA = a;
      x.nB = c;
      out.bonds.push_back(x);
    }
    *pOut = std::move(out);
    return true;
  } catch (const std::exception& e) {
    *pReason = e.what();
  } catch (...) {
    *pReason = "RDKit could not lay it out";
  }
  return false;
}

CMoleculeFacts CMoleculeSet::Facts(const std::vector<int>& molecules) {
  CMoleculeFacts f;
  try {
    CImpl::Built b = molecules.size() == 1 ? CImpl::Built{} : m_pImpl->Build(molecules, true);
    const RWMol& mol = molecules.size() == 1 ? *m_pImpl->Get(molecules[0]).pMol : *b.pMol;
    if (mol.getNumAtoms() == 0) return f;
    f.strFormula = RDKit::Descriptors::calcMolFormula(mol);
    f.dAverageMass = RDKit::Descriptors::calcAMW(mol);
    f.dMonoisotopicMass = RDKit::Descriptors::calcExactMW(mol);
  } catch (...) {
    f = CMoleculeFacts{};
  }
  return f;
}

std::string CMoleculeSet::MolBlock(const std::vector<int>& molecules, const std::string& strTitle) {
  try {
    CImpl::Built b = m_pImpl->Build(molecules, false);
    if (b.pMol->getNumAtoms() == 0) return {};
    return CImpl::MolBlockOf(b, strTitle);
  } catch (...) {
    return {};
  }
}

bool CMoleculeSet::InChI(const std::vector<int>& molecules, std::string* pInChI, std::string* pKey,
                         std::string* pReason) {
  try {
    CImpl::Built b = m_pImpl->Build(molecules, false);
    if (b.bLarge) {
      *pReason = b.strLargeNote;
      return false;
    }
    return InchiOf(*b.pMol, pInChI, pKey, pReason);
  } catch (const std::exception& e) {
    *pReason = e.what();
  } catch (...) {
    *pReason = "the cheminformatics library failed";
  }
  return false;
}

std::string CMoleculeSet::ReactionSmiles(const CReactionStep& step) {
  const auto side = [this](const std::vector<int>& molecules) {
    std::string s;
    for (int m : molecules) {
      const std::string smiles = Smiles(m);
      if (smiles.empty()) continue;
      if (!s.empty()) s += '.';
      s += smiles;
    }
    return s;
  };
  return side(step.reactants) + ">" + side(step.agents) + ">" + side(step.products);
}

std::string CMoleculeSet::RxnBlock(const CReactionStep& step) {
  try {
    RDKit::ChemicalReaction rxn;
    const auto copy = [this](int m) { return RDKit::ROMOL_SPTR(new ROMol(*m_pImpl->Get(m).pMol)); };
    for (int m : step.reactants)
      if (!m_pImpl->IsFormulaOnly(m)) rxn.addReactantTemplate(copy(m));
    for (int m : step.agents)
      if (!m_pImpl->IsFormulaOnly(m)) rxn.addAgentTemplate(copy(m));
    for (int m : step.products)
      if (!m_pImpl->IsFormulaOnly(m)) rxn.addProductTemplate(copy(m));
    std::string block = RDKit::ChemicalReactionToRxnBlock(rxn, true, false);
    // The header's fourth line is a comment: the conditions written along the arrow.
    std::string strConditions;
    for (const std::string& c : step.conditions) {
      if (!strConditions.empty()) strConditions += "; ";
      strConditions += c;
    }
    std::replace(strConditions.begin(), strConditions.end(), '\n', ' ');
    std::istringstream in(block);
    std::string out;
    std::string line;
    for (int n = 0; std::getline(in, line); ++n) {
      out += n == 3 ? strConditions : line;
      out += '\n';
    }
    return out;
  } catch (...) {
    return {};
  }
}

std::vector<CChemWarning> CMoleculeSet::Problems() {
  std::vector<CChemWarning> out;
  for (int m = 0; m < static_cast<int>(m_pImpl->s.molecules.size()); ++m) {
    if (m_pImpl->IsFormulaOnly(m)) continue;
    const CImpl::Built& b = m_pImpl->Get(m);
    out.insert(out.end(), b.problems.begin(), b.problems.end());
  }
  return out;
}

std::optional<std::string> CanonicalSmiles(const std::string& strSmiles) {
  try {
    std::unique_ptr<RWMol> m(RDKit::SmilesToMol(strSmiles));
    if (m) return RDKit::MolToSmiles(*m);
  } catch (...) {
  }
  return std::nullopt;
}

std::optional<std::string> MolBlockSmiles(const std::string& strMolBlock) {
  try {
    std::unique_ptr<RWMol> m(RDKit::MolBlockToMol(strMolBlock));
    if (m) return RDKit::MolToSmiles(*m);
  } catch (...) {
  }
  return std::nullopt;
}

std::string ChemistryLibraryVersion() { return std::string("RDKit ") + RDKit::rdkitVersion; }
