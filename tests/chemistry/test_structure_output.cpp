// The structure files, the command line that writes them, and --info.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ChemDrawing.h"
#include "chemistry/StructureCommandLine.h"
#include "chemistry/StructureOutput.h"
#include "objects/CArchive.h"

namespace {

constexpr const char* kAspirinInChI =
    "InChI=1S/C9H8O4/c1-6(10)13-8-5-3-2-4-7(8)9(11)12/h2-5H,1H3,(H,11,12)";
constexpr const char* kAspirinKey = "BSYNRYMUTXBXSQ-UHFFFAOYSA-N";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// An ethanol to acetaldehyde step with "PCC" along the arrow, and a lone water.
void DrawOxidation(ChemDrawing& d) {
  d.Bond(d.Dot(0, 0), d.Text("CH2OH", 300, 134));
  d.Bond(d.Dot(1500, 0), d.Dot(3000, 0), 6, 2);
  d.Text("PCC", 2000, 400);
  d.Bond(d.Dot(3500, 0), d.Text("CHO", 3800, 134));
}

TEST(StructureFiles, FormatsByExtension) {
  EXPECT_EQ(StructureFormatOf("a/b.mol"), CStructureFormat::Mol);
  EXPECT_EQ(StructureFormatOf("x.SDF"), CStructureFormat::Sdf);
  EXPECT_EQ(StructureFormatOf("x.smi"), CStructureFormat::Smiles);
  EXPECT_EQ(StructureFormatOf("x.inchi"), CStructureFormat::InChI);
  EXPECT_EQ(StructureFormatOf("x.rxn"), CStructureFormat::Rxn);
  for (const char* drawing : {"x.vld", "x.kvl", "x", "dir.mol/x", "x.txt", ".mol.bak"})
    EXPECT_EQ(StructureFormatOf(drawing), CStructureFormat::None) << drawing;
}

TEST(StructureFiles, MolRecordsCarryTheDrawingsCoordinatesAndParseBack) {
  ChemDrawing d;
  DrawAspirin(d, CPoint{600, -400});
  d.Bond(d.Dot(3000, 0), d.Dot(3300, 0));
  const std::string mol = WriteStructureText(CStructureFormat::Mol, d.Set(), "aspirin").strText;
  const std::vector<std::string> lines = Lines(mol);
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines[0], "aspirin");
  EXPECT_NE(lines[3].find("V2000"), std::string::npos);
  // The first ring junction, at (600 + 260, -400 + 150) drawing units: 200 units an angstrom,
  // y up.
  EXPECT_EQ(lines[4].substr(0, 30), "    4.3000   -1.2500    0.0000");
  EXPECT_EQ(MolBlockSmiles(mol), Canon("CC(=O)Oc1ccccc1C(=O)O.CC"));
  // Past 999 atoms the record is V3000.
  ChemDrawing big;
  CKVObject* pLast = big.Dot(0, 0);
  for (int k = 1; k < 1000; ++k) {
    CDot* next = big.Dot(260 * k, k % 2 == 0 ? 0 : 150);
    big.Bond(pLast, next);
    pLast = next;
  }
  const std::string v3000 = WriteStructureText(CStructureFormat::Mol, big.Set(), "chain").strText;
  EXPECT_NE(v3000.find("M  V30 COUNTS 1000 999 "), std::string::npos);
  EXPECT_EQ(big.Set().Facts({0}).strFormula, "C1000H2002");
}

// One ring system of 1200 atoms (a ladder of 599 rings, the worst case of RDKit's ranking)
// is written without what would take minutes: its MOL record, formula and mass, but no
// SMILES or InChI, and a warning that says why.
TEST(StructureFiles, LargeRingSystemsAreWrittenWithoutSmiles) {
  ChemDrawing d;
  std::vector<CDot*> top;
  std::vector<CDot*> bottom;
  for (int k = 0; k < 600; ++k) {
    top.push_back(d.Dot(300 * k, 300));
    bottom.push_back(d.Dot(300 * k, 0));
    d.Bond(top.back(), bottom.back());
    if (k > 0) {
      d.Bond(top[k - 1], top[k]);
      d.Bond(bottom[k - 1], bottom[k]);
    }
  }
  const CStructureText smi = WriteStructureText(CStructureFormat::Smiles, d.Set(), "ladder");
  EXPECT_EQ(smi.strText, "");
  EXPECT_EQ(smi.warnings, std::vector<std::string>{
                              "molecule 1 has 1200 atoms and 599 rings: too large for SMILES, "
                              "InChI and stereo"});
  EXPECT_EQ(d.Set().Facts({0}).strFormula, "C1200H1204");
  const std::string mol = WriteStructureText(CStructureFormat::Mol, d.Set(), "ladder").strText;
  EXPECT_NE(mol.find("M  V30 COUNTS 1200 1798 "), std::string::npos);
}

