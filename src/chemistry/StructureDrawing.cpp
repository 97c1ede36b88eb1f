#include "chemistry/StructureDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

#include "chemistry/BondStyles.h"
#include "chemistry/LabelReading.h"
#include "formula/CFormula.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CGroup.h"

namespace {

// Room between molecules, and how far the lines of a bond (a double bond's second line, a
// wedge's wide end) reach beside the boxes of the atoms they join.
constexpr double kMoleculeGap = 500.0;
constexpr double kBondReach = 60.0;
// The reaction arrow: its shortest length, and the room around it and its "+" signs.
constexpr double kArrowMinLength = 1000.0;
constexpr double kArrowMargin = 250.0;
constexpr double kPlusWidth = 500.0;

// A box with y up: bottom below top.
struct Box {
  double l = std::numeric_limits<double>::infinity();
  double b = std::numeric_limits<double>::infinity();
  double r = -std::numeric_limits<double>::infinity();
  double t = -std::numeric_limits<double>::infinity();
  void Add(double x, double y) {
    l = std::min(l, x);
    r = std::max(r, x);
    b = std::min(b, y);
    t = std::max(t, y);
  }
  void Add(const Box& o) {
    Add(o.l, o.b);
    Add(o.r, o.t);
  }
  bool Empty() const { return !(l <= r); }
  double Width() const { return Empty() ? 0.0 : r - l; }
  double Height() const { return Empty() ? 0.0 : t - b; }
};

// The room a molecule takes as it is drawn: the boxes of its junctions and labels (a label
// as wide as its text), with the bonds' reach around them.
Box BoxOf(const CLaidOutMolecule& m) {
  Box box;
  if (m.atoms.empty()) return box;
  const std::unique_ptr<CGroup> pDrawn = DrawLaidOutMolecule(m, 0.0, 0.0);
  const CRect& rc = pDrawn->m_rcBounds;
  box.Add(rc.left - kBondReach, rc.bottom - kBondReach);
  box.Add(rc.right + kBondReach, rc.top + kBondReach);
  return box;
}

// Markup escapes for text that is not ours (a dummy atom's label).
std::string Escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '#' || c == '<' || c == '>') out += c;
    out += c;
  }
  return out;
}

bool IsJunction(const CLaidOutAtom& a, int nDegree) {
  return nDegree > 0 && a.strSymbol == "C" && a.nCharge == 0 && a.nIsotope == 0 &&
         a.bHydrogensImplied;
}

// Water, hydrogen sulfide and the hydrogen halides are written hydrogens first.
bool HydridesFirst(const CLaidOutAtom& a) {
  for (const char* p : {"O", "S", "Se", "Te", "F", "Cl", "Br", "I"})
    if (a.strSymbol == p) return true;
  return false;
}

CPoint At(double x, double y) { return CPoint{Round32(x), Round32(y)}; }

// Where a molecule's objects go: its own coordinates shifted by (dx, dy).
struct Placement {
  int nMolecule;
  double dx;
  double dy;
};

bool BondEndsInRange(const CLaidOutBond& b, std::size_t n) {
  return b.nA >= 0 && b.nB >= 0 && static_cast<std::size_t>(b.nA) < n &&
         static_cast<std::size_t>(b.nB) < n;
}

// What the labels of a molecule depend on: each atom's number of bonds, and whether every
// bond of it leads to the right (its hydrogens are then written before the element).
struct AtomSurroundings {
  std::vector<int> degree;
  std::vector<bool> allRight;
};

AtomSurroundings SurroundingsOf(const CLaidOutMolecule& m) {
  const std::size_t n = m.atoms.size();
  AtomSurroundings s{std::vector<int>(n, 0), std::vector<bool>(n, true)};
  for (const CLaidOutBond& b : m.bonds) {
    if (!BondEndsInRange(b, n)) continue;
    const CLaidOutAtom& a = m.atoms[b.nA];
    const CLaidOutAtom& c = m.atoms[b.nB];
    ++s.degree[b.nA];
    ++s.degree[b.nB];
    if (!(c.x > a.x + 1.0)) s.allRight[b.nA] = false;
    if (!(a.x > c.x + 1.0)) s.allRight[b.nB] = false;
  }
  return s;
}

