// How drawings read as molecules: labels, atoms, bonds, rings, charges, formulas alone,
// molecules and reactions, each a drawing built here and the SMILES it must give.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <limits>

#include "ChemDrawing.h"
#include "chemistry/LabelReading.h"
#include "chemistry/LabelTable.h"

namespace {

// ---------------------------------------------------------------------------------------
// Labels: a methyl junction bonded to the label, and the molecule that must give.

struct LabelCase {
  const char* markup;
  const char* smiles;
};

class LabelReads : public ::testing::TestWithParam<LabelCase> {};

TEST_P(LabelReads, AsTheGroupItNames) {
  ChemDrawing d;
  CDot* c = d.Dot(0, 0);
  // The label to the right of the junction, or to its left for a label read backwards, as
  // drawn; the reading must not depend on where it stands.
  CFormula* f = d.Text(GetParam().markup, 300, 134);
  d.Bond(c, f);
  EXPECT_EQ(d.Smiles(), std::vector<std::string>{Canon(GetParam().smiles)})
      << "label " << GetParam().markup;
  EXPECT_TRUE(d.Warnings().empty()) << d.Warnings().front();
}

INSTANTIATE_TEST_SUITE_P(
    Elements, LabelReads,
    ::testing::Values(LabelCase{"OH", "CO"}, LabelCase{"O", "CO"}, LabelCase{"HO", "CO"},
                      LabelCase{"NH2", "CN"}, LabelCase{"NH#idown 2# ", "CN"},
                      LabelCase{"H2N", "CN"}, LabelCase{"H#idown 2# N", "CN"},
                      LabelCase{"HN", "C[NH]"}, LabelCase{"CH3", "CC"}, LabelCase{"H3C", "CC"},
                      LabelCase{"SH", "CS"}, LabelCase{"Cl", "CCl"}, LabelCase{"Br", "CBr"},
                      LabelCase{"N#iup +# H#idown 3# ", "C[NH3+]"}, LabelCase{"O#iup -# ", "C[O-]"},
                      LabelCase{"#iudl 13# # CH3", "C[13CH3]"}, LabelCase{"#iudl 2# # H", "[2H]C"},
                      LabelCase{"Co", "C[Co]"}));

INSTANTIATE_TEST_SUITE_P(
    Abbreviations, LabelReads,
    ::testing::Values(LabelCase{"Me", "CC"}, LabelCase{"Et", "CCC"}, LabelCase{"Pr", "CCCC"},
                      LabelCase{"iPr", "CC(C)C"}, LabelCase{"tBu", "CC(C)(C)C"},
                      LabelCase{"Ph", "Cc1ccccc1"}, LabelCase{"Bn", "CCc1ccccc1"},
                      LabelCase{"Bz", "CC(=O)c1ccccc1"}, LabelCase{"Ac", "CC(C)=O"},
                      LabelCase{"OAc", "COC(C)=O"}, LabelCase{"AcO", "COC(C)=O"},
                      LabelCase{"OMe", "COC"}, LabelCase{"MeO", "COC"}, LabelCase{"EtO", "COCC"},
                      LabelCase{"CO#idown 2# H", "CC(=O)O"}, LabelCase{"COOH", "CC(=O)O"},
                      LabelCase{"HOOC", "CC(=O)O"}, LabelCase{"HO2C", "CC(=O)O"},
                      LabelCase{"CO2Me", "CC(=O)OC"}, LabelCase{"MeO2C", "CC(=O)OC"},
                      LabelCase{"CO2Et", "CC(=O)OCC"}, LabelCase{"CHO", "CC=O"},
                      LabelCase{"CN", "CC#N"}, LabelCase{"NC", "CC#N"},
                      LabelCase{"NO#idown 2# ", "C[N+](=O)[O-]"}, LabelCase{"O2N", "C[N+](=O)[O-]"},
                      LabelCase{"NMe2", "CN(C)C"}, LabelCase{"SO3H", "CS(=O)(=O)O"},
                      LabelCase{"CF3", "CC(F)(F)F"}, LabelCase{"F3C", "CC(F)(F)F"},
                      LabelCase{"CCl3", "CC(Cl)(Cl)Cl"}, LabelCase{"OCF3", "COC(F)(F)F"},
                      LabelCase{"TMS", "C[Si](C)(C)C"}, LabelCase{"Boc", "CC(=O)OC(C)(C)C"},
                      LabelCase{"Ts", "CS(=O)(=O)c1ccc(C)cc1"}, LabelCase{"Ms", "CS(C)(=O)=O"},
                      LabelCase{"OTs", "COS(=O)(=O)c1ccc(C)cc1"}));

INSTANTIATE_TEST_SUITE_P(
    CondensedFormulas, LabelReads,
    ::testing::Values(LabelCase{"CH2CH2OH", "CCCO"},
                      LabelCase{"CH#idown 2# CH#idown 2# OH", "CCCO"}, LabelCase{"OCH2CH3", "COCC"},
                      LabelCase{"CH2OH", "CCO"}, LabelCase{"OCH3", "COC"},
                      LabelCase{"HOCH2", "CCO"}, LabelCase{"H3CO", "COC"},
                      LabelCase{"COCH3", "CC(C)=O"}, LabelCase{"COOCH3", "CC(=O)OC"},
                      LabelCase{"C(CH3)3", "CC(C)(C)C"}, LabelCase{"CH(CH3)2", "CC(C)C"},
                      LabelCase{"N(CH3)2", "CN(C)C"}, LabelCase{"CONH2", "CC(N)=O"},
                      LabelCase{"SO2CH3", "CS(C)(=O)=O"}, LabelCase{"CH=CH2", "CC=C"},
                      LabelCase{"CH2(CH2)2CH3", "CCCCC"}));

// Every entry of the table is a fragment RDKit reads, attached through exactly one atom.
TEST(LabelTable, EveryAbbreviationIsAGroupWithOneAttachment) {
  for (const CLabelAbbreviation& a : LabelAbbreviations()) {
    ChemDrawing d;
    d.Bond(d.Dot(0, 0), d.Text(a.pszLabel, 300, 134));
    const std::vector<std::string> smiles = d.Smiles();
    ASSERT_EQ(smiles.size(), 1u) << a.pszLabel;
    std::string expected = a.pszFragment;
    expected.replace(0, 1, "C");
    EXPECT_EQ(smiles[0], Canon(expected)) << a.pszLabel;
    EXPECT_TRUE(d.Warnings().empty()) << a.pszLabel << ": " << d.Warnings().front();
  }
}

// The README's table of labels is the user's list: it names every abbreviation read.
TEST(LabelTable, TheReadmeListsEveryAbbreviation) {
  std::ifstream in(VALENDRA_README);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t nFrom = text.find("### Labels");
  const std::size_t nTo = text.find("### Writing structures");
  ASSERT_NE(nFrom, std::string::npos);
  ASSERT_NE(nTo, std::string::npos);
  const std::string table = text.substr(nFrom, nTo - nFrom);
  for (const CLabelAbbreviation& a : LabelAbbreviations()) {
    const std::string label = a.pszLabel;
    bool bListed = false;
    for (std::size_t at = table.find(label); at != std::string::npos && !bListed;
         at = table.find(label, at + 1)) {
      const auto isWordChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
      };
      bListed = (at == 0 || !isWordChar(table[at - 1])) &&
                (at + label.size() == table.size() || !isWordChar(table[at + label.size()]));
    }
    EXPECT_TRUE(bListed) << label;
  }
}

