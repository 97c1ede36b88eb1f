// Clean Structure: selected molecules drawn afresh through the view, one undo step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "ChemDrawing.h"
#include "chemistry/StructureClean.h"
#include "objects/CArchive.h"
#include "objects/CRecordingDC.h"
#include "view/CHeadlessViewHost.h"
#include "view/CKvillView.h"

namespace {

std::vector<std::uint8_t> Store(CKvillDoc& doc) {
  std::vector<std::uint8_t> bytes;
  CArchive ar(&bytes);
  doc.Serialize(ar, CSerializeOptions::SaveWhole());
  ar.Flush();
  return bytes;
}

// Every molecule's canonical SMILES, joined in drawing order.
std::string DrawingSmiles(ChemDrawing& d) {
  std::vector<std::string> all = d.Smiles();
  std::sort(all.begin(), all.end());
  std::string joined;
  for (const std::string& s : all) joined += (joined.empty() ? "" : ".") + s;
  return Canon(joined);
}

struct CleanCase {
  const char* pszName;
  std::function<void(ChemDrawing&)> draw;
};

// Drawn the way a user leaves them: crowded, stretched or squashed, so that a fresh layout
// moves every atom.
const CleanCase kCases[] = {
    {"aspirin: a ring template, its aromatic circle and two abbreviations",
     [](ChemDrawing& d) {
       DrawAspirin(d, CPoint{2000, -3000});
     }},
    {"alanine with a wedge, squeezed",
     [](ChemDrawing& d) {
       DrawAlanine(d, 4, true, CPoint{500, 500});
     }},
    {"alanine with a hash drawn from its far end",
     [](ChemDrawing& d) {
       DrawAlanine(d, 7, false, CPoint{-800, 0});
     }},
    {"E-but-2-ene as a stretched zigzag, a 13C label and a charge object",
     [](ChemDrawing& d) {
       std::vector<CDot*> c = d.Chain({{0, 0}, {700, 100}, {1500, 0}});
       CDot* last = d.Dot(2000, 200);
       d.Bond(c[2], last, 2);
       d.Bond(c[0], d.Text("#iudl 13# # CH3", -800, 200));
       CDot* amine = d.Dot(1100, -700);
       d.Bond(c[1], amine);
       d.Charge(true, CPoint{1250, -850});
     }},
    {"two molecules, one a salt's anion with a label not understood",
     [](ChemDrawing& d) {
       std::vector<CDot*> ring = d.Ring(CPoint{0, 0}, 5);
       d.Bond(ring[0], d.Text("Xyz", 500, 200));
       CDot* o = d.Dot(3000, 0);
       d.Bond(o, d.Text("O#iup -# ", 3200, 250));
       d.Bond(o, d.Text("O", 2800, 500), 2);
     }},
};

class CleanStructureTest : public ::testing::TestWithParam<CleanCase> {
 protected:
  CRecordingDC reference;
  CHeadlessViewHost host{&reference};
  ChemDrawing d;
  std::unique_ptr<CKvillView> pView;

