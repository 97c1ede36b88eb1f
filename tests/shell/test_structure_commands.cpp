// The drawing as chemistry in the editor: Export Structure, Copy As SMILES and InChI, the
// chemical formats a copy offers, Check Structure's frames and the status bar's formula.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QMimeData>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StreamStructure.h"
#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "platform/CClipboardMimeData.h"
#include "resources/CommandIds.h"
#include "shell/CStructureCommands.h"
#include "tests/shell/ShellFixture.h"
#include "tests/view/DrawingBuilder.h"

namespace {

const std::string kAspirin = "CC(=O)Oc1ccccc1C(=O)O";

class StructureCommandsTest : public ShellFixture {
 protected:
  CMainFrame* StartWith(res::Language lang = res::Language::English) {
    Store().Write(CSettingsStore::kLanguage, lang == res::Language::Czech ? "1029" : "1033");
    CMainFrame* frame = Start().MainFrame();
    EXPECT_TRUE(PumpUntilStartedUp(frame));
    return frame;
  }

  // Aspirin: a benzene template with its circle, and two labels; returns the ring group.
  static CGroup* DrawAspirin(CKvillDoc& doc, CPoint c) {
    DrawingBuilder b(doc);
    CGroup* ring = b.Ring(c);
    b.Ellipse(c.x - 181, c.y + 181, c.x + 181, c.y - 181);
    std::vector<CKVObject*> dots;
    for (const auto& p : ring->m_listChildren)
      if (p->m_nKind == KIND_DOT) dots.push_back(p.get());
    b.Bond(dots[0], b.Formula("OAc", CPoint{c.x + 500, c.y + 284}));
    b.Bond(dots[1], b.Formula("COOH", CPoint{c.x - 86, c.y + 734}));
    return ring;
  }
  // A methyl with a "CH3" that has two bonds, and a label nobody understands.
  static std::vector<CKVObject*> DrawFaults(CKvillDoc& doc, CPoint o) {
    DrawingBuilder b(doc);
    CFormula* methyl = b.Formula("CH3", o);
    b.Bond(b.Dot(o.x - 300, o.y - 134), methyl);
    b.Bond(methyl, b.Dot(o.x + 600, o.y - 134));
    CFormula* odd = b.Formula("Xy", CPoint{o.x + 1500, o.y});
    b.Bond(b.Dot(o.x + 1200, o.y - 134), odd);
    return {methyl, odd};
  }

  static QString ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
  }
  static QString Pane(CMainFrame* frame) { return frame->MessagePane()->text(); }
};

TEST_F(StructureCommandsTest, CleanStructureIsOfferedForASelectedMoleculeAndSaysWhatItLeaves) {
  CMainFrame* frame = StartWith();
  CKvillDoc* doc = frame->Document();
  CGroup* ring = DrawAspirin(*doc, CPoint{3000, -3000});
  const std::vector<CKVObject*> faults = DrawFaults(*doc, CPoint{3000, -6000});
  CKvillView* view = frame->View();
  view->UpdateView();
  view->PushSnapshot();
  const std::size_t nHistory = view->History().Size();
  EXPECT_FALSE(frame->IsCommandEnabled(cmd::kEditCleanStructure)) << "nothing is selected";

  // The methyl with two bonds: offered, but RDKit finds fault with it, so it stays.
  view->DeselectAll();
  faults[0]->SetSelected(1);
  view->SetSelCount(1);
  EXPECT_TRUE(frame->IsCommandEnabled(cmd::kEditCleanStructure));
  frame->OnCommand(cmd::kEditCleanStructure);
  EXPECT_EQ(Pane(frame).left(13), "Not cleaned: ") << Pane(frame).toStdString();
  EXPECT_NE(Pane(frame).indexOf("CH3"), -1) << Pane(frame).toStdString();
  EXPECT_EQ(view->History().Size(), nHistory);

  // The aspirin ring (its labels outside the group come along): one step, one new group.
  view->DeselectAll();
  ring->SetSelected(1);
  view->SetSelCount(1);
  EXPECT_TRUE(frame->IsCommandEnabled(cmd::kEditCleanStructure));
  const std::size_t nObjects = doc->m_listObjects.size();
  frame->OnCommand(cmd::kEditCleanStructure);
  EXPECT_EQ(view->History().Size(), nHistory + 1);
  ASSERT_EQ(view->SelCount(), 1);
  CKVObject* pNew = doc->m_listObjects.back().get();
  EXPECT_TRUE(pNew->m_bSelected);
  ASSERT_NE(pNew->AsGroup(), nullptr);
  int nLabels = 0;
  for (const auto& p : pNew->AsGroup()->m_listChildren) nLabels += p->AsFormula() != nullptr;
  EXPECT_EQ(nLabels, 2) << "COOH and OAc go with their ring";
  frame->OnCommand(cmd::kEditUndo);
  EXPECT_EQ(view->History().Size(), nHistory + 1);
  EXPECT_EQ(doc->m_listObjects.size(), nObjects) << "the ring, circle, labels and bonds are back";
  // The drawing as last recorded had nothing selected; the kept answer follows the undo.
  EXPECT_FALSE(frame->IsCommandEnabled(cmd::kEditCleanStructure));
}

}  // namespace