TEST(LabelReading, FormulasAloneAndTextsAreToldApart) {
  struct Case {
    const char* markup;
    CLabelReading::Kind kind;
  };
  for (const Case& c :
       {Case{"H#idown 2# O", CLabelReading::Kind::Atom}, Case{"NH3", CLabelReading::Kind::Atom},
        Case{"NH#idown 4# #iup +# ", CLabelReading::Kind::Atom},
        Case{"Na+", CLabelReading::Kind::Atom}, Case{"Cl#iup -# ", CLabelReading::Kind::Atom},
        Case{"H2", CLabelReading::Kind::Atom},
        Case{"H#idown 2# SO#idown 4# ", CLabelReading::Kind::Formula},
        Case{"Ca(OH)2", CLabelReading::Kind::Formula},
        Case{"reflux", CLabelReading::Kind::Annotation},
        Case{"<D>", CLabelReading::Kind::Annotation}, Case{"h<n>", CLabelReading::Kind::Annotation},
        Case{"THF", CLabelReading::Kind::Annotation}, Case{"Pd/C", CLabelReading::Kind::Annotation},
        Case{"+", CLabelReading::Kind::None}, Case{" ", CLabelReading::Kind::None}}) {
    EXPECT_EQ(ReadFreeFormula(c.markup).kind, c.kind) << c.markup;
  }
  const CLabelReading acid = ReadFreeFormula("H#idown 2# SO#idown 4# ");
  ASSERT_EQ(acid.formulaAtoms.size(), 5u);
  EXPECT_EQ(acid.formulaAtoms[0], (std::pair<std::string, int>{"S", 2}));
  // Greek letters and Windows-1252 text come out as UTF-8.
  EXPECT_EQ(ReadFreeFormula("h<n>").strText, "hν");
  EXPECT_EQ(ReadFreeFormula("80 \xB0"
                            "C")
                .strText,
            "80 °C");
}