TEST(StructureFiles, SdfSmilesAndInchiHaveOneEntryPerMolecule) {
  ChemDrawing d;
  DrawAspirin(d, CPoint{0, 0});
  d.Text("H#idown 2# SO#idown 4# ", 2000, 0);  // a formula alone: no structure
  d.Text("H#idown 2# O", 3000, 0);
  CMoleculeSet& set = d.Set();

  const CStructureText sdf = WriteStructureText(CStructureFormat::Sdf, set, "t");
  const std::vector<std::string> s = Lines(sdf.strText);
  EXPECT_EQ(std::count(s.begin(), s.end(), "$$$$"), 2);
  EXPECT_NE(sdf.strText.find("> <formula>\nC9H8O4\n\n> <mass>\n180.16\n\n$$$$\n"),
            std::string::npos);
  EXPECT_NE(sdf.strText.find("> <formula>\nH2O\n\n> <mass>\n18.02\n\n$$$$\n"), std::string::npos);
  EXPECT_EQ(sdf.warnings,
            std::vector<std::string>{"formula 'H2SO4' has no structure and is not written"});

  EXPECT_EQ(WriteStructureText(CStructureFormat::Smiles, set, "t").strText,
            Canon("CC(=O)Oc1ccccc1C(=O)O") + "\nO\n");
  EXPECT_EQ(WriteStructureText(CStructureFormat::InChI, set, "t").strText,
            std::string(kAspirinInChI) + "\t" + kAspirinKey + "\nInChI=1S/H2O/h1H2\t" +
                "XLYOFNOQVPJJNP-UHFFFAOYSA-N\n");
}

TEST(StructureFiles, InchiKnowsTheStereoOfTheWedges) {
  // The hashed wedge gives L-alanine, the full wedge D-alanine, in InChI as in SMILES.
  for (const auto& [nStyle, key] :
       {std::pair<int, const char*>{7, "QNAYBMKLOCPYGJ-REOHCLBHSA-N"},
        std::pair<int, const char*>{4, "QNAYBMKLOCPYGJ-UWTATZPHSA-N"}}) {
    ChemDrawing d;
    DrawAlanine(d, nStyle, false);
    std::string inchi, strKey, reason;
    ASSERT_TRUE(d.Set().InChI({0}, &inchi, &strKey, &reason)) << reason;
    EXPECT_EQ(strKey, key) << "style " << nStyle;
  }
  // A label the InChI library cannot describe: a warning and no line.
  ChemDrawing d;
  d.Bond(d.Dot(0, 0), d.Text("Xyz", 300, 134));
  const CStructureText t = WriteStructureText(CStructureFormat::InChI, d.Set(), "t");
  EXPECT_EQ(t.strText, "");
  EXPECT_EQ(t.warnings.back(),
            "molecule 1 has no InChI: an atom is a label the InChI library cannot describe");
}

TEST(StructureFiles, ReactionsAsSmilesAndRxn) {
  ChemDrawing d;
  DrawOxidation(d);
  const std::string smi = WriteStructureText(CStructureFormat::Smiles, d.Set(), "t").strText;
  EXPECT_EQ(smi, Canon("CCO") + ">>" + Canon("CC=O") + "\n");
  const std::vector<std::string> rxn =
      Lines(WriteStructureText(CStructureFormat::Rxn, d.Set(), "t").strText);
  ASSERT_GT(rxn.size(), 5u);
  EXPECT_EQ(rxn[0], "$RXN");
  EXPECT_EQ(rxn[3], "PCC");        // the conditions, as the header's comment
  EXPECT_EQ(rxn[4], "  1  1  0");  // reactants, products, agents
  EXPECT_EQ(std::count(rxn.begin(), rxn.end(), "$MOL"), 2);
  // Without an arrow there is no RXN.
  ChemDrawing none;
  none.Bond(none.Dot(0, 0), none.Dot(300, 0));
  EXPECT_EQ(WriteStructureText(CStructureFormat::Rxn, none.Set(), "t").status,
            CStructureText::Status::NoReaction);
}

