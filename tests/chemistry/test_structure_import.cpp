// Structures coming in: read, drawn as our objects, and read back by the drawing's own rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "ChemDrawing.h"
#include "chemistry/LabelReading.h"
#include "chemistry/StructureDrawing.h"
#include "chemistry/StructureImport.h"

namespace {

struct CorpusEntry {
  std::string strSmiles;
  std::string strName;
};

std::vector<CorpusEntry> LoadCorpus() {
  std::ifstream in(std::string(VALENDRA_IMPORT_CORPUS) + "/roundtrip.smi");
  std::vector<CorpusEntry> out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    CorpusEntry e;
    words >> e.strSmiles >> e.strName;
    out.push_back(e);
  }
  return out;
}

// What a drawing made of an import reads as, and how its atoms lie.
struct DrawnReading {
  std::string strSmiles;  // every molecule's, joined by '.', canonical
  std::vector<std::string> warnings;
  double dMedianBond = 0.0;
  double dMinDistance = 1e300;
  CDrawingStructure structure;
  std::vector<std::string> reactionSmiles;
};

DrawnReading DrawAndRead(const CImportedStructure& s, ChemDrawing& d) {
  for (auto& p : DrawImportedStructure(s, CPoint{0, 0}))
    d.doc.m_listObjects.push_back(std::move(p));
  DrawnReading r;
  std::string joined;
  for (const std::string& smiles : d.Smiles()) joined += (joined.empty() ? "" : ".") + smiles;
  r.strSmiles = Canon(joined);
  r.warnings = d.Warnings();
  r.structure = d.Read();
  for (const CReactionStep& step : r.structure.steps)
    r.reactionSmiles.push_back(d.Set().ReactionSmiles(step));
  std::vector<double> lengths;
  for (const CChemBond& b : r.structure.bonds) {
    const CChemAtom& p = r.structure.atoms[b.nA];
    const CChemAtom& q = r.structure.atoms[b.nB];
    lengths.push_back(std::hypot(p.x - q.x, p.y - q.y));
  }
  if (!lengths.empty()) {
    std::sort(lengths.begin(), lengths.end());
    r.dMedianBond = lengths[lengths.size() / 2];
  }
  const std::vector<CChemAtom>& atoms = r.structure.atoms;
  for (std::size_t i = 0; i < atoms.size(); ++i)
    for (std::size_t j = i + 1; j < atoms.size(); ++j)
      r.dMinDistance =
          std::min(r.dMinDistance, std::hypot(atoms[i].x - atoms[j].x, atoms[i].y - atoms[j].y));
  return r;
}

// Why a drawing made of a corpus molecule falls short, or "" when it does not.
std::string Shortfall(const DrawnReading& r, const std::string& strExpected) {
  std::ostringstream why;
  if (r.strSmiles != strExpected) why << " reads as " << r.strSmiles << ";";
  if (!r.structure.bonds.empty() && std::abs(r.dMedianBond - 300.0) > 30.0)
    why << " median bond " << r.dMedianBond << ";";
  if (r.dMinDistance < 100.0) why << " two atoms " << r.dMinDistance << " apart;";
  for (const std::string& w : r.warnings) why << " warning: " << w << ";";
  return why.str();
}

// Reads each corpus molecule from the text made of it, draws it and reads the drawing; the
// ways any of them falls short.
template <typename MakeText>
std::vector<std::string> CorpusShortfalls(CStructureSource source, MakeText makeText) {
  std::vector<std::string> failures;
  for (const CorpusEntry& e : LoadCorpus()) {
    const CImportedStructure s = ImportStructure(makeText(e), source);
    if (!s.strError.empty()) {
      failures.push_back(e.strName + ": not read: " + s.strError);
      continue;
    }
    ChemDrawing d;
    const std::string why = Shortfall(DrawAndRead(s, d), Canon(e.strSmiles));
    if (!why.empty()) failures.push_back(e.strName + ":" + why);
  }
  return failures;
}

