// The second of the two source files that include RDKit: structures from other programs
// read, laid out and handed on as plain data. Every call into the library is caught here.
#include "chemistry/StructureImport.h"

#include <GraphMol/ChemReactions/Reaction.h>
#include <GraphMol/ChemReactions/ReactionParser.h>
#include <GraphMol/Chirality.h>
#include <GraphMol/Conformer.h>
#include <GraphMol/Depictor/RDDepictor.h>
#include <GraphMol/FileParsers/CDXMLParser.h>
#include <GraphMol/FileParsers/FileParsers.h>
#include <GraphMol/FileParsers/MolFileStereochem.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/RWMol.h>
#include <GraphMol/RingInfo.h>
#include <GraphMol/SmilesParse/SmilesParse.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <unordered_set>

#include "chemistry/MoleculeLayout.h"

namespace {

using RDKit::Atom;
using RDKit::Bond;
using RDKit::ROMol;
using RDKit::RWMol;

// The edge of a ring template: the median bond of every molecule we draw.
constexpr double kBondUnits = 300.0;
// Atoms brought closer than this by a file's own coordinates are laid out afresh.
constexpr double kMinAtomDistance = 100.0;

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// The lines of a text, without their line ends ("\r\n" or "\n").
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    const std::size_t n = text.find('\n');
    std::string_view line = text.substr(0, n);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    out.push_back(line);
    if (n == std::string_view::npos) break;
    text.remove_prefix(n + 1);
  }
  return out;
}

// Rings of a graph without perceiving them: bonds - atoms + connected parts.
int RingCount(const ROMol& mol) {
  std::vector<int> frags;
  const unsigned nParts = RDKit::MolOps::getMolFrags(mol, frags);
  return static_cast<int>(mol.getNumBonds()) - static_cast<int>(mol.getNumAtoms()) +
         static_cast<int>(nParts);
}

// A molecule too large for the layout and ring perception is refused before either runs.
std::string SizeProblem(const ROMol& mol) {
  const int nAtoms = static_cast<int>(mol.getNumAtoms());
  if (nAtoms > kMaxLayoutAtoms) {
    return "a molecule of " + std::to_string(nAtoms) + " atoms is more than the " +
           std::to_string(kMaxLayoutAtoms) + " that can be laid out";
  }
  const int nRings = RingCount(mol);
  if (nRings > kMaxLayoutRings) {
    return "a molecule of " + std::to_string(nRings) + " rings is more than the " +
           std::to_string(kMaxLayoutRings) + " that can be laid out";
  }
  return {};
}

// A MOL record's counts, checked against the lines it has before RDKit reads it, so that a
// header announcing a billion atoms costs nothing.
std::string MolBlockProblem(std::string_view block) {
  const std::vector<std::string_view> lines = Lines(block);
  if (lines.size() < 4) return "the MOL record has no counts line";
  const std::string_view counts = lines[3];
  if (counts.find("V3000") != std::string_view::npos) {
    for (std::string_view line : lines) {
      if (line.substr(0, 13) != "M  V30 COUNTS") continue;
      std::istringstream in{std::string(line.substr(13))};
      long long nAtoms = -1;
      long long nBonds = -1;
      in >> nAtoms >> nBonds;
      if (nAtoms < 0 || nBonds < 0) return "the MOL record's counts cannot be read";
      if (nAtoms > kMaxLayoutAtoms) {
        return "the MOL record announces " + std::to_string(nAtoms) + " atoms, more than the " +
               std::to_string(kMaxLayoutAtoms) + " that can be laid out";
      }
      if (static_cast<long long>(lines.size()) < nAtoms + nBonds)
        return "the MOL record is shorter than its counts line says";
      return {};
    }
    return "the V3000 MOL record has no COUNTS line";
  }
  const auto field = [&](std::size_t nAt) -> long long {
    if (counts.size() < nAt + 3) return -1;
    const std::string s(Trimmed(counts.substr(nAt, 3)));
    if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return -1;
    return std::stoll(s);
  };
  const long long nAtoms = field(0);
  const long long nBonds = field(3);
  if (nAtoms < 0 || nBonds < 0) return "the MOL record's counts line cannot be read";
  if (nAtoms > kMaxLayoutAtoms) {
    return "the MOL record announces " + std::to_string(nAtoms) + " atoms, more than the " +
           std::to_string(kMaxLayoutAtoms) + " that can be laid out";
  }
  if (static_cast<long long>(lines.size()) < 4 + nAtoms + nBonds)
    return "the MOL record is shorter than its counts line says";
  return {};
}