// The object an atom becomes at (x, y): a junction where it needs no label, else a formula
// placed so that reading it finds the atom where it was laid out.
std::unique_ptr<CKVObject> AtomObject(const CLaidOutAtom& a, double x, double y, int nDegree,
                                      bool bAllRight) {
  if (!a.bLabel && a.strLabel.empty() && IsJunction(a, nDegree)) {
    auto pDot = std::make_unique<CDot>();
    pDot->MoveTo(At(x, y));
    return pDot;
  }
  auto pFormula = std::make_unique<CFormula>();
  pFormula->m_strText = !a.strLabel.empty()
                            ? a.strLabel
                            : AtomLabelMarkup(a, nDegree > 0 ? bAllRight : HydridesFirst(a));
  // The label stands where reading it looks for its atom.
  const CLabelReading r =
      nDegree > 0 ? ReadBondedLabel(pFormula->m_strText) : ReadFreeFormula(pFormula->m_strText);
  const std::vector<CLabelGlyph> glyphs = DecodeFormulaText(pFormula->m_strText);
  const auto [ox, oy] = EstimatedGlyphOffset(glyphs, r.nAttachGlyph);
  const CPoint anchor = At(x - ox, y - oy);
  pFormula->m_ptAnchor = anchor;
  pFormula->m_rcBounds =
      CRect{anchor.x, anchor.y, SatAdd(anchor.x, Round32(EstimatedTextWidth(glyphs))),
            SatAdd(anchor.y, Round32(-2.0 * kEstimatedHalfCellHeight))};
  return pFormula;
}

// The drawn style of bond b and the side its second line lies on.
void SetBondStyle(CCoupling& bond, const CLaidOutMolecule& m, const CLaidOutBond& b) {
  switch (b.order) {
    case CBondOrder::Double:
      bond.m_nStyle = b.bInRing ? kStyleDouble : kStyleCentredDouble;
      if (b.bInRing) {
        // The second line lies to the right of A -> B on side 1.
        const CLaidOutAtom& p = m.atoms[b.nA];
        const CLaidOutAtom& q = m.atoms[b.nB];
        const double nx = q.y - p.y;
        const double ny = p.x - q.x;
        const double dot = (b.dRingX - p.x) * nx + (b.dRingY - p.y) * ny;
        bond.m_nSide = dot >= 0.0 ? 1 : 2;
      }
      break;
    case CBondOrder::Triple:
      bond.m_nStyle = kStyleTriple;
      break;
    default:
      bond.m_nStyle = kStyleSingle;
      break;
  }
  if (b.stereo == CBondStereo::Wedge || b.stereo == CBondStereo::Hash) {
    // Side 1 has its narrow end at end B: the stereocentre.
    bond.m_nStyle = b.stereo == CBondStereo::Wedge ? kStyleWedge : kStyleHash;
    std::swap(bond.m_pEndA, bond.m_pEndB);
  } else if (b.stereo == CBondStereo::Wavy) {
    bond.m_nStyle = kStyleCurve;
  }
}

// Bond b between the objects its atoms became.
std::unique_ptr<CCoupling> BondObject(const CLaidOutMolecule& m, const CLaidOutBond& b,
                                      const std::vector<CKVObject*>& objects) {
  auto pBond = std::make_unique<CCoupling>();
  pBond->m_pEndA = objects[b.nA];
  pBond->m_pEndB = objects[b.nB];
  pBond->m_nSide = 1;
  pBond->m_nPenStyle = PS_SOLID;
  SetBondStyle(*pBond, m, b);
  return pBond;
}

}  // namespace