TEST(StructureImport, EveryCorpusSmilesIsDrawnAsItselfWellSpaced) {
  ASSERT_GE(LoadCorpus().size(), 150u);
  const std::vector<std::string> failures =
      CorpusShortfalls(CStructureSource::Smiles, [](const CorpusEntry& e) { return e.strSmiles; });
  EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
}

// The MOL record of each drawing, read in again: its coordinates kept, its wedges and
// double bonds drawn anew.
TEST(StructureImport, EveryCorpusMolRecordIsDrawnAsItself) {
  const std::vector<std::string> failures =
      CorpusShortfalls(CStructureSource::Mol, [](const CorpusEntry& e) {
        ChemDrawing first;
        DrawAndRead(ImportStructure(e.strSmiles, CStructureSource::Smiles), first);
        std::vector<int> all;
        for (std::size_t m = 0; m < first.Read().molecules.size(); ++m)
          all.push_back(static_cast<int>(m));
        const std::string block = first.Set().MolBlock(all, e.strName);
        EXPECT_EQ(StructureSourceOfContent(block), CStructureSource::Mol) << e.strName;
        return block;
      });
  EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
}

TEST(StructureImport, LabelsReadBackAsTheirAtoms) {
  struct Case {
    CLaidOutAtom atom;
    bool bHydrogensFirst;
    const char* pszMarkup;
  };
  const auto atom = [](const char* sym, int h, int charge, int iso) {
    CLaidOutAtom a;
    a.strSymbol = sym;
    a.nHydrogens = h;
    a.nCharge = charge;
    a.nIsotope = iso;
    return a;
  };
  const Case cases[] = {
      {atom("O", 1, 0, 0), false, "OH"},
      {atom("O", 1, 0, 0), true, "HO"},
      {atom("N", 2, 0, 0), false, "NH#idown 2# "},
      {atom("N", 2, 0, 0), true, "H#idown 2# N"},
      {atom("N", 3, 1, 0), false, "NH#idown 3# #iup +# "},
      {atom("N", 3, 1, 0), true, "H#idown 3# N#iup +# "},
      {atom("O", 0, -1, 0), false, "O#iup -# "},
      {atom("S", 0, -2, 0), false, "S#iup 2-# "},
      {atom("C", 3, 0, 13), true, "#iudl 13# # CH#idown 3# "},
      {atom("H", 0, 0, 2), false, "#iudl 2# # H"},
      {atom("Cl", 0, 0, 0), true, "Cl"},
      {atom("C", 2, 0, 0), false, "CH#idown 2# "},
  };
  for (const Case& c : cases) {
    const std::string markup = AtomLabelMarkup(c.atom, c.bHydrogensFirst);
    EXPECT_EQ(markup, c.pszMarkup);
    const CLabelReading r = ReadBondedLabel(markup);
    EXPECT_EQ(r.kind, CLabelReading::Kind::Atom) << markup;
    EXPECT_EQ(r.strSymbol, c.atom.strSymbol) << markup;
    EXPECT_EQ(std::max(r.nHydrogens, 0), c.atom.nHydrogens) << markup;
    EXPECT_EQ(r.nCharge, c.atom.nCharge) << markup;
    EXPECT_EQ(r.nIsotope, c.atom.nIsotope) << markup;
  }
}

// The objects of one group, by kind.
struct GroupParts {
  std::vector<CDot*> dots;
  std::vector<CFormula*> labels;
  std::vector<CCoupling*> bonds;
};

GroupParts PartsOf(CKVObject* p) {
  GroupParts out;
  CGroup* g = p->AsGroup();
  if (g == nullptr) return out;
  for (const auto& c : g->m_listChildren) {
    if (c->m_nKind == KIND_DOT) out.dots.push_back(static_cast<CDot*>(c.get()));
    if (CFormula* f = c->AsFormula()) out.labels.push_back(f);
    if (CCoupling* b = c->AsBond()) out.bonds.push_back(b);
  }
  return out;
}