std::string Reason(const std::exception& e) {
  std::string s = e.what();
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s.empty() ? "RDKit refused it" : s;
}

// ---------------------------------------------------------------------------------------
// From an RDKit molecule to a laid-out molecule of ours.

bool HasUsable2D(const ROMol& mol) {
  if (mol.getNumConformers() == 0) return false;
  const RDKit::Conformer& conf = mol.getConformer();
  if (conf.is3D()) return false;
  if (mol.getNumAtoms() < 2) return true;
  for (const RDGeom::Point3D& p : conf.getPositions())
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || std::abs(p.z) > 1e-4) return false;
  double dMax = 0.0;
  for (const RDGeom::Point3D& p : conf.getPositions())
    dMax = std::max({dMax, std::abs(p.x), std::abs(p.y)});
  return dMax > 1e-4;
}

// The median bond length of the conformer, or 0 without bonds.
double MedianBond(const ROMol& mol, const RDKit::Conformer& conf) {
  std::vector<double> lengths;
  lengths.reserve(mol.getNumBonds());
  for (const Bond* b : mol.bonds()) {
    const RDGeom::Point3D& p = conf.getAtomPos(b->getBeginAtomIdx());
    const RDGeom::Point3D& q = conf.getAtomPos(b->getEndAtomIdx());
    lengths.push_back(std::hypot(p.x - q.x, p.y - q.y));
  }
  if (lengths.empty()) return 0.0;
  std::nth_element(lengths.begin(), lengths.begin() + lengths.size() / 2, lengths.end());
  return lengths[lengths.size() / 2];
}

// Whether two atoms stand closer than kMinAtomDistance once scaled (quadratic, but only
// for molecules of at most kMaxLayoutAtoms atoms).
bool AtomsCrowded(const RDKit::Conformer& conf, double dScale) {
  const std::vector<RDGeom::Point3D>& pos = conf.getPositions();
  const double dMin = kMinAtomDistance / dScale;
  for (std::size_t i = 0; i < pos.size(); ++i)
    for (std::size_t j = i + 1; j < pos.size(); ++j)
      if (std::hypot(pos[i].x - pos[j].x, pos[i].y - pos[j].y) < dMin) return true;
  return false;
}

// CoordGen's macrocycle builder tries the ways a large ring lies on a grid, and their number
// grows exponentially with its size: half a second at 28 atoms, seconds at 32, minutes at
// 40 and more. A ring beyond this is laid out by RDKit's own depictor.
constexpr std::size_t kMaxCoordGenRing = 30;

// The atoms of the largest smallest ring (the molecule's rings are perceived, which is
// bounded by kMaxLayoutAtoms and kMaxLayoutRings).
std::size_t LargestRing(const ROMol& mol) {
  const RDKit::RingInfo* pRings = mol.getRingInfo();
  if (pRings == nullptr) return 0;
  if (!pRings->isInitialized()) RDKit::MolOps::findSSSR(mol);
  std::size_t n = 0;
  for (const std::vector<int>& ring : pRings->atomRings()) n = std::max(n, ring.size());
  return n;
}

// How many hydrogens the element alone would take with this charge and these bonds.
std::vector<int> ImpliedHydrogens(const RWMol& mol) {
  RWMol bare(mol);
  for (Atom* a : bare.atoms()) {
    a->setNoImplicit(false);
    a->setNumExplicitHs(0);
    a->setNumRadicalElectrons(0);
  }
  bare.updatePropertyCache(false);
  std::vector<int> out;
  for (const Atom* a : bare.atoms()) out.push_back(static_cast<int>(a->getTotalNumHs()));
  return out;
}