// ---------------------------------------------------------------------------------------
// Atoms and bonds

TEST(DrawingReads, JunctionsBondsAndTheirStyles) {
  struct Case {
    int nStyle;
    const char* smiles;
  };
  for (const Case& c : {Case{1, "CC"}, Case{2, "C=C"}, Case{3, "C#C"}, Case{4, "CC"},
                        Case{5, "C=C"}, Case{7, "CC"}, Case{9, "CC"}}) {
    ChemDrawing d;
    d.Bond(d.Dot(0, 0), d.Dot(300, 0), c.nStyle);
    EXPECT_EQ(d.Smiles(), std::vector<std::string>{Canon(c.smiles)}) << "style " << c.nStyle;
  }
}

TEST(DrawingReads, WhatIsNotAnAtomOrABond) {
  ChemDrawing d;
  // A junction where only an arrow ends; a lone junction; a curve between free junctions.
  d.Bond(d.Dot(0, 0), d.Dot(600, 0), 6, 2);
  d.Dot(0, 900);
  d.Bond(d.Dot(0, 1800), d.Dot(600, 1800), 10);
  // A dotted line between two molecules, a two-sided arrow.
  CDot* o = d.Dot(0, 3000);
  d.Bond(o, d.Text("OH", 300, 3134));
  CDot* n = d.Dot(1200, 3000);
  d.Bond(n, d.Text("NH2", 1500, 3134));
  auto* dotted = d.Bond(o, n);
  dotted->m_nPenStyle = PS_DOT;
  d.Bond(d.Dot(0, 4000), d.Dot(600, 4000), 8);
  EXPECT_EQ(d.Smiles(), Canon({"CO", "CN"}));
  EXPECT_EQ(d.Warnings(), std::vector<std::string>{
                              "dotted line ignored (a hydrogen or partial bond is no bond)"});
}

TEST(DrawingReads, AtomsCloserThan30UnitsAreOne) {
  ChemDrawing d;
  // Two bonds drawn apart whose ends nearly meet (20 apart) make propane; 40 apart, two
  // ethanes.
  d.Bond(d.Dot(0, 0), d.Dot(300, 0));
  d.Bond(d.Dot(320, 0), d.Dot(600, 150));
  d.Bond(d.Dot(0, 1000), d.Dot(300, 1000));
  d.Bond(d.Dot(340, 1000), d.Dot(600, 1150));
  EXPECT_EQ(d.Smiles(), Canon({"CCC", "CC", "CC"}));
}

TEST(DrawingReads, CrossingBondsWithoutAJunctionStayApart) {
  ChemDrawing d;
  d.Bond(d.Dot(-300, 0), d.Dot(300, 0));
  d.Bond(d.Dot(0, -300), d.Dot(0, 300));
  EXPECT_EQ(d.Smiles(), Canon({"CC", "CC"}));
}

TEST(DrawingReads, BondsToBondsAndToThemselvesAreIgnored) {
  ChemDrawing d;
  CDot* a = d.Dot(0, 0);
  CDot* b = d.Dot(300, 0);
  CCoupling* ab = d.Bond(a, b);
  d.Bond(ab, d.Dot(150, 300));                // a bond that ends at a bond
  d.Bond(a, a);                               // a bond whose two ends are one junction
  d.Bond(a, d.Circle(CPoint{0, -900}, 100));  // a bond to an ellipse
  const std::vector<std::string> smiles = d.Smiles();
  EXPECT_EQ(smiles, Canon({"CC"}));
  EXPECT_EQ(d.Warnings().size(), 2u);
}

TEST(DrawingReads, GroupsAreTransparent) {
  ChemDrawing d;
  std::vector<CDot*> ring = d.Ring(CPoint{0, 0});
  // A bond from outside to a ring junction inside the group, and a label on it.
  d.Bond(ring[0], d.Text("OH", 500, 300));
  EXPECT_EQ(d.Smiles(), Canon({"OC1CCCCC1"}));
}