std::unique_ptr<CGroup> DrawLaidOutMolecule(const CLaidOutMolecule& m, double dx, double dy,
                                            std::vector<CKVObject*>* pAtomObjects) {
  auto pGroup = std::make_unique<CGroup>();
  const std::size_t n = m.atoms.size();
  const AtomSurroundings around = SurroundingsOf(m);
  std::vector<CKVObject*> objects(n, nullptr);
  for (std::size_t i = 0; i < n; ++i) {
    const CLaidOutAtom& a = m.atoms[i];
    std::unique_ptr<CKVObject> pAtom =
        AtomObject(a, a.x + dx, a.y + dy, around.degree[i], around.allRight[i]);
    objects[i] = pAtom.get();
    pGroup->AddChild(std::move(pAtom));
  }
  for (const CLaidOutBond& b : m.bonds) {
    if (BondEndsInRange(b, n) && b.nA != b.nB) pGroup->AddChild(BondObject(m, b, objects));
  }
  pGroup->RecalcBounds();
  pGroup->ResetDone();
  if (pAtomObjects != nullptr) *pAtomObjects = std::move(objects);
  return pGroup;
}

namespace {

std::unique_ptr<CFormula> PlusSign(double x, double y) {
  auto p = std::make_unique<CFormula>();
  p->m_strText = "+";
  const std::vector<CLabelGlyph> glyphs = DecodeFormulaText(p->m_strText);
  const double w = EstimatedTextWidth(glyphs);
  const CPoint anchor = At(x - w / 2.0, y + kEstimatedHalfCellHeight);
  p->m_ptAnchor = anchor;
  p->m_rcBounds = CRect{anchor.x, anchor.y, SatAdd(anchor.x, Round32(w)),
                        SatAdd(anchor.y, Round32(-2.0 * kEstimatedHalfCellHeight))};
  return p;
}

// Molecules in rows: all in one row up to four, else a square-ish grid, each centred in its
// cell.
std::vector<Placement> Grid(const CImportedStructure& s, const std::vector<Box>& boxes) {
  const int nCount = static_cast<int>(s.molecules.size());
  const int nColumns =
      nCount <= 4 ? nCount : static_cast<int>(std::ceil(std::sqrt(static_cast<double>(nCount))));
  std::vector<Placement> out;
  double dTop = 0.0;
  for (int nRowStart = 0; nRowStart < nCount; nRowStart += nColumns) {
    const int nRowEnd = std::min(nCount, nRowStart + nColumns);
    double dHeight = 0.0;
    for (int k = nRowStart; k < nRowEnd; ++k) dHeight = std::max(dHeight, boxes[k].Height());
    double x = 0.0;
    for (int k = nRowStart; k < nRowEnd; ++k) {
      const Box& b = boxes[k];
      out.push_back({k, x - b.l, dTop - dHeight / 2.0 - (b.b + b.t) / 2.0});
      x += b.Width() + kMoleculeGap;
    }
    dTop -= dHeight + kMoleculeGap;
  }
  return out;
}

}  // namespace

std::string AtomLabelMarkup(const CLaidOutAtom& a, bool bHydrogensFirst) {
  std::string strElement = a.strSymbol.empty() ? std::string("*") : Escaped(a.strSymbol);
  std::string strHydrogens;
  if (a.nHydrogens > 0) {
    strHydrogens = "H";
    if (a.nHydrogens > 1) strHydrogens += "#idown " + std::to_string(a.nHydrogens) + "# ";
  }
  std::string strCharge;
  if (a.nCharge != 0) {
    const int n = std::abs(a.nCharge);
    strCharge =
        "#iup " + (n > 1 ? std::to_string(n) : std::string()) + (a.nCharge > 0 ? "+" : "-") + "# ";
  }
  // An isotope stands before its element, so the hydrogens follow it.
  if (a.nIsotope > 0) {
    return "#iudl " + std::to_string(a.nIsotope) + "# # " + strElement + strHydrogens + strCharge;
  }
  if (bHydrogensFirst) return strHydrogens + strElement + strCharge;
  return strElement + strHydrogens + strCharge;
}