// The ring the second line of a double bond goes toward: the smallest ring holding the
// bond, and of those the one with the most double bonds.
void AddRingCentres(const RWMol& mol, const RDKit::Conformer& conf, double dScale,
                    CLaidOutMolecule& out) {
  const RDKit::RingInfo* pRings = mol.getRingInfo();
  if (pRings == nullptr || !pRings->isInitialized()) return;
  const RDKit::VECT_INT_VECT& bondRings = pRings->bondRings();
  const RDKit::VECT_INT_VECT& atomRings = pRings->atomRings();
  std::vector<int> best(mol.getNumBonds(), -1);
  std::vector<int> doubles(bondRings.size(), 0);
  for (std::size_t r = 0; r < bondRings.size(); ++r)
    for (int b : bondRings[r])
      if (mol.getBondWithIdx(static_cast<unsigned>(b))->getBondType() == Bond::DOUBLE) ++doubles[r];
  for (std::size_t r = 0; r < bondRings.size(); ++r) {
    for (int b : bondRings[r]) {
      int& k = best[static_cast<std::size_t>(b)];
      const auto better = [&](std::size_t x, std::size_t y) {
        if (bondRings[x].size() != bondRings[y].size())
          return bondRings[x].size() < bondRings[y].size();
        return doubles[x] > doubles[y];
      };
      if (k < 0 || better(r, static_cast<std::size_t>(k))) k = static_cast<int>(r);
    }
  }
  for (std::size_t b = 0; b < best.size(); ++b) {
    if (best[b] < 0) continue;
    double x = 0.0;
    double y = 0.0;
    const std::vector<int>& ring = atomRings[static_cast<std::size_t>(best[b])];
    for (int a : ring) {
      x += conf.getAtomPos(static_cast<unsigned>(a)).x;
      y += conf.getAtomPos(static_cast<unsigned>(a)).y;
    }
    CLaidOutBond& bond = out.bonds[b];
    bond.bInRing = true;
    bond.dRingX = x / static_cast<double>(ring.size()) * dScale;
    bond.dRingY = y / static_cast<double>(ring.size()) * dScale;
  }
}

// A double bond whose geometry the source leaves open is drawn with a wavy bond at one end,
// as chemists mark it: any geometry drawn plainly would read as E or Z.
void MarkOpenDoubleBonds(RWMol& mol, std::unordered_set<unsigned>& wavy) {
  RWMol probe(mol);
  std::vector<RDKit::Chirality::StereoInfo> stereo;
  try {
    stereo = RDKit::Chirality::findPotentialStereo(probe, false, true);
  } catch (...) {
    return;
  }
  for (const RDKit::Chirality::StereoInfo& info : stereo) {
    if (info.type != RDKit::Chirality::StereoType::Bond_Double ||
        info.specified != RDKit::Chirality::StereoSpecified::Unspecified ||
        info.centeredOn >= mol.getNumBonds())
      continue;
    const Bond* pDouble = mol.getBondWithIdx(info.centeredOn);
    if (pDouble->getStereo() > Bond::STEREOANY) continue;
    Bond* pBest = nullptr;
    for (const Atom* pEnd : {pDouble->getBeginAtom(), pDouble->getEndAtom()}) {
      for (Bond* b : mol.atomBonds(pEnd)) {
        if (b == pDouble || b->getBondType() != Bond::SINGLE || b->getBondDir() != Bond::NONE)
          continue;
        // The curve starts at the double bond.
        if (b->getBeginAtomIdx() != pEnd->getIdx()) {
          const unsigned other = b->getBeginAtomIdx();
          b->setBeginAtomIdx(pEnd->getIdx());
          b->setEndAtomIdx(other);
        }
        if (pBest == nullptr || (!mol.getRingInfo()->numBondRings(b->getIdx()) &&
                                 mol.getRingInfo()->numBondRings(pBest->getIdx())))
          pBest = b;
      }
    }
    if (pBest != nullptr) wavy.insert(pBest->getIdx());
  }
}

// Whether the molecule's own coordinates are set aside for a layout of ours: asked for,
// missing, or with atoms crowded together at the drawn bond length.
bool NeedsFreshLayout(const RWMol& mol, bool bFresh) {
  if (bFresh || !HasUsable2D(mol)) return true;
  const double d = MedianBond(mol, mol.getConformer());
  return mol.getNumBonds() > 0 && (!(d > 1e-3) || AtomsCrowded(mol.getConformer(), kBondUnits / d));
}

// The single bonds the source marks as of unknown direction.
std::unordered_set<unsigned> StatedWavyBonds(const RWMol& mol) {
  std::unordered_set<unsigned> wavy;
  for (const Bond* b : mol.bonds()) {
    if (b->getBondType() == Bond::SINGLE && b->getBondDir() == Bond::UNKNOWN)
      wavy.insert(b->getIdx());
    if (b->getBondType() == Bond::SINGLE && b->hasProp(RDKit::common_properties::_UnknownStereo))
      wavy.insert(b->getIdx());
  }
  return wavy;
}

void ComputeFreshLayout(RWMol& mol) {
  if (mol.getNumAtoms() == 1) {
    mol.clearConformers();
    auto* pConf = new RDKit::Conformer(1);
    pConf->set3D(false);
    mol.addConformer(pConf, true);
    return;
  }
  // CoordGen first; RDKit's own depictor when CoordGen crowds atoms together (bridged
  // ring systems), and alone for a ring beyond CoordGen's reach.
  const bool bCoordGen = LargestRing(mol) <= kMaxCoordGenRing;
  RDDepict::compute2DCoords(mol, nullptr, true, true, 0, 0, 0, false, !bCoordGen);
  const double d = MedianBond(mol, mol.getConformer());
  if (bCoordGen && d > 1e-3 && AtomsCrowded(mol.getConformer(), kBondUnits / d)) {
    RWMol other(mol);
    RDDepict::compute2DCoords(other, nullptr, true, true, 0, 0, 0, false, true);
    const double e = MedianBond(other, other.getConformer());
    if (e > 1e-3 && !AtomsCrowded(other.getConformer(), kBondUnits / e))
      mol.getConformer().getPositions() = other.getConformer().getPositions();
  }
}