TEST(DrawingReads, ReversedLabelsAndIsotopesAttachWhereTheyShould) {
  ChemDrawing d;
  std::vector<CDot*> ring = d.Ring(CPoint{0, 0});
  d.Bond(ring[0], d.Text("HOOC", -1200, 134));
  d.Bond(ring[3], d.Text("#iudl 13# # CH3", 500, 134));
  EXPECT_EQ(d.Smiles(), Canon({"[13CH3]C1CCC(C(=O)O)CC1"}));
}

TEST(DrawingReads, LabelsNotUnderstoodAreDummyAtomsWithAWarning) {
  ChemDrawing d;
  CFormula* f = d.Text("Xyz", 300, 134);
  d.Bond(d.Dot(0, 0), f);
  const CDrawingStructure& s = d.Read();
  EXPECT_EQ(d.Smiles(), Canon({"*C"}));
  ASSERT_EQ(s.warnings.size(), 1u);
  EXPECT_EQ(s.warnings[0].strText, "label 'Xyz' is not understood");
  EXPECT_EQ(s.warnings[0].pSource, f);
  EXPECT_TRUE(s.warnings[0].bMark);
  // The MOL record keeps the label's text on its atom.
  EXPECT_NE(d.Set().MolBlock({0}, "x").find("Xyz"), std::string::npos);
}

TEST(DrawingReads, ValenceProblemsAreReportedNotThrown) {
  ChemDrawing d;
  // "CH3" with two bonds, and a carbon junction with five.
  CFormula* methyl = d.Text("CH3", -86, 134);
  d.Bond(d.Dot(-300, 0), methyl);
  d.Bond(methyl, d.Dot(300, 0));
  CDot* c = d.Dot(0, 2000);
  for (int k = 0; k < 5; ++k)
    d.Bond(c, d.Dot(Polar(CPoint{0, 2000}, 300, 72 * k).x, Polar(CPoint{0, 2000}, 300, 72 * k).y));
  d.Read();
  const std::vector<CChemWarning> problems = d.Set().Problems();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].strText, "too many bonds at 'CH3' (valence 5)");
  EXPECT_EQ(problems[0].pSource, methyl);
  EXPECT_EQ(problems[1].strText, "too many bonds at a carbon atom (valence 5)");
  // Both are still written, as drawn.
  EXPECT_EQ(d.Set().Smiles(0), "C[CH3]C");
  EXPECT_EQ(d.Set().Smiles(1), "CC(C)(C)(C)C");
}

// ---------------------------------------------------------------------------------------
// Stereo

// Alanine with its methyl on a wedge, drawn with the wedge's narrow end at either bond end.
TEST(DrawingReads, WedgesGiveTheStereocentreAtTheirNarrowEnd) {
  struct Case {
    int nStyle;
    bool bNarrowAtA;
    const char* smiles;
  };
  for (const Case& c : {Case{4, false, "C[C@@H](N)C(=O)O"}, Case{4, true, "C[C@@H](N)C(=O)O"},
                        Case{7, false, "C[C@H](N)C(=O)O"}, Case{7, true, "C[C@H](N)C(=O)O"}}) {
    ChemDrawing d;
    DrawAlanine(d, c.nStyle, c.bNarrowAtA);
    EXPECT_EQ(d.Smiles(), Canon({c.smiles}))
        << "style " << c.nStyle << " narrow at A " << c.bNarrowAtA;
  }
}

TEST(DrawingReads, DoubleBondGeometryAndWavyBonds) {
  ChemDrawing d;
  // trans-2-butene, then cis.
  CDot* a = d.Dot(0, 0);
  CDot* b = d.Dot(260, 150);
  CDot* c = d.Dot(520, 0);
  CDot* e = d.Dot(780, 150);
  d.Bond(a, b), d.Bond(b, c, 2), d.Bond(c, e);
  CDot* f = d.Dot(0, 2000);
  CDot* g = d.Dot(260, 2150);
  CDot* h = d.Dot(520, 2000);
  CDot* k = d.Dot(520, 1700);
  d.Bond(f, g), d.Bond(g, h, 2), d.Bond(h, k);
  // A wavy bond from a would-be stereocentre to its methyl leaves it unknown; a curve
  // between two junctions that are no atoms is a decoration.
  CDot* s = d.Dot(0, 4000);
  d.Bond(s, d.Text("OH", 214, 4284));
  d.Bond(s, d.Text("Cl", -473, 4134));
  d.Bond(s, d.Text("NH2", 214, 3834));
  d.Bond(s, d.Dot(0, 3700), 10);
  d.Bond(d.Dot(0, 6000), d.Dot(600, 6000), 10);
  EXPECT_EQ(d.Smiles(), Canon({"C/C=C/C", "C/C=C\\C", "CC(N)(O)Cl"}));
  EXPECT_NE(d.Set().MolBlock({2}, "wavy").find("  1  5  1  4"), std::string::npos)
      << d.Set().MolBlock({2}, "wavy");
}