  void SetUp() override {
    GetParam().draw(d);
    pView = std::make_unique<CKvillView>(&host, &d.doc);
  }
  void SelectAll() {
    pView->SetSelCount(0);
    for (auto& p : d.doc.m_listObjects) {
      p->m_bSelected = 1;
      pView->AddToSelCount(1);
    }
  }
};

TEST_P(CleanStructureTest, TheSameMoleculeWellSpacedInOneUndoStep) {
  const std::string strBefore = DrawingSmiles(d);
  const CDrawingStructure old = d.Read();
  ASSERT_FALSE(strBefore.empty());
  EXPECT_FALSE(HasMoleculeToClean(d.doc.m_listObjects)) << "nothing is selected yet";
  SelectAll();
  ASSERT_TRUE(HasMoleculeToClean(d.doc.m_listObjects));
  // As the window has it: painted once (labels measured), the history begun.
  pView->UpdateView();
  pView->ClearHistory();
  pView->PushSnapshot();
  const std::vector<std::uint8_t> before = Store(d.doc);

  CCleanStructure clean = CleanStructure(d.doc.m_listObjects);
  EXPECT_EQ(clean.strProblem, "");
  const std::size_t nGroups = clean.added.size();
  // No label written over another label or a junction, as the text is placed (Arial's
  // widths; the window measures again when it paints).
  for (const auto& p : clean.added) {
    ASSERT_NE(p->AsGroup(), nullptr);
    std::vector<CKVObject*> atoms;
    for (const auto& c : p->AsGroup()->m_listChildren)
      if (c->AsBond() == nullptr) atoms.push_back(c.get());
    for (CKVObject* a : atoms) {
      const CFormula* f = a->AsFormula();
      if (f == nullptr) continue;
      for (CKVObject* b : atoms) {
        if (b == a) continue;
        const CRect& x = a->m_rcBounds;
        const CRect& y = b->m_rcBounds;
        EXPECT_TRUE(x.right < y.left || y.right < x.left || x.top < y.bottom || y.top < x.bottom)
            << f->m_strText << " is written over "
            << (b->AsFormula() ? b->AsFormula()->m_strText : std::string("a junction"));
      }
    }
  }
  pView->ReplaceObjects(clean.gone, clean.ends, std::move(clean.added));

  // One group per molecule with a structure, all of them selected, nothing else left.
  const CDrawingStructure now = d.Read();
  std::size_t nMolecules = 0;
  for (const CChemMolecule& m : old.molecules) nMolecules += m.bFormulaOnly ? 0 : 1;
  EXPECT_EQ(nGroups, nMolecules);
  EXPECT_EQ(d.doc.m_listObjects.size(), nGroups);
  for (const auto& p : d.doc.m_listObjects) {
    ASSERT_NE(p->AsGroup(), nullptr);
    EXPECT_TRUE(p->m_bSelected);
  }
  EXPECT_EQ(pView->SelCount(), static_cast<std::int32_t>(nGroups));
  EXPECT_EQ(DrawingSmiles(d), strBefore);
  EXPECT_TRUE(d.Warnings().size() <= 1) << "only the label not understood may warn";
  // A ring template's spacing, no two atoms crowded, each molecule where it was.
  std::vector<double> lengths;
  for (const CChemBond& b : now.bonds)
    lengths.push_back(
        std::hypot(now.atoms[b.nA].x - now.atoms[b.nB].x, now.atoms[b.nA].y - now.atoms[b.nB].y));
  std::sort(lengths.begin(), lengths.end());
  ASSERT_FALSE(lengths.empty());
  EXPECT_NEAR(lengths[lengths.size() / 2], 300.0, 30.0);
  for (std::size_t i = 0; i < now.atoms.size(); ++i)
    for (std::size_t j = i + 1; j < now.atoms.size(); ++j)
      EXPECT_GE(std::hypot(now.atoms[i].x - now.atoms[j].x, now.atoms[i].y - now.atoms[j].y),
                100.0);
  ASSERT_EQ(now.molecules.size(), old.molecules.size());
  for (const CChemMolecule& m : old.molecules) {
    const auto same = std::find_if(
        now.molecules.begin(), now.molecules.end(),
        [&](const CChemMolecule& n) { return std::hypot(n.cx - m.cx, n.cy - m.cy) < 2.0; });
    EXPECT_NE(same, now.molecules.end()) << "a molecule moved away from " << m.cx << "," << m.cy;
  }

  // One step back is the drawing as it was, byte for byte; forward again is the new one.
  const std::vector<std::uint8_t> after = Store(d.doc);
  pView->Undo();
  EXPECT_EQ(Store(d.doc), before);
  pView->Redo();
  EXPECT_EQ(Store(d.doc), after);
}

INSTANTIATE_TEST_SUITE_P(Drawings, CleanStructureTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CleanCase>& info) {
                           return "Case" + std::to_string(info.index);
                         });

// What a clean keeps that is not its molecule: a colour on each atom and bond, an arrow drawn
// to an atom (now ending on the atom's new object), and a molecule not selected.
TEST(CleanStructure, KeepsColoursArrowsToAtomsAndWhatIsNotSelected) {
  CRecordingDC reference;
  CHeadlessViewHost host(&reference);
  ChemDrawing d;
  std::vector<CDot*> chain = d.Chain({{0, 0}, {200, 80}, {400, 0}, {600, 80}});
  CFormula* oh = d.Text("OH", 750, 200);
  CCoupling* red = d.Bond(chain[3], oh);
  red->m_crColor = 0x0000ff;
  oh->m_crColor = 0x00ff00;
  CDot* tail = d.Dot(800, -900);
  CCoupling* arrow = d.Bond(tail, chain[1], 6, 2);
  std::vector<CDot*> other = d.Ring(CPoint{5000, 0});
  CKvillView view(&host, &d.doc);
  const std::string strBefore = DrawingSmiles(d);
  // The chain's objects selected, the arrow and the ring not.
  view.SetSelCount(0);
  for (auto& p : d.doc.m_listObjects) {
    if (p.get() == arrow || p.get() == tail || p->AsGroup() != nullptr) continue;
    p->m_bSelected = 1;
    view.AddToSelCount(1);
  }
  CCleanStructure clean = CleanStructure(d.doc.m_listObjects);
  ASSERT_EQ(clean.added.size(), 1u);
  view.ReplaceObjects(clean.gone, clean.ends, std::move(clean.added));
  EXPECT_EQ(DrawingSmiles(d), strBefore);
  // The ring template is untouched, the arrow stays and points at an atom of the new group.
  const auto& list = d.doc.m_listObjects;
  EXPECT_EQ(std::count_if(list.begin(), list.end(), [](const auto& p) { return p->AsGroup(); }), 2);
  ASSERT_NE(std::find_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == arrow; }),
            list.end());
  CGroup* pNew = list.back()->AsGroup();
  ASSERT_NE(pNew, nullptr);
  EXPECT_EQ(arrow->m_pEndA, tail);
  EXPECT_EQ(arrow->m_pEndB->m_pParent, pNew);
  ASSERT_NE(other.front()->m_pParent, nullptr);
  EXPECT_NE(other.front()->m_pParent, pNew);
  EXPECT_FALSE(other.front()->m_pParent->m_bSelected);
  int nGreen = 0;
  int nRed = 0;
  for (const auto& p : pNew->m_listChildren) {
    nGreen += p->m_nKind == KIND_FORMULA && p->m_crColor == 0x00ff00;
    nRed += p->AsBond() != nullptr && p->m_crColor == 0x0000ff;
  }
  EXPECT_EQ(nGreen, 1);
  EXPECT_EQ(nRed, 1);
}

}  // namespace