// Where the drawn molecule is put and how large: its own middle goes to the origin, and
// its coordinates are multiplied by dScale.
struct LayoutFrame {
  double cx = 0.0;
  double cy = 0.0;
  double dScale = 1.0;
};

LayoutFrame FrameOf(const RWMol& mol, const RDKit::Conformer& conf) {
  LayoutFrame f;
  const double dMedian = MedianBond(mol, conf);
  f.dScale = dMedian > 1e-3 ? kBondUnits / dMedian : kBondUnits / 1.5;
  for (const RDGeom::Point3D& p : conf.getPositions()) {
    f.cx += p.x;
    f.cy += p.y;
  }
  f.cx /= std::max<double>(1.0, static_cast<double>(mol.getNumAtoms()));
  f.cy /= std::max<double>(1.0, static_cast<double>(mol.getNumAtoms()));
  return f;
}

CLaidOutAtom LaidOutAtom(const Atom& a, int nImplied, const RDGeom::Point3D& p,
                         const LayoutFrame& f) {
  CLaidOutAtom x;
  x.strSymbol = a.getAtomicNum() == 0 ? std::string() : a.getSymbol();
  if (a.getAtomicNum() == 0) {
    std::string label;
    if (a.getPropIfPresent(RDKit::common_properties::dummyLabel, label) && label != "*")
      x.strSymbol = label;
  }
  x.nHydrogens = static_cast<int>(a.getTotalNumHs());
  x.bHydrogensImplied = nImplied == x.nHydrogens;
  x.nCharge = a.getFormalCharge();
  x.nIsotope = static_cast<int>(a.getIsotope());
  x.x = (p.x - f.cx) * f.dScale;
  x.y = (p.y - f.cy) * f.dScale;
  return x;
}

CLaidOutBond LaidOutBond(const Bond& b, const std::unordered_set<unsigned>& wavy) {
  CLaidOutBond x;
  x.nA = static_cast<int>(b.getBeginAtomIdx());
  x.nB = static_cast<int>(b.getEndAtomIdx());
  switch (b.getBondType()) {
    case Bond::DOUBLE:
      x.order = CBondOrder::Double;
      break;
    case Bond::TRIPLE:
      x.order = CBondOrder::Triple;
      break;
    default:
      break;
  }
  // A wedge's begin atom is its stereocentre.
  if (b.getBondDir() == Bond::BEGINWEDGE) x.stereo = CBondStereo::Wedge;
  if (b.getBondDir() == Bond::BEGINDASH) x.stereo = CBondStereo::Hash;
  if (x.stereo == CBondStereo::None && wavy.count(b.getIdx())) x.stereo = CBondStereo::Wavy;
  return x;
}

}  // namespace

std::string LayOutMolecule(RWMol& mol, bool bFresh, CLaidOutMolecule& out) {
  if (std::string s = SizeProblem(mol); !s.empty()) return s;
  // A wavy bond is a fact about the molecule; the other directions follow the layout.
  std::unordered_set<unsigned> wavy = StatedWavyBonds(mol);
  if (NeedsFreshLayout(mol, bFresh)) ComputeFreshLayout(mol);
  const RDKit::Conformer& conf = mol.getConformer();
  for (Bond* b : mol.bonds()) b->setBondDir(Bond::NONE);
  RDKit::WedgeMolBonds(mol, &conf);
  MarkOpenDoubleBonds(mol, wavy);
  RDKit::MolOps::Kekulize(mol, true);
  const LayoutFrame frame = FrameOf(mol, conf);
  const std::vector<int> implied = ImpliedHydrogens(mol);
  for (const Atom* a : mol.atoms())
    out.atoms.push_back(LaidOutAtom(*a, implied[a->getIdx()], conf.getAtomPos(a->getIdx()), frame));
  for (const Bond* b : mol.bonds()) out.bonds.push_back(LaidOutBond(*b, wavy));
  // The ring centres in the molecule's own frame, as the atoms.
  AddRingCentres(mol, conf, frame.dScale, out);
  for (CLaidOutBond& b : out.bonds) {
    if (!b.bInRing) continue;
    b.dRingX -= frame.cx * frame.dScale;
    b.dRingY -= frame.cy * frame.dScale;
  }
  return {};
}