// ---------------------------------------------------------------------------------------
// The command line

class StructureCommandLine : public ::testing::Test {
 protected:
  StructureCommandLine() {
    m_dir =
        std::filesystem::temp_directory_path() /
        ("valendra-structure-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(m_dir);
  }
  ~StructureCommandLine() override { std::filesystem::remove_all(m_dir); }

  std::string Save(ChemDrawing& d, const char* name) {
    std::vector<std::uint8_t> bytes;
    {
      CArchive ar(&bytes);
      d.doc.Serialize(ar, CSerializeOptions::SaveWhole());
      ar.Flush();
    }
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  int Run(std::vector<std::string> args) {
    m_written.clear();
    m_out.str("");
    m_err.str("");
    const DrawingFileWriter write = [this](const std::string& strPath,
                                           std::span<const std::uint8_t> bytes, std::string*) {
      m_written[strPath] = std::string(bytes.begin(), bytes.end());
      return true;
    };
    return RunStructureTool(args, write, m_out, m_err);
  }

  std::filesystem::path m_dir;
  std::map<std::string, std::string> m_written;
  std::ostringstream m_out;
  std::ostringstream m_err;
};

TEST_F(StructureCommandLine, ConvertChoosesByTheOutputsExtension) {
  ChemDrawing d;
  DrawAspirin(d, CPoint{0, 0});
  d.Bond(d.Dot(3000, 0), d.Text("Xyz", 3300, 134));
  const std::string in = Save(d, "aspirin.vld");

  EXPECT_EQ(Run({"--convert", in, "out.smi"}), 0);
  EXPECT_EQ(m_written["out.smi"], Canon("CC(=O)Oc1ccccc1C(=O)O") + "\n*C\n");
  EXPECT_EQ(m_err.str(), "valendra: warning: label 'Xyz' is not understood\n");

  EXPECT_EQ(Run({"--convert", in, "out.MOL"}), 0);
  EXPECT_EQ(Lines(m_written["out.MOL"])[0], "aspirin");
  // Anything else is written as a drawing, as before.
  for (const char* drawing : {"out.vld", "out.kvl", "out", "out.txt"}) {
    EXPECT_EQ(Run({"--convert", in, drawing}), 0) << drawing;
    EXPECT_EQ(m_written[drawing].substr(0, 9), "8Valendra") << drawing;
  }
}

TEST_F(StructureCommandLine, NothingIsWrittenWithoutAStructure) {
  ChemDrawing d;
  d.Text("reflux", 0, 0);
  d.Text("H#idown 2# SO#idown 4# ", 1000, 0);
  d.Bond(d.Dot(0, 1000), d.Dot(900, 1000), 6, 2);
  const std::string in = Save(d, "scheme.vld");
  for (const char* out : {"x.smi", "x.mol", "x.sdf", "x.inchi", "x.rxn"}) {
    EXPECT_EQ(Run({"--convert", in, out}), 1) << out;
    EXPECT_EQ(m_err.str(), "valendra: no structure in " + in + "\n");
    EXPECT_TRUE(m_written.empty()) << out;
  }
  ChemDrawing e;
  e.Bond(e.Dot(0, 0), e.Dot(300, 0));
  const std::string ethane = Save(e, "ethane.vld");
  EXPECT_EQ(Run({"--convert", ethane, "x.rxn"}), 1);
  EXPECT_EQ(m_err.str(), "valendra: no reaction in " + ethane + "\n");
  EXPECT_TRUE(m_written.empty());
  // A file that is no drawing is refused as before.
  EXPECT_EQ(Run({"--convert", (m_dir / "missing.vld").string(), "x.smi"}), 1);
  EXPECT_NE(m_err.str().find("cannot open"), std::string::npos);
}

TEST_F(StructureCommandLine, InfoListsMoleculesReactionsAndWarnings) {
  ChemDrawing d;
  DrawOxidation(d);
  d.Text("H#idown 2# SO#idown 4# ", 0, -9000);
  CFormula* methyl = d.Text("CH3", 5000, -8866);
  d.Bond(d.Dot(4700, -9000), methyl);
  d.Bond(methyl, d.Dot(5300, -9000));
  const std::string in = Save(d, "scheme.vld");
  EXPECT_EQ(Run({"--info", in}), 0);
  const std::string out = m_out.str();
  EXPECT_NE(out.find("objects by kind"), std::string::npos);  // the drawing's summary first
  // "PCC" along the arrow reads as a formula of three heavy atoms, and is a condition.
  EXPECT_NE(out.find("molecules: 5\nmolecule 1: CCO\n  formula: C2H6O\n  average mass: 46.07\n"
                     "  monoisotopic mass: 46.0419\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("molecule 4: no SMILES, a formula alone (H2SO4)\n  formula: H2O4S\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("reaction step 1: CCO>>CC=O\n  reactants: 1; agents: none; products: 3\n"
                     "  condition: PCC\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("warning: too many bonds at 'CH3' (valence 5)\n"), std::string::npos) << out;
}

TEST_F(StructureCommandLine, StructureFilesAreReadAsDrawingsOfTheirMolecules) {
  const auto write = [this](const char* name, const std::string& text) {
    const std::string path = (m_dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  };
  const std::string caffeine = Canon("Cn1cnc2c1c(=O)n(C)c(=O)n2C");
  const std::string smi = write("caffeine.smi", "CN1C=NC2=C1C(=O)N(C(=O)N2C)C caffeine\n");
  // To a drawing, and the drawing back to SMILES: the same molecule.
  EXPECT_EQ(Run({"--convert", smi, "out.vld"}), 0) << m_err.str();
  const std::string drawing = m_written["out.vld"];
  ASSERT_EQ(drawing.substr(0, 9), "8Valendra");
  const std::string vld = write("caffeine.vld", drawing);
  EXPECT_EQ(Run({"--convert", vld, "out.smi"}), 0);
  EXPECT_EQ(m_written["out.smi"], caffeine + "\n");
  // Straight from one structure file to another, through the drawing.
  EXPECT_EQ(Run({"--convert", smi, "out.smi"}), 0);
  EXPECT_EQ(m_written["out.smi"], caffeine + "\n");
  // A MOL record is known by its content whatever the file is called.
  ChemDrawing d;
  DrawAspirin(d, CPoint{0, 0});
  const std::string mol = write("aspirin.txt", d.Set().MolBlock({0}, "aspirin"));
  EXPECT_EQ(Run({"--info", mol}), 0) << m_err.str();
  EXPECT_NE(m_out.str().find("molecule 1: " + Canon("CC(=O)Oc1ccccc1C(=O)O") + "\n"),
            std::string::npos)
      << m_out.str();
  // What it was read as, and nothing about a drawing stream it never had.
  EXPECT_EQ(m_out.str().rfind("structure file: MOL\nobjects by kind:", 0), 0u) << m_out.str();
  EXPECT_EQ(m_out.str().find("magic"), std::string::npos) << m_out.str();
  EXPECT_EQ(m_out.str().find("selection count"), std::string::npos) << m_out.str();
  // Broken files: refused with the reader's reason, nothing written.
  for (const auto& [name, text] : {std::pair<const char*, const char*>{"bad.mol", "x\ny\n"},
                                   {"bad.smi", "CC\nC1CC(\n"},
                                   {"bad.sdf", "nonsense\n$$$$\n"},
                                   {"bad.cdxml", "<?xml version=\"1.0\"?><CDXML></CDXML>"}}) {
    const std::string path = write(name, text);
    for (const char* out : {"x.vld", "x.smi"}) {
      EXPECT_EQ(Run({"--convert", path, out}), 1) << name;
      EXPECT_EQ(m_err.str().rfind("Error: Not a chemical structure file.\n", 0), 0u)
          << name << ": " << m_err.str();
      EXPECT_GT(m_err.str().size(), 40u) << "the reason follows: " << name;
      EXPECT_TRUE(m_written.empty()) << name;
    }
  }
}

}  // namespace