TEST(StructureImport, RingsCarryTheirSecondLinesInsideAndChainsCentred) {
  const CImportedStructure s = ImportStructure("c1ccccc1C=C", CStructureSource::Smiles);
  ASSERT_EQ(s.strError, "");
  CObList objects = DrawImportedStructure(s, CPoint{1000, -2000});
  ASSERT_EQ(objects.size(), 1u) << "one molecule, one group";
  const GroupParts parts = PartsOf(objects.front().get());
  ASSERT_EQ(parts.dots.size(), 8u);
  EXPECT_TRUE(parts.labels.empty());
  double cx = 0.0;
  double cy = 0.0;
  int nRing = 0;
  int nRingDoubles = 0;
  int nCentred = 0;
  for (CCoupling* b : parts.bonds) {
    if (b->m_nStyle == 5) ++nCentred;
  }
  // The ring's centre: the middle of the junctions with two ring bonds... simply those of
  // the ring doubles and singles other than the vinyl group.
  for (CCoupling* b : parts.bonds) {
    if (b->m_nStyle != 2) continue;
    ++nRingDoubles;
    for (CKVObject* e : {b->m_pEndA, b->m_pEndB}) {
      cx += e->m_ptAnchor.x;
      cy += e->m_ptAnchor.y;
      ++nRing;
    }
  }
  ASSERT_EQ(nRingDoubles, 3);
  EXPECT_EQ(nCentred, 1) << "the vinyl double bond";
  cx /= nRing;
  cy /= nRing;
  for (CCoupling* b : parts.bonds) {
    if (b->m_nStyle != 2) continue;
    const CPoint a = b->m_pEndA->m_ptAnchor;
    const CPoint c = b->m_pEndB->m_ptAnchor;
    // Side 1 draws the second line to the right of A -> B.
    const double right = (cx - a.x) * (c.y - a.y) + (cy - a.y) * (a.x - c.x);
    EXPECT_EQ(b->m_nSide, right > 0 ? 1 : 2);
  }
  // The group stands where it was asked to.
  const CRect& box = objects.front()->m_rcBounds;
  EXPECT_NEAR((box.left + box.right) / 2.0, 1000.0, 300.0);
  EXPECT_NEAR((box.top + box.bottom) / 2.0, -2000.0, 300.0);
}

TEST(StructureImport, WedgesHaveTheirNarrowEndAtTheStereocentre) {
  const CImportedStructure s = ImportStructure("N[C@@H](C)C(=O)O", CStructureSource::Smiles);
  ASSERT_EQ(s.strError, "");
  CObList objects = DrawImportedStructure(s, CPoint{0, 0});
  const GroupParts parts = PartsOf(objects.front().get());
  int nWedges = 0;
  for (CCoupling* b : parts.bonds) {
    if (b->m_nStyle != 4 && b->m_nStyle != 7) continue;
    ++nWedges;
    // The narrow end is end B for side 1: the alpha carbon, the junction with three bonds.
    EXPECT_EQ(b->m_nSide, 1);
    int nBonds = 0;
    for (CCoupling* o : parts.bonds) nBonds += o->m_pEndA == b->m_pEndB || o->m_pEndB == b->m_pEndB;
    EXPECT_EQ(b->m_pEndB->m_nKind, KIND_DOT);
    EXPECT_EQ(nBonds, 3);
  }
  EXPECT_EQ(nWedges, 1);
}