namespace {

// Adds each connected part of a read molecule as a molecule of its own.
std::string AddMolecule(std::unique_ptr<RWMol> pMol, CImportedStructure& out) {
  if (!pMol) return "RDKit read no molecule";
  if (pMol->getNumAtoms() == 0) return {};
  std::vector<std::unique_ptr<RWMol>> parts;
  std::vector<int> frags;
  if (RDKit::MolOps::getMolFrags(*pMol, frags) <= 1) {
    parts.push_back(std::move(pMol));
  } else {
    for (const boost::shared_ptr<ROMol>& p : RDKit::MolOps::getMolFrags(*pMol, false))
      parts.push_back(std::make_unique<RWMol>(*p));
  }
  for (std::unique_ptr<RWMol>& p : parts) {
    if (static_cast<int>(out.molecules.size()) >= kMaxImportMolecules) {
      out.warnings.push_back("only the first " + std::to_string(kMaxImportMolecules) +
                             " molecules were read");
      return {};
    }
    CLaidOutMolecule m;
    if (std::string s = LayOutMolecule(*p, false, m); !s.empty()) return s;
    out.molecules.push_back(std::move(m));
  }
  return {};
}

int AtomTotal(const CImportedStructure& s) {
  int n = 0;
  for (const CLaidOutMolecule& m : s.molecules) n += static_cast<int>(m.atoms.size());
  return n;
}

// An upper bound, give or take a two-letter symbol, of the atoms of the largest molecule in
// a SMILES, counted without parsing it: parsing 100 000 atoms takes seconds.
std::size_t LargestSmilesPart(std::string_view smiles) {
  std::size_t nLargest = 0;
  std::size_t nAtoms = 0;
  bool bBracket = false;
  for (char c : smiles) {
    if (c == '[') {
      bBracket = true;
      ++nAtoms;
    } else if (c == ']') {
      bBracket = false;
    } else if (!bBracket && (c == '.' || c == '>')) {
      nAtoms = 0;
    } else if (!bBracket && ((c >= 'A' && c <= 'Z') || c == 'b' || c == 'c' || c == 'n' ||
                             c == 'o' || c == 'p' || c == 's')) {
      ++nAtoms;
    }
    nLargest = std::max(nLargest, nAtoms);
  }
  return nLargest;
}

// A SMILES read with its size checked before sanitizing, which perceives rings.
std::unique_ptr<RWMol> ParseSmiles(const std::string& strSmiles, std::string* pProblem) {
  if (const std::size_t n = LargestSmilesPart(strSmiles);
      n > 2 * static_cast<std::size_t>(kMaxLayoutAtoms)) {
    *pProblem = "a molecule of about " + std::to_string(n) + " atoms is more than the " +
                std::to_string(kMaxLayoutAtoms) + " that can be laid out";
    return nullptr;
  }
  std::unique_ptr<RWMol> pRaw(RDKit::SmilesToMol(strSmiles, 0, false));
  if (!pRaw) {
    *pProblem = "'" + strSmiles.substr(0, 60) + (strSmiles.size() > 60 ? "..." : "") +
                "' is not valid SMILES";
    return nullptr;
  }
  for (const boost::shared_ptr<ROMol>& p : RDKit::MolOps::getMolFrags(*pRaw, false)) {
    if (std::string s = SizeProblem(*p); !s.empty()) {
      *pProblem = s;
      return nullptr;
    }
  }
  RDKit::MolOps::sanitizeMol(*pRaw);
  RDKit::MolOps::assignStereochemistry(*pRaw, true, true);
  std::unique_ptr<RWMol> pMol(new RWMol(*pRaw));
  RDKit::MolOps::removeHs(*pMol);
  return pMol;
}

std::unique_ptr<RWMol> ParseMolBlock(std::string_view block, std::string* pProblem) {
  if (std::string s = MolBlockProblem(block); !s.empty()) {
    *pProblem = s;
    return nullptr;
  }
  std::unique_ptr<RWMol> p(RDKit::MolBlockToMol(std::string(block), true, true, false));
  if (!p) *pProblem = "RDKit read no molecule from the MOL record";
  return p;
}

// --- the readers of each kind; each fills out or sets out.strError ---

void ReadMol(std::string_view text, CImportedStructure& out) {
  std::string strProblem;
  std::unique_ptr<RWMol> p = ParseMolBlock(text, &strProblem);
  if (!p) {
    out.strError = strProblem;
    return;
  }
  out.strError = AddMolecule(std::move(p), out);
}

void ReadSdf(std::string_view text, CImportedStructure& out, const WorkProgress& progress) {
  std::size_t nAt = 0;
  int nRecord = 0;
  const std::int64_t nTotal = static_cast<std::int64_t>(text.size());
  while (nAt < text.size()) {
    std::size_t nEnd = text.find("$$$$", nAt);
    const std::string_view record =
        text.substr(nAt, nEnd == std::string_view::npos ? std::string_view::npos : nEnd - nAt);
    nAt = nEnd == std::string_view::npos ? text.size() : text.find('\n', nEnd);
    nAt = nAt == std::string_view::npos ? text.size() : nAt + 1;
    if (Trimmed(record).empty()) continue;
    ++nRecord;
    // The record's MOL block ends at "M  END"; the data fields after it are not ours.
    std::size_t nMolEnd = record.find("M  END");
    const std::string_view block =
        nMolEnd == std::string_view::npos ? record : record.substr(0, nMolEnd + 6);
    // A record may begin with the line end left by the previous "$$$$".
    std::string_view clean = block;
    if (!clean.empty() && clean.front() == '\n') clean.remove_prefix(1);
    std::string strProblem;
    std::unique_ptr<RWMol> p = ParseMolBlock(clean, &strProblem);
    if (!p) {
      out.strError = "record " + std::to_string(nRecord) + ": " + strProblem;
      return;
    }
    if (std::string s = AddMolecule(std::move(p), out); !s.empty()) {
      out.strError = "record " + std::to_string(nRecord) + ": " + s;
      return;
    }
    if (!out.warnings.empty()) return;  // the molecule limit
    if (AtomTotal(out) > kMaxImportAtoms) {
      out.warnings.push_back("reading stopped after " + std::to_string(out.molecules.size()) +
                             " molecules, " + std::to_string(AtomTotal(out)) + " atoms");
      return;
    }
    if (progress && !progress(static_cast<std::int64_t>(nAt), nTotal)) {
      out.bCancelled = true;
      return;
    }
  }
}

// One reaction, from an RXN file or a reaction SMILES.
void ReadReaction(const RDKit::ChemicalReaction& rxn, CImportedStructure& out) {
  out.bReaction = true;
  const auto side = [&](const RDKit::MOL_SPTR_VECT& mols, std::vector<int>& indices) {
    for (const RDKit::ROMOL_SPTR& t : mols) {
      if (!out.strError.empty()) return;
      auto p = std::make_unique<RWMol>(*t);
      for (Atom* a : p->atoms()) a->setAtomMapNum(0);
      if (std::string s = SizeProblem(*p); !s.empty()) {
        out.strError = s;
        return;
      }
      RDKit::MolOps::sanitizeMol(*p);
      RDKit::MolOps::assignStereochemistry(*p, true, true);
      RDKit::MolOps::removeHs(*p);
      const std::size_t nBefore = out.molecules.size();
      out.strError = AddMolecule(std::move(p), out);
      for (std::size_t k = nBefore; k < out.molecules.size(); ++k)
        indices.push_back(static_cast<int>(k));
    }
  };
  side(rxn.getReactants(), out.reactants);
  side(rxn.getAgents(), out.agents);
  side(rxn.getProducts(), out.products);
}

// An MDL RXN file (V2000), taken apart here and each of its MOL records read as a MOL file
// is: RDKit's own RXN reader keeps what it read when a later record throws.
void ReadRxn(std::string_view text, CImportedStructure& out) {
  const std::vector<std::string_view> lines = Lines(text);
  if (lines.empty() || lines[0].substr(0, 4) != "$RXN") {
    out.strError = "an RXN file begins with $RXN";
    return;
  }
  if (lines[0].find("V3000") != std::string_view::npos) {
    out.strError = "V3000 reaction files are not read";
    return;
  }
  if (lines.size() < 5) {
    out.strError = "the RXN file has no counts line";
    return;
  }
  const auto count = [&](std::size_t nAt) -> int {
    const std::string_view line = lines[4];
    if (line.size() < nAt + 3) return 0;
    const std::string field(Trimmed(line.substr(nAt, 3)));
    if (field.empty() || field.size() > 3 ||
        !std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return -1;
    return std::stoi(field);
  };
  const int nReactants = count(0);
  const int nProducts = count(3);
  const int nAgents = count(6);
  if (nReactants < 0 || nProducts < 0 || nAgents < 0) {
    out.strError = "the RXN file's counts line cannot be read";
    return;
  }
  // The MOL records, each after a "$MOL" line.
  std::vector<std::string> blocks;
  for (std::size_t n = 5; n < lines.size(); ++n) {
    if (lines[n].substr(0, 4) == "$MOL") {
      blocks.emplace_back();
      continue;
    }
    if (blocks.empty()) continue;
    blocks.back().append(lines[n]).push_back('\n');
  }
  if (static_cast<int>(blocks.size()) != nReactants + nProducts + nAgents) {
    out.strError = "the RXN file announces " + std::to_string(nReactants + nProducts + nAgents) +
                   " molecules and holds " + std::to_string(blocks.size());
    return;
  }
  RDKit::ChemicalReaction rxn;
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    std::string strProblem;
    std::unique_ptr<RWMol> p = ParseMolBlock(blocks[k], &strProblem);
    if (!p) {
      out.strError = "molecule " + std::to_string(k + 1) + ": " + strProblem;
      return;
    }
    const RDKit::ROMOL_SPTR mol(p.release());
    const int n = static_cast<int>(k);
    if (n < nReactants) {
      rxn.addReactantTemplate(mol);
    } else if (n < nReactants + nProducts) {
      rxn.addProductTemplate(mol);
    } else {
      rxn.addAgentTemplate(mol);
    }
  }
  ReadReaction(rxn, out);
}

void ReadSmilesLines(std::string_view text, CImportedStructure& out, const WorkProgress& progress) {
  const std::vector<std::string_view> lines = Lines(text);
  const std::int64_t nTotal = static_cast<std::int64_t>(lines.size());
  for (std::size_t n = 0; n < lines.size(); ++n) {
    const std::string_view line = Trimmed(lines[n]);
    if (line.empty() || line.front() == '#') continue;
    // The SMILES is the first word; a name may follow it.
    std::string strWord(line.substr(0, line.find_first_of(" \t")));
    if (n == 0 && Lower(strWord) == "smiles") continue;  // a column header
    const std::string strAt = lines.size() > 1 ? "line " + std::to_string(n + 1) + ": " : "";
    if (strWord.find('>') != std::string::npos) {
      if (!out.molecules.empty() || out.bReaction) {
        out.strError = strAt + "a reaction SMILES must stand alone";
        return;
      }
      if (LargestSmilesPart(strWord) > 2 * static_cast<std::size_t>(kMaxLayoutAtoms)) {
        out.strError = strAt + "a molecule of the reaction is more than the " +
                       std::to_string(kMaxLayoutAtoms) + " atoms that can be laid out";
        return;
      }
      std::unique_ptr<RDKit::ChemicalReaction> p(
          RDKit::RxnSmartsToChemicalReaction(strWord, nullptr, true));
      if (!p) {
        out.strError = strAt + "'" + strWord.substr(0, 60) + "' is not a reaction SMILES";
        return;
      }
      ReadReaction(*p, out);
      if (!out.strError.empty()) out.strError = strAt + out.strError;
      continue;
    }
    if (out.bReaction) {
      out.strError = strAt + "a reaction SMILES must stand alone";
      return;
    }
    std::string strProblem;
    std::unique_ptr<RWMol> p = ParseSmiles(strWord, &strProblem);
    if (!p) {
      out.strError = strAt + strProblem;
      return;
    }
    if (std::string s = AddMolecule(std::move(p), out); !s.empty()) {
      out.strError = strAt + s;
      return;
    }
    if (!out.warnings.empty()) return;
    if (AtomTotal(out) > kMaxImportAtoms) {
      out.warnings.push_back("reading stopped after line " + std::to_string(n + 1) + ", " +
                             std::to_string(AtomTotal(out)) + " atoms");
      return;
    }
    if (progress && !progress(static_cast<std::int64_t>(n + 1), nTotal)) {
      out.bCancelled = true;
      return;
    }
  }
  if (out.molecules.empty() && out.strError.empty()) out.strError = "there is no SMILES in it";
}

void ReadCdxml(std::string_view text, CImportedStructure& out, const WorkProgress& progress) {
  std::istringstream in{std::string(text)};
  std::vector<std::unique_ptr<RWMol>> mols = RDKit::CDXMLDataStreamToMols(in, true, true);
  if (mols.empty()) {
    out.strError = "RDKit found no molecule in the CDXML document";
    return;
  }
  const std::int64_t nTotal = static_cast<std::int64_t>(mols.size());
  for (std::size_t k = 0; k < mols.size(); ++k) {
    if (std::string s = AddMolecule(std::move(mols[k]), out); !s.empty()) {
      out.strError = s;
      return;
    }
    if (!out.warnings.empty()) return;
    if (progress && !progress(static_cast<std::int64_t>(k + 1), nTotal)) {
      out.bCancelled = true;
      return;
    }
  }
}

}  // namespace