TEST_F(StructureCommandsTest, ExportStructureWritesEachFormatAndRemembersFolderAndType) {
  CMainFrame* frame = StartWith();
  DrawAspirin(*frame->Document(), CPoint{3000, -3000});
  frame->View()->UpdateView();
  frame->View()->PushSnapshot();
  const std::size_t nHistory = frame->View()->History().Size();
  QDir(m_dir.path()).mkdir(QStringLiteral("out"));
  const QString out = m_dir.filePath(QStringLiteral("out"));

  // The first time: the home folder, the drawing's name, MOL.
  m_fileAnswers.push_back(out + QStringLiteral("/a.smi"));
  frame->OnCommand(cmd::kFileExportStructure);
  ASSERT_EQ(m_fileDialogs.size(), 1u);
  EXPECT_EQ(m_fileDialogs[0].kind, CShellUi::FileDialog::ExportStructure);
  EXPECT_EQ(m_fileDialogs[0].initial, QDir::home().filePath(QStringLiteral("noname.mol")));
  EXPECT_EQ(m_fileDialogs[0].filter,
            "MDL Molfiles (*.mol)|*.mol|SD Files (*.sdf)|*.sdf|SMILES (*.smi)|*.smi|"
            "InChI (*.inchi)|*.inchi|MDL Reaction Files (*.rxn)|*.rxn|");
  EXPECT_EQ(ReadAll(out + "/a.smi").toStdString(), *CanonicalSmiles(kAspirin) + "\n");
  // The next one starts there, with that type.
  m_fileAnswers.push_back(out + QStringLiteral("/a.mol"));
  frame->OnCommand(cmd::kFileExportStructure);
  EXPECT_EQ(m_fileDialogs[1].initial, out + QStringLiteral("/noname.smi"));
  EXPECT_EQ(MolBlockSmiles(ReadAll(out + "/a.mol").toStdString()), CanonicalSmiles(kAspirin));
  EXPECT_TRUE(ReadAll(out + "/a.mol").startsWith("noname\n"));
  for (const char* ext : {"sdf", "inchi"}) {
    EXPECT_TRUE(frame->StructureCommands()->ExportStructureTo(out + "/a." + ext)) << ext;
  }
  EXPECT_TRUE(ReadAll(out + "/a.inchi").startsWith("InChI=1S/C9H8O4/"));
  EXPECT_TRUE(ReadAll(out + "/a.sdf").contains("> <formula>\nC9H8O4\n"));
  EXPECT_TRUE(m_messages.empty());
  // Exporting changes neither the drawing's history nor its saved state.
  EXPECT_EQ(frame->View()->History().Size(), nHistory);
}

TEST_F(StructureCommandsTest, ExportFailuresShowThePathAndTheReason) {
  CMainFrame* frame = StartWith(res::Language::Czech);
  frame->View()->Settings().m_bEnglish = 0;
  const QString empty = m_dir.filePath(QStringLiteral("empty.mol"));
  EXPECT_FALSE(frame->StructureCommands()->ExportStructureTo(empty));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text,
            "Strukturu " + empty + " nelze exportovat.\nV kresbě není žádná struktura.");
  EXPECT_EQ(m_messages[0].caption, "Chyba Valendra");
  EXPECT_FALSE(QFile::exists(empty));

  DrawAspirin(*frame->Document(), CPoint{3000, -3000});
  frame->View()->Settings().m_bEnglish = 1;
  const QString rxn = m_dir.filePath(QStringLiteral("a.rxn"));
  EXPECT_FALSE(frame->StructureCommands()->ExportStructureTo(rxn));
  EXPECT_EQ(m_messages.back().text,
            rxn + " could not be exported.\nThere is no reaction in the drawing.");
  const QString nowhere = m_dir.filePath(QStringLiteral("no/such/folder/a.mol"));
  EXPECT_FALSE(frame->StructureCommands()->ExportStructureTo(nowhere));
  EXPECT_TRUE(m_messages.back().text.startsWith(nowhere + " could not be exported.\n"));
  EXPECT_GT(m_messages.back().text.size(), (nowhere + " could not be exported.\n").size());
  EXPECT_EQ(m_messages.size(), 3u);
}