TEST(StructureImport, SeveralMoleculesAndReactionsAreArrangedToReadBack) {
  {
    ChemDrawing d;
    const DrawnReading r = DrawAndRead(
        ImportStructure("CCO.c1ccccc1.[Na+].[Cl-]\nCC(=O)O", CStructureSource::Smiles), d);
    EXPECT_EQ(r.structure.molecules.size(), 5u);
    EXPECT_EQ(r.strSmiles, Canon("CCO.c1ccccc1.[Na+].[Cl-].CC(=O)O"));
    EXPECT_GE(r.dMinDistance, 100.0);
  }
  {
    ChemDrawing d;
    const DrawnReading r =
        DrawAndRead(ImportStructure("CC(=O)O.OCC>[H+]>CC(=O)OCC.O", CStructureSource::Smiles), d);
    ASSERT_EQ(r.structure.steps.size(), 1u);
    const CReactionStep& step = r.structure.steps[0];
    EXPECT_EQ(step.reactants.size(), 2u);
    EXPECT_EQ(step.agents.size(), 1u);
    EXPECT_EQ(step.products.size(), 2u);
    ASSERT_EQ(r.reactionSmiles.size(), 1u);
    EXPECT_EQ(r.reactionSmiles[0], Canon("CC(=O)O.CCO") + ">[H+]>" + Canon("CCOC(C)=O.O"));
    // The same step as an RXN file comes back as the same reaction.
    ChemDrawing e;
    const DrawnReading fromRxn =
        DrawAndRead(ImportStructure(d.Set().RxnBlock(step), CStructureSource::Rxn), e);
    ASSERT_EQ(fromRxn.reactionSmiles.size(), 1u);
    EXPECT_EQ(fromRxn.reactionSmiles[0], r.reactionSmiles[0]);
  }
}

// Whether the segment p-q passes through the box (y up: top above bottom), widened by d.
bool SegmentMeetsBox(CPoint p, CPoint q, const CRect& box, double d) {
  const double l = box.left - d;
  const double r = box.right + d;
  const double b = box.bottom - d;
  const double t = box.top + d;
  for (int k = 0; k <= 64; ++k) {
    const double x = p.x + (q.x - p.x) * k / 64.0;
    const double y = p.y + (q.y - p.y) * k / 64.0;
    if (x >= l && x <= r && y >= b && y <= t) return true;
  }
  return false;
}

TEST(StructureImport, PlusSignsKeepClearOfWideAndLargeReactants) {
  // Reactants whose labels reach far beyond their atoms (charges, long hydrogen counts)
  // and a large one whose width no fixed estimate of a box would guess.
  for (const char* smiles :
       {"[SiH2+]CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC[SiH2+].[SiH3+].[NH4+]>>CC",
        "C[N+](C)(C)CCCCCCCCCCCCCCCCCCCCCCCCCCCCC[N+](C)(C)C.[O-]S(=O)(=O)C(F)(F)F>>CC",
        "[NH3+]CC(=O)[O-].[NH3+]CC(=O)[O-].OS(=O)(=O)O>>NCC(=O)NCC(=O)O",
        "CC(C)(C)OC(=O)N[C@@H](Cc1ccccc1)C(=O)N[C@@H](CC(C)C)C(=O)OC.[Li+].[OH-]>>CCO"}) {
    const CImportedStructure s = ImportStructure(smiles, CStructureSource::Smiles);
    ASSERT_EQ(s.strError, "") << smiles;
    CObList objects = DrawImportedStructure(s, CPoint{0, 0});
    std::vector<CFormula*> plusses;
    std::vector<CGroup*> groups;
    for (const auto& p : objects) {
      if (CGroup* g = p->AsGroup()) groups.push_back(g);
      if (CFormula* f = p->AsFormula(); f != nullptr && f->m_strText == "+") plusses.push_back(f);
    }
    ASSERT_EQ(plusses.size(), s.reactants.size() + s.products.size() - 2) << smiles;
    for (CFormula* plus : plusses) {
      for (CGroup* g : groups) {
        for (const auto& c : g->m_listChildren) {
          if (CCoupling* b = c->AsBond()) {
            EXPECT_FALSE(SegmentMeetsBox(b->m_pEndA->m_ptAnchor, b->m_pEndB->m_ptAnchor,
                                         plus->m_rcBounds, 40))
                << smiles << ": a bond runs through a '+'";
          } else {
            const CRect& a = c->m_rcBounds;
            const CRect& q = plus->m_rcBounds;
            EXPECT_TRUE(a.right < q.left || q.right < a.left || a.top < q.bottom ||
                        q.top < a.bottom)
                << smiles << ": '" << (c->AsFormula() ? c->AsFormula()->m_strText : "junction")
                << "' overlaps a '+'";
          }
        }
      }
    }
  }
}