CObList DrawImportedStructure(const CImportedStructure& s, CPoint pt, CArrangeAt at) {
  CObList out;
  std::vector<Box> boxes;
  for (const CLaidOutMolecule& m : s.molecules) boxes.push_back(BoxOf(m));
  std::vector<Placement> placements;
  // The arrow (tail, head) and the "+" signs of a reaction.
  bool bArrow = false;
  double dTail = 0.0;
  double dHead = 0.0;
  std::vector<double> plusses;
  if (s.bReaction) {
    double x = 0.0;
    const auto row = [&](const std::vector<int>& side) {
      for (std::size_t k = 0; k < side.size(); ++k) {
        const int m = side[k];
        if (m < 0 || m >= static_cast<int>(boxes.size())) continue;
        if (k > 0) {
          plusses.push_back(x + kPlusWidth / 2.0);
          x += kPlusWidth;
        }
        placements.push_back({m, x - boxes[m].l, 0.0});
        x += boxes[m].Width();
      }
    };
    row(s.reactants);
    dTail = x + kArrowMargin;
    // The agents side by side above the arrow's middle, near enough to count as agents.
    double dAgentsWidth = 0.0;
    for (int m : s.agents)
      if (m >= 0 && m < static_cast<int>(boxes.size())) dAgentsWidth += boxes[m].Width();
    const double dLength = std::max(kArrowMinLength, dAgentsWidth + 2.0 * kArrowMargin);
    dHead = dTail + dLength;
    double xa = dTail + (dLength - dAgentsWidth) / 2.0;
    for (int m : s.agents) {
      if (m < 0 || m >= static_cast<int>(boxes.size())) continue;
      const double dLift = std::clamp(-boxes[m].b + 100.0, 250.0, 550.0);
      placements.push_back({m, xa - boxes[m].l, dLift});
      xa += boxes[m].Width();
    }
    bArrow = true;
    x = dHead + kArrowMargin;
    row(s.products);
  } else {
    placements = Grid(s, boxes);
  }
  // Everything moved to pt.
  Box all;
  for (const Placement& p : placements) {
    const Box& b = boxes[p.nMolecule];
    all.Add(b.l + p.dx, b.b + p.dy);
    all.Add(b.r + p.dx, b.t + p.dy);
  }
  if (bArrow) {
    all.Add(dTail, 0.0);
    all.Add(dHead, 0.0);
  }
  if (all.Empty()) return out;
  const double sx = pt.x - (at == CArrangeAt::Centre ? (all.l + all.r) / 2.0 : all.l);
  const double sy = pt.y - (at == CArrangeAt::Centre ? (all.b + all.t) / 2.0 : all.t);
  for (const Placement& p : placements)
    out.push_back(DrawLaidOutMolecule(s.molecules[p.nMolecule], p.dx + sx, p.dy + sy));
  for (double x : plusses) out.push_back(PlusSign(x + sx, sy));
  if (bArrow) {
    auto pTail = std::make_unique<CDot>();
    pTail->MoveTo(At(dTail + sx, sy));
    pTail->ResetDone();
    auto pHead = std::make_unique<CDot>();
    pHead->MoveTo(At(dHead + sx, sy));
    pHead->ResetDone();
    auto pArrow = std::make_unique<CCoupling>();
    pArrow->m_pEndA = pTail.get();
    pArrow->m_pEndB = pHead.get();
    pArrow->m_nStyle = kStyleArrow;
    pArrow->m_nSide = 2;  // the head at end B
    out.push_back(std::move(pTail));
    out.push_back(std::move(pHead));
    out.push_back(std::move(pArrow));
  }
  return out;
}