// ---------------------------------------------------------------------------------------
// Rings, charges and formulas alone

TEST(DrawingReads, AnEllipseInsideARingMakesItAromatic) {
  ChemDrawing d;
  d.Ring(CPoint{0, 0});
  d.Circle(CPoint{0, 0}, 181);  // the aromatic template's circle
  d.Ring(CPoint{2000, 0});
  d.Circle(CPoint{2000, 1000}, 181);  // beside the ring, not inside it
  d.Ring(CPoint{4000, 0});
  d.Circle(CPoint{4000, 0}, 400);  // larger than the ring
  // Two fused rings (the ends of the shared edge coincide) with a circle in one of them.
  d.Ring(CPoint{0, 3000});
  d.Ring(CPoint{520, 3000});
  d.Circle(CPoint{520, 3000}, 181);
  EXPECT_EQ(d.Smiles(), Canon({"c1ccccc1", "C1CCCCC1", "C1CCCCC1", "c1ccc2c(c1)CCCC2"}));
}

TEST(DrawingReads, ChargesGoToTheNearestAtomWithinReach) {
  ChemDrawing d;
  // Trimethylammonium: a plus beside the N label.
  CFormula* n = d.Text("N", 0, 134);
  d.Bond(n, d.Dot(-300, 0));
  d.Bond(n, d.Dot(300, 0));
  d.Bond(n, d.Dot(86, -300));
  d.Charge(true, CPoint{150, 230});
  // Acetate: a minus by its oxygen; a plus 400 units from every atom charges nothing.
  CDot* c = d.Dot(0, 2000);
  d.Bond(d.Dot(-300, 2000), c);
  d.Bond(c, d.Text("O", 200, 2284), 2);
  d.Bond(c, d.Text("O", 200, 1884));
  d.Charge(false, CPoint{480, 1800});
  d.Charge(true, CPoint{1400, 2000});
  // A "+" text between two molecules is no chemistry.
  d.Text("+", 2000, 134);
  EXPECT_EQ(d.Smiles(), Canon({"C[NH+](C)C", "CC(=O)[O-]"}));
}

TEST(DrawingReads, FormulasAloneAreMoleculesFormulasOrTexts) {
  ChemDrawing d;
  d.Text("H#idown 2# O", 0, 0);
  d.Text("NH#idown 4# #iup +# ", 1000, 0);
  d.Text("Na+", 2000, 0);
  d.Text("H#idown 2# SO#idown 4# ", 3000, 0);
  d.Text("reflux", 4000, 0);
  const CDrawingStructure& s = d.Read();
  EXPECT_EQ(d.Smiles(), Canon({"O", "[NH4+]", "[Na+]", ""}));
  ASSERT_EQ(s.molecules.size(), 4u);
  EXPECT_TRUE(s.molecules[3].bFormulaOnly);
  const CMoleculeFacts acid = d.Set().Facts({3});
  EXPECT_EQ(acid.strFormula, "H2O4S");
  EXPECT_NEAR(acid.dAverageMass, 98.07, 0.01);
}

TEST(DrawingReads, MoleculesComeInTheOrderOfTheirFirstAtom) {
  ChemDrawing d;
  CDot* a = d.Dot(0, 0);
  d.Text("H2O", 3000, 0);
  CDot* b = d.Dot(300, 0);
  d.Bond(d.Dot(0, 1000), d.Text("Cl", 300, 1134));
  d.Bond(a, b);
  EXPECT_EQ(d.Smiles(), Canon({"CC", "O", "CCl"}));
}

TEST(DrawingReads, FormulaAndMassOfAspirin) {
  ChemDrawing d;
  DrawAspirin(d, CPoint{0, 0});
  const CMoleculeFacts f = d.Set().Facts({0});
  EXPECT_EQ(d.Smiles(), Canon({"CC(=O)Oc1ccccc1C(=O)O"}));
  EXPECT_EQ(f.strFormula, "C9H8O4");
  EXPECT_NEAR(f.dAverageMass, 180.159, 0.005);
  EXPECT_NEAR(f.dMonoisotopicMass, 180.0423, 0.0001);
}