TEST(StructureImport, BadTextIsRefusedWithAReasonAndNothingElse) {
  const std::string strHugeMol =
      "huge\n  made by hand\n\n  0  0  0     0  0            999 V3000\nM  V30 BEGIN CTAB\n"
      "M  V30 COUNTS 1000000000 0 0 0 0\nM  V30 END CTAB\nM  END\n";
  const std::string strLongChain(100000, 'C');
  const struct {
    std::string text;
    CStructureSource source;
    const char* pszReason;  // a part of the reason given
  } cases[] = {
      {"C1CC(", CStructureSource::Smiles, "not valid SMILES"},
      {"", CStructureSource::Smiles, "no SMILES"},
      {"CC\nnot(smiles\n", CStructureSource::Smiles, "line 2"},
      {"C[N](C)(C)(C)C", CStructureSource::Smiles, "valence"},
      {strHugeMol, CStructureSource::Mol, "1000000000 atoms"},
      {"x\ny\n\n  3  2  0\n", CStructureSource::Mol, "shorter"},
      {strLongChain, CStructureSource::Smiles, "100000 atoms"},
      {"<?xml version=\"1.0\"?><CDXML><page></page></CDXML>", CStructureSource::Cdxml, ""},
      {"$$$$\nnonsense\n$$$$\n", CStructureSource::Sdf, "record 1"},
      {"not a reaction", CStructureSource::Rxn, "$RXN"},
      {"$RXN\n\n  x\n\n  2  2  1\n$MOL\n", CStructureSource::Rxn, "announces 5"},
  };
  for (const auto& c : cases) {
    const CImportedStructure s = ImportStructure(c.text, c.source);
    EXPECT_TRUE(s.molecules.empty()) << c.text.substr(0, 40);
    EXPECT_NE(s.strError.find(c.pszReason), std::string::npos)
        << c.text.substr(0, 40) << " -> " << s.strError;
  }
  // Clipboard text: prose is neither a MOL record nor SMILES.
  EXPECT_NE(ImportStructureText("the reaction was stirred overnight").strError, "");
  EXPECT_EQ(ImportStructureText("CCO ethanol\nc1ccccc1\n").molecules.size(), 2u);
}

TEST(StructureImport, KindsByExtensionAndContent) {
  EXPECT_EQ(StructureSourceOfPath("/a/b.MOL"), CStructureSource::Mol);
  EXPECT_EQ(StructureSourceOfPath("x.sdf"), CStructureSource::Sdf);
  EXPECT_EQ(StructureSourceOfPath("x.smiles"), CStructureSource::Smiles);
  EXPECT_EQ(StructureSourceOfPath("x.smi"), CStructureSource::Smiles);
  EXPECT_EQ(StructureSourceOfPath("x.rxn"), CStructureSource::Rxn);
  EXPECT_EQ(StructureSourceOfPath("x.cdxml"), CStructureSource::Cdxml);
  EXPECT_EQ(StructureSourceOfPath("x.vld"), CStructureSource::None);
  EXPECT_EQ(StructureSourceOfPath("dir.mol/x"), CStructureSource::None);
  EXPECT_EQ(StructureSourceOfContent("t\n p\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"),
            CStructureSource::Mol);
  EXPECT_EQ(StructureSourceOfContent("<?xml version=\"1.0\"?>\n<CDXML>"), CStructureSource::Cdxml);
  EXPECT_EQ(StructureSourceOfContent("<?xml version=\"1.0\"?>\n<svg>"), CStructureSource::None);
  EXPECT_EQ(StructureSourceOfContent("CCO"), CStructureSource::None);
}

}  // namespace