TEST_F(StructureCommandsTest, CopyAsPutsTheSelectedMoleculesOrAllAsText) {
  CMainFrame* frame = StartWith();
  CKvillDoc* doc = frame->Document();
  CGroup* ring = DrawAspirin(*doc, CPoint{3000, -3000});
  DrawingBuilder(*doc).Bond(DrawingBuilder(*doc).Dot(9000, -3000),
                            DrawingBuilder(*doc).Formula("OH", CPoint{9300, -2866}));
  QClipboard* clipboard = QGuiApplication::clipboard();
  frame->OnCommand(cmd::kEditCopyAsSmiles);
  EXPECT_EQ(clipboard->text().toStdString(), *CanonicalSmiles(kAspirin + ".CO"));
  // The selected molecule alone: the ring group is selected, its labels are not.
  ring->m_bSelected = 1;
  frame->OnCommand(cmd::kEditCopyAsSmiles);
  EXPECT_EQ(clipboard->text().toStdString(), *CanonicalSmiles(kAspirin));
  frame->OnCommand(cmd::kEditCopyAsInchi);
  EXPECT_EQ(clipboard->text(),
            "InChI=1S/C9H8O4/c1-6(10)13-8-5-3-2-4-7(8)9(11)12/h2-5H,1H3,(H,11,12)");
  // Nothing that is a molecule: the clipboard keeps what it had and the status bar says so.
  ring->m_bSelected = 0;
  doc->m_listObjects.clear();
  DrawingBuilder(*doc).Formula("reflux", CPoint{0, 0})->m_bSelected = 1;
  frame->OnCommand(cmd::kEditCopyAsSmiles);
  EXPECT_EQ(clipboard->text(),
            "InChI=1S/C9H8O4/c1-6(10)13-8-5-3-2-4-7(8)9(11)12/h2-5H,1H3,(H,11,12)");
  EXPECT_EQ(Pane(frame), "No structure to copy");
}

TEST_F(StructureCommandsTest, CopyOffersTheChemicalFormatsWrittenWhenAsked) {
  CMainFrame* frame = StartWith();
  CKvillDoc* doc = frame->Document();
  DrawAspirin(*doc, CPoint{3000, -3000});
  CFormula* text = DrawingBuilder(*doc).Formula("reflux", CPoint{9000, -3000});
  frame->View()->UpdateView();
  frame->OnCommand(cmd::kEditCopy);
  const auto* data =
      dynamic_cast<const CClipboardMimeData*>(QGuiApplication::clipboard()->mimeData());
  ASSERT_NE(data, nullptr);
  // A paste asks only for the drawing: no structure is written for it.
  EXPECT_TRUE(data->hasFormat(QString::fromLatin1(kNativeMimeType)));
  EXPECT_FALSE(data->StructuresWritten());
  const QStringList formats = data->formats();
  EXPECT_TRUE(data->StructuresWritten());
  EXPECT_TRUE(formats.contains(QString::fromLatin1(kMolfileMimeType)));
  EXPECT_TRUE(formats.contains(QString::fromLatin1(kSmilesMimeType)));
  EXPECT_EQ(data->data(QString::fromLatin1(kSmilesMimeType)).toStdString(),
            *CanonicalSmiles(kAspirin));
  EXPECT_EQ(MolBlockSmiles(data->data(QString::fromLatin1(kMolfileMimeType)).toStdString()),
            CanonicalSmiles(kAspirin));
  // A copied part without a molecule offers the drawing and its picture only.
  frame->View()->DeselectAll();
  text->m_bSelected = 1;
  frame->View()->SetSelCount(1);
  frame->OnCommand(cmd::kEditCopySelection);
  const QMimeData* part = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->formats(),
            (QStringList{QString::fromLatin1(kNativeMimeType), QString::fromLatin1(kSvgMimeType),
                         QString::fromLatin1(kPngMimeType)}));
}