// ---------------------------------------------------------------------------------------
// Reactions

TEST(DrawingReads, OneSidedArrowsAreReactionSteps) {
  ChemDrawing d;
  // Ethanol -> acetaldehyde (with "PCC" and CH2Cl2 written along the arrow) -> acetic acid,
  // and a two-sided arrow that is no reaction.
  d.Bond(d.Dot(0, 0), d.Text("CH2OH", 300, 134));
  d.Bond(d.Dot(1500, 0), d.Dot(3000, 0), 6, 2);
  d.Text("PCC", 2000, 400);
  d.Text("CH#idown 2# Cl#idown 2# ", 2000, -200);
  d.Bond(d.Dot(3500, 0), d.Text("CHO", 3800, 134));
  // The second arrow drawn the other way round: its head is at end A (side 1).
  d.Bond(d.Dot(6500, 0), d.Dot(5000, 0), 6, 1);
  d.Text("O#idown 2# ", 5600, 300);
  d.Bond(d.Dot(7000, 0), d.Text("COOH", 7300, 134));
  d.Bond(d.Dot(7000, -3000), d.Dot(8000, -3000), 8);
  const CDrawingStructure& s = d.Read();
  ASSERT_EQ(s.steps.size(), 2u);
  EXPECT_EQ(s.steps[0].conditions, (std::vector<std::string>{"PCC", "CH2Cl2"}));
  EXPECT_EQ(d.Set().ReactionSmiles(s.steps[0]), Canon("CCO") + ">>" + Canon("CC=O"));
  // O2 is a formula of two heavy atoms: a condition, not an agent.
  EXPECT_EQ(s.steps[1].conditions, (std::vector<std::string>{"O2"}));
  EXPECT_EQ(d.Set().ReactionSmiles(s.steps[1]), Canon("CC=O") + ">>" + Canon("CC(=O)O"));
}

TEST(DrawingReads, AgentsStandAlongTheArrow) {
  ChemDrawing d;
  d.Bond(d.Dot(0, 0), d.Text("Br", 300, 134));
  d.Bond(d.Dot(1500, 0), d.Dot(3500, 0), 6, 2);
  d.Text("H#idown 2# O", 2300, 500);                     // a molecule above the shaft: an agent
  d.Bond(d.Dot(2300, -400), d.Text("ONa", 2600, -266));  // sodium methoxide below it
  d.Bond(d.Dot(4000, 0), d.Text("OH", 4300, 134));
  d.Text("Na+", 4000, -4000);       // far below the product: in no step
  d.Text("Br#iup -# ", 5000, 134);  // ahead of the arrow: a product
  const CDrawingStructure& s = d.Read();
  ASSERT_EQ(s.steps.size(), 1u);
  EXPECT_EQ(d.Set().ReactionSmiles(s.steps[0]), Canon("CBr") + ">" + Canon("O") + "." +
                                                    Canon("CO[Na]") + ">" + Canon("CO") + "." +
                                                    Canon("[Br-]"));
}

// ---------------------------------------------------------------------------------------
// Whatever a file holds

TEST(DrawingReads, OddValuesAFileCanHold) {
  ChemDrawing d;
  // A formula whose scale is not a number, a label of 10 000 characters, positions at the
  // ends of the int32 range.
  CFormula* odd = d.Text("OH", 300, 134);
  odd->m_dScale = std::numeric_limits<double>::quiet_NaN();
  d.Bond(d.Dot(0, 0), odd);
  d.Bond(d.Dot(0, 1000), d.Text(std::string(10000, 'C'), 300, 1134));
  d.Bond(d.Dot(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()),
         d.Dot(std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()));
  const std::vector<std::string> smiles = d.Smiles();
  ASSERT_EQ(smiles.size(), 3u);
  EXPECT_EQ(smiles[0], "CO");
  EXPECT_EQ(smiles[1], "*C");  // too long for a condensed formula: a label not understood
  EXPECT_EQ(smiles[2], "CC");
  EXPECT_EQ(d.Warnings()[0], "label '" + std::string(40, 'C') + "\u2026' is not understood");
  // Coordinates V2000 cannot hold make a V3000 record.
  EXPECT_NE(d.Set().MolBlock({2}, "far").find("V3000"), std::string::npos);
  EXPECT_EQ(MolBlockSmiles(d.Set().MolBlock({2}, "far")), std::optional<std::string>("CC"));
}

}  // namespace