CStructureSource StructureSourceOfPath(const std::string& strPath) {
  const std::size_t nDot = strPath.find_last_of('.');
  const std::size_t nSlash = strPath.find_last_of('/');
  if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash)) {
    return CStructureSource::None;
  }
  const std::string ext = Lower(strPath.substr(nDot + 1));
  if (ext == "mol") return CStructureSource::Mol;
  if (ext == "sdf" || ext == "sd") return CStructureSource::Sdf;
  if (ext == "smi" || ext == "smiles") return CStructureSource::Smiles;
  if (ext == "rxn") return CStructureSource::Rxn;
  if (ext == "cdxml") return CStructureSource::Cdxml;
  return CStructureSource::None;
}

const char* StructureSourceName(CStructureSource source) {
  switch (source) {
    case CStructureSource::Mol:
      return "MOL";
    case CStructureSource::Sdf:
      return "SDF";
    case CStructureSource::Smiles:
      return "SMILES";
    case CStructureSource::Rxn:
      return "RXN";
    case CStructureSource::Cdxml:
      return "CDXML";
    case CStructureSource::None:
      break;
  }
  return nullptr;
}

CStructureSource StructureSourceOfContent(std::string_view text) {
  const std::string_view head = text.substr(0, 4096);
  const std::string_view trimmed = Trimmed(head);
  if (trimmed.substr(0, 5) == "<?xml" || trimmed.substr(0, 6) == "<CDXML") {
    return head.find("<CDXML") != std::string_view::npos ? CStructureSource::Cdxml
                                                         : CStructureSource::None;
  }
  const std::vector<std::string_view> lines = Lines(head);
  if (lines.size() < 4) return CStructureSource::None;
  const std::string_view counts = lines[3];
  if (counts.find("V2000") != std::string_view::npos ||
      counts.find("V3000") != std::string_view::npos) {
    return CStructureSource::Mol;
  }
  return CStructureSource::None;
}