TEST_F(StructureCommandsTest, CheckStructureFramesTheFaultyAtomsUntilTheNextChange) {
  CMainFrame* frame = StartWith();
  CKvillDoc* doc = frame->Document();
  DrawAspirin(*doc, CPoint{3000, -3000});
  const std::vector<CKVObject*> faults = DrawFaults(*doc, CPoint{3000, -6000});
  CKvillView* view = frame->View();
  view->UpdateView();
  view->PushSnapshot();
  const std::size_t nHistory = view->History().Size();
  const bool bModified = doc->IsModified();
  QWidget* client = frame->ViewWidget()->Client();
  const QImage before = client->grab().toImage();

  frame->OnCommand(cmd::kEditCheckStructure);
  EXPECT_EQ(Pane(frame), "2 problems");
  CStructureCommands* s = frame->StructureCommands();
  // The label not understood is found by the reading, the valence by RDKit after it.
  EXPECT_EQ(s->Marks(), (std::vector<const CKVObject*>{faults[1], faults[0]}));
  EXPECT_EQ(view->History().Size(), nHistory);
  EXPECT_EQ(doc->IsModified(), bModified);
  // Red frames where the labels are, on the window as the user sees it.
  const auto redAround = [&](const QImage& img, const CKVObject* p) {
    const CRect f = p->GetSelectionFrame();
    const CPoint a = view->LogicalToDevice(CPoint{f.left, f.top});
    const CPoint b = view->LogicalToDevice(CPoint{f.right, f.bottom});
    int n = 0;
    for (int x = std::max(0, a.x - 4); x <= std::min(img.width() - 1, b.x + 4); ++x) {
      for (int y : {a.y - 3, a.y - 2, b.y + 2, b.y + 3}) {
        if (y < 0 || y >= img.height()) continue;
        const QColor c = img.pixelColor(x, y);
        n += c.red() > 180 && c.green() < 80 && c.blue() < 80;
      }
    }
    return n;
  };
  PumpUntil([&] { return redAround(client->grab().toImage(), faults[0]) > 10; });
  const QImage marked = client->grab().toImage();
  EXPECT_GT(redAround(marked, faults[0]), 10);
  EXPECT_GT(redAround(marked, faults[1]), 10);
  EXPECT_EQ(redAround(before, faults[0]), 0);

  // The next change (the lone label deleted) takes the frames away.
  view->DeselectAll();
  faults[1]->m_bSelected = 1;
  view->SetSelCount(1);
  frame->OnCommand(cmd::kEditDelete);
  EXPECT_TRUE(s->Marks().empty());
  frame->OnCommand(cmd::kEditCheckStructure);
  EXPECT_EQ(Pane(frame), "1 problem");
  doc->m_listObjects.clear();
  DrawAspirin(*doc, CPoint{3000, -3000});
  view->UpdateView();
  view->PushSnapshot();
  frame->OnCommand(cmd::kEditCheckStructure);
  EXPECT_EQ(Pane(frame), "No problems");
}

TEST_F(StructureCommandsTest, TheStatusFieldFollowsTheDrawingAndTheSelectionAfterThePaint) {
  CMainFrame* frame = StartWith();
  CKvillDoc* doc = frame->Document();
  QLabel* field = frame->StructureField();
  EXPECT_EQ(field->text(), "");
  CGroup* ring = DrawAspirin(*doc, CPoint{3000, -3000});
  DrawingBuilder b(*doc);
  b.Bond(b.Dot(9000, -3000), b.Formula("OH", CPoint{9300, -2866}));
  frame->View()->UpdateView();
  frame->View()->PushSnapshot();
  // The field is worked out after the paint that shows the change, not inside it.
  EXPECT_EQ(field->text(), "");
  EXPECT_TRUE(PumpUntil([&] { return field->text() == "C10H12O5  212.20"; }))
      << field->text().toStdString();
  frame->View()->DeselectAll();
  ring->SetSelected(1);
  frame->View()->SetSelCount(1);
  frame->View()->UpdateView();
  EXPECT_TRUE(PumpUntil([&] { return field->text() == "C9H8O4  180.16"; }))
      << field->text().toStdString();
  doc->SetModifiedFlag(false);
  frame->OnCommand(cmd::kFileNew);
  EXPECT_TRUE(PumpUntil([&] { return field->text().isEmpty(); }));
}