CImportedStructure ImportStructure(std::string_view text, CStructureSource source,
                                   const WorkProgress& progress) {
  // CoordGen lays out macrocycles and E double bonds in rings as chemists draw them; the
  // choice is RDKit's global, made once.
  static const bool bCoordGen = (RDDepict::preferCoordGen = true);
  (void)bCoordGen;
  CImportedStructure out;
  try {
    switch (source) {
      case CStructureSource::Mol:
        ReadMol(text, out);
        break;
      case CStructureSource::Sdf:
        ReadSdf(text, out, progress);
        break;
      case CStructureSource::Smiles:
        ReadSmilesLines(text, out, progress);
        break;
      case CStructureSource::Rxn:
        ReadRxn(text, out);
        break;
      case CStructureSource::Cdxml:
        ReadCdxml(text, out, progress);
        break;
      case CStructureSource::None:
        out.strError = "the kind of structure is not known";
        break;
    }
  } catch (const std::bad_alloc&) {
    out.strError = "not enough memory";
  } catch (const std::exception& e) {
    out.strError = Reason(e);
  } catch (...) {
    out.strError = "RDKit refused it";
  }
  if (out.strError.empty() && !out.bCancelled && out.molecules.empty())
    out.strError = "there is no molecule in it";
  if (!out.strError.empty() || out.bCancelled) {
    const std::string strError = out.strError;
    const bool bCancelled = out.bCancelled;
    out = CImportedStructure{};
    out.strError = strError;
    out.bCancelled = bCancelled;
  }
  return out;
}

CImportedStructure ImportStructureText(std::string_view text) {
  if (StructureSourceOfContent(text) == CStructureSource::Mol)
    return ImportStructure(text, CStructureSource::Mol);
  // SMILES have no spaces inside them; prose does.
  for (std::string_view line : Lines(text)) {
    const std::string_view t = Trimmed(line);
    if (t.empty()) continue;
    const std::size_t nSpace = t.find_first_of(" \t");
    if (nSpace != std::string_view::npos &&
        t.substr(nSpace).find_first_not_of(" \t") != std::string_view::npos) {
      // A name after the SMILES is fine; more words than that is text.
      const std::string_view rest = Trimmed(t.substr(nSpace));
      if (rest.find_first_of(" \t") != std::string_view::npos) {
        CImportedStructure out;
        out.strError = "the text is neither a MOL record nor SMILES";
        return out;
      }
    }
  }
  CImportedStructure out = ImportStructure(text, CStructureSource::Smiles);
  return out;
}
