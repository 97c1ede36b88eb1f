// The file commands in a temporary folder: saving and reopening, Save Copy As, missing
// files, the recent-file list, New's question, and saves that fail.
#include <signal.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPrinter>
#include <QUrl>

#include "chemistry/CMoleculeSet.h"
#include "chemistry/StructureReader.h"
#include "document/CKvillDoc.h"
#include "document/CKvillSrvrItem.h"
#include "formula/CFormula.h"
#include "objects/CArchive.h"
#include "objects/CDot.h"
#include "objects/CEllipse.h"
#include "objects/CKVObject.h"
#include "objects/CRecordingDC.h"
#include "platform/CProcessControl.h"
#include "shell/CFileDialogVld.h"
#include "shell/CMainFrame.h"
#include "tests/shell/PdfPages.h"
#include "tests/shell/ShellFixture.h"
#include "view/CKvillView.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

// The stream of an empty drawing.
QByteArray EmptyDrawing() {
  CKvillDoc doc;
  std::vector<std::uint8_t> bytes;
  CArchive ar(&bytes);
  doc.Serialize(ar, CSerializeOptions::SaveWhole());
  ar.Flush();
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Tests may run as root, whose file access ignores permission bits. While this lives, the
// thread's file access is an unprivileged user's (its file system user id), so a folder
// without write permission refuses root too; the real user's access comes back after.
class UnprivilegedFileAccess {
 public:
  static constexpr uid_t kNobody = 65534;
  UnprivilegedFileAccess() : m_uidBefore(static_cast<uid_t>(setfsuid(kNobody))) {}
  ~UnprivilegedFileAccess() { setfsuid(m_uidBefore); }
  UnprivilegedFileAccess(const UnprivilegedFileAccess&) = delete;
  UnprivilegedFileAccess& operator=(const UnprivilegedFileAccess&) = delete;

 private:
  uid_t m_uidBefore;
};

class FileCommandsTest : public ShellFixture {
 protected:
  CMainFrame* StartEnglish() {
    Store().Write(CSettingsStore::kLanguage, "1033");
    CMainFrame* frame = Start().MainFrame();
    frame->View()->Settings().m_bEnglish = 1;
    return frame;
  }

  // A small drawing: two ellipses and a junction.
  static void Draw(CKvillDoc* doc, int nOffset = 0) {
    for (int i = 0; i < 2; ++i) {
      auto e = std::make_unique<CEllipse>();
      e->m_rcBounds = CRect{100 + nOffset + 500 * i, -100, 400 + nOffset + 500 * i, -300};
      e->m_ptAnchor = CPoint{e->m_rcBounds.left, e->m_rcBounds.top};
      doc->m_listObjects.push_back(std::move(e));
    }
    auto d = std::make_unique<CDot>();
    d->m_ptAnchor = CPoint{700, -700};
    d->m_rcBounds = CRect{640, -650, 760, -750};
    doc->m_listObjects.push_back(std::move(d));
    doc->SetModifiedFlag(true);
  }
};

}  // namespace

TEST_F(FileCommandsTest, SaveAndReopenGiveIdenticalBytes) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  Draw(doc);
  const QString a = Path("a.vld");
  m_fileAnswers.push_back(a);
  frame->OnCommand(32888);  // Save As
  ASSERT_EQ(m_fileDialogs.size(), 1u);
  EXPECT_EQ(m_fileDialogs[0].kind, CShellUi::FileDialog::SaveCopyAs);
  EXPECT_EQ(m_fileDialogs[0].initial, "noname");
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(doc->m_strTitle, "a.vld");
  EXPECT_EQ(frame->windowTitle(), "a.vld - Valendra");
  const QByteArray saved = ReadAll(a);
  ASSERT_GT(saved.size(), 9);
  EXPECT_TRUE(saved.mid(1).startsWith("Valendra"));

  // Open it again through New and the recent-file list, then save under another name.
  frame->OnCommand(57600);
  EXPECT_TRUE(doc->m_listObjects.empty());
  EXPECT_EQ(doc->m_strTitle, "noname");
  ASSERT_EQ(m_app->RecentFiles().value(0), a);
  frame->OnCommand(57616);
  EXPECT_EQ(doc->m_listObjects.size(), 3u);
  EXPECT_EQ(doc->m_strPathName, a.toStdString());
  const QString b = Path("b.vld");
  m_fileAnswers.push_back(b);
  frame->OnCommand(32888);
  EXPECT_EQ(ReadAll(b), saved);

  // Save with a path writes in place, without asking.
  doc->SetModifiedFlag(true);
  m_messages.clear();
  frame->OnCommand(32887);
  EXPECT_TRUE(m_messages.empty());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(ReadAll(b), saved);
}

TEST_F(FileCommandsTest, SaveWithoutPathAsksFirst) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  Draw(doc);
  m_answers.push_back(CShellUi::kIdNo);
  frame->OnCommand(32887);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, "Save changes to noname?");
  EXPECT_EQ(m_messages[0].caption, "Valendra");
  EXPECT_EQ(m_messages[0].flags, CShellUi::kIconWarning | CShellUi::kYesNoCancel);
  EXPECT_TRUE(m_fileDialogs.empty());
  EXPECT_TRUE(doc->IsModified());
}

TEST_F(FileCommandsTest, SaveCopyAsKeepsTheModifiedFlag) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  Draw(doc);
  const QString c = Path("copy.vld");
  m_fileAnswers.push_back(c);
  frame->OnCommand(57611);
  EXPECT_TRUE(QFile::exists(c));
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_strTitle, "copy.vld");
  EXPECT_EQ(doc->m_strPathName, c.toStdString());
  // Cancelling the dialog changes nothing.
  frame->OnCommand(57611);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_strTitle, "copy.vld");
}

TEST_F(FileCommandsTest, MissingFileShowsTheFullPath) {
  CMainFrame* frame = StartEnglish();
  const QString missing = Path("nowhere/missing.vld");
  EXPECT_FALSE(frame->OpenFileInto(missing));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, missing + " was not found.");
  EXPECT_EQ(m_messages[0].caption, "Open");
  EXPECT_EQ(m_messages[0].flags, CShellUi::kIconWarning);

  frame->View()->Settings().m_bEnglish = 0;
  EXPECT_FALSE(frame->OpenFileInto(missing));
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_EQ(m_messages[1].text, missing + " nebyl nalezen.");
  EXPECT_EQ(m_messages[1].caption, "Otevřít soubor");
}

TEST_F(FileCommandsTest, OpenDialogRefusesUnreadableNames) {
  EXPECT_FALSE(CFileDialogVld::CheckFileName(Path("gone.vld"), true));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text,
            "gone.vld\nFile not found.\nPlease verify the correct file name was given.");
  EXPECT_EQ(m_messages[0].caption, "Open");
  EXPECT_FALSE(CFileDialogVld::CheckFileName(Path("gone.vld"), false));
  EXPECT_EQ(m_messages[1].text,
            "gone.vld\nSoubor nenalezen.\nOvěřte, zda je zadán správný název souboru.");
  EXPECT_EQ(m_messages[1].caption, "Otevřít soubor");
  WriteAll(Path("here.vld"), "x");
  EXPECT_TRUE(CFileDialogVld::CheckFileName(Path("here.vld"), true));
  EXPECT_EQ(m_messages.size(), 2u);

  EXPECT_EQ(CFileDialogVld::NameFilters("Valendra Documents (*.vld)|*.vld|All Files (*.*)|*.*|"),
            (QStringList{"Valendra Documents (*.vld)", "All Files (*)"}));
}

TEST_F(FileCommandsTest, MissingRecentFileLeavesTheList) {
  CMainFrame* frame = StartEnglish();
  const QString p1 = Path("1.vld"), p2 = Path("2.vld"), p3 = Path("3.vld");
  for (const QString& p : {p1, p2, p3}) {
    WriteAll(p, "x");
    m_app->AddToRecentFileList(p);
  }
  // Most recent first: 3, 2, 1. Entry 1 (file 2) disappears from the disk.
  ASSERT_EQ(m_app->RecentFiles(), (QStringList{p3, p2, p1}));
  QFile::remove(p2);
  frame->OnCommand(57617);
  ASSERT_FALSE(m_messages.empty());
  EXPECT_EQ(m_messages.back().text, p2 + " was not found.");
  EXPECT_EQ(m_app->RecentFiles(), (QStringList{p3, p1}));
  // The list is kept across runs.
  m_app.reset();
  Start();
  EXPECT_EQ(m_app->RecentFiles(), (QStringList{p3, p1}));
  // Only four entries are kept.
  for (const char* n : {"4.vld", "5.vld", "6.vld"}) m_app->AddToRecentFileList(Path(n));
  EXPECT_EQ(m_app->RecentFiles().size(), 4);
  EXPECT_EQ(m_app->RecentFiles().front(), Path("6.vld"));
}

TEST_F(FileCommandsTest, NewOnModifiedDrawingAsksAndCancelKeepsIt) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  Draw(doc);
  // "Discard it?" Yes, then "Save changes?" Cancel: nothing happens.
  m_answers = {CShellUi::kIdYes, CShellUi::kIdCancel};
  frame->OnCommand(57600);
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_EQ(m_messages[0].text, "Drawing has not been saved. Do you want to discard it?");
  EXPECT_EQ(m_messages[1].text, "Save changes to noname?");
  EXPECT_EQ(doc->m_listObjects.size(), 3u);
  EXPECT_TRUE(doc->IsModified());
  // "Discard it?" No also keeps it.
  m_answers = {CShellUi::kIdNo};
  frame->OnCommand(57600);
  EXPECT_EQ(doc->m_listObjects.size(), 3u);
  // Yes and No discard without saving.
  m_answers = {CShellUi::kIdYes, CShellUi::kIdNo};
  frame->OnCommand(57600);
  EXPECT_TRUE(doc->m_listObjects.empty());
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(FileCommandsTest, NewWhileABondIsBeingPlacedLetsGoOfItsJunction) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  CKvillView* view = frame->View();
  Draw(doc);
  // The single-bond tool pressed on the junction: the bond now hangs from it.
  view->Mouse().SetTool(2);
  view->OnLButtonDown(0, view->LogicalToDevice(CPoint{700, -700}));
  ASSERT_EQ(view->Mouse().Tool(), 3);
  ASSERT_NE(view->Current(), nullptr);
  // New, discarding the drawing: the junction is deleted, and the repaint that follows
  // must not reach it through the bond.
  m_answers = {CShellUi::kIdYes, CShellUi::kIdNo};
  frame->OnCommand(57600);
  EXPECT_TRUE(doc->m_listObjects.empty());
  EXPECT_EQ(view->Current(), nullptr);
  // The next press starts afresh rather than finishing the lost bond.
  view->OnLButtonDown(0, view->LogicalToDevice(CPoint{2000, -2000}));
  EXPECT_NE(view->Mouse().Tool(), 3);
  view->OnLButtonUp(0, view->LogicalToDevice(CPoint{2000, -2000}));
}

TEST_F(FileCommandsTest, LanguageSwitchAsksFirstAndCancelKeepsEverything) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  Draw(doc);
  const auto before = Store().Read(CSettingsStore::kLanguage);
  m_answers = {CShellUi::kIdNo};
  frame->OnCommand(32892);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, "Drawing has not been saved. Do you want to discard it?");
  EXPECT_EQ(frame->View()->Settings().m_wLanguageId, 1033);
  EXPECT_EQ(Store().Read(CSettingsStore::kLanguage), before);
  EXPECT_EQ(doc->m_listObjects.size(), 3u);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(m_nInstancesStarted, 0);

  // Without unsaved changes the switch saves both records and starts the new instance.
  doc->SetModifiedFlag(false);
  frame->OnCommand(32892);
  EXPECT_EQ(m_nInstancesStarted, 1);
  EXPECT_EQ(Store().Read(CSettingsStore::kLanguage).value_or(""), "1029");
  EXPECT_TRUE(Store().Read(CSettingsStore::kSettings).has_value());
}

TEST_F(FileCommandsTest, InterruptedSaveLeavesTheOldFileAndTheModifiedState) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  const QString target = Path("kept.vld");
  const QByteArray old = "previous contents";
  WriteAll(target, old);
  Draw(doc);
  for (int i = 0; i < 20; ++i) Draw(doc, 1000 * i);
  doc->m_strPathName = target.toStdString();

  // The disk "fills up" after 64 bytes: the write fails part way.
  struct rlimit saved {};
  getrlimit(RLIMIT_FSIZE, &saved);
  struct rlimit small = saved;
  small.rlim_cur = 64;
  const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  frame->OnCommand(32887);
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, oldHandler);

  EXPECT_EQ(ReadAll(target), old);
  EXPECT_TRUE(doc->IsModified());
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].text.startsWith(target + " could not be saved."))
      << m_messages[0].text.toStdString();
  EXPECT_EQ(m_messages[0].caption, "Valendra Error");
  // No temporary file is left behind.
  EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), (QStringList{"kept.vld", "valendra.ini"}));
}

TEST_F(FileCommandsTest, SaveIntoReadOnlyFolderFails) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  QDir(m_dir.path()).mkdir("ro");
  const QString target = Path("ro/x.vld");
  WriteAll(target, "old");
  const auto rx = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                  QFile::ReadOther | QFile::ExeOther;
  QFile::setPermissions(m_dir.path(), rx | QFile::WriteOwner);
  QFile::setPermissions(Path("ro"), rx);
  Draw(doc);
  m_fileAnswers.push_back(target);
  {
    UnprivilegedFileAccess asAUser;
    EXPECT_FALSE(frame->SaveAs());
  }
  QFile::setPermissions(Path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(ReadAll(target), "old");
  EXPECT_TRUE(doc->IsModified());
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].text.startsWith(target));
}

TEST_F(FileCommandsTest, PrintsToPdfWithoutAPrinter) {
  CMainFrame* frame = StartEnglish();
  Draw(frame->Document());
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const QString pdf = Path("out.pdf");
  printer.setOutputFileName(pdf);
  frame->PrintTo(&printer);
  const QByteArray bytes = ReadAll(pdf);
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_GT(bytes.size(), 500);
  EXPECT_EQ(frame->View()->m_bDirectRender, 1);
}

TEST_F(FileCommandsTest, FileNamedOnTheCommandLineOpensAfterStartUp) {
  // Write a drawing with one run, then start another with its name.
  CMainFrame* frame = StartEnglish();
  Draw(frame->Document());
  const QString a = Path("start.vld");
  m_fileAnswers.push_back(a);
  ASSERT_TRUE(frame->SaveAs());
  m_app.reset();

  Store().Write(CSettingsStore::kLanguage, "1033");
  frame = Start({a}).MainFrame();
  // Nothing is read before the window exists; timer 1122 opens it.
  EXPECT_TRUE(frame->Document()->m_listObjects.empty());
  ASSERT_TRUE(PumpUntil([this] { return m_app->m_strOpenAtStart.isEmpty(); }));
  EXPECT_EQ(frame->Document()->m_listObjects.size(), 3u);
  EXPECT_EQ(frame->windowTitle(), "start.vld - Valendra");
  EXPECT_TRUE(m_app->m_strOpenAtStart.isEmpty());
  m_app.reset();

  // A name that cannot be opened: the message, and the empty document stays.
  m_messages.clear();
  frame = Start({Path("absent.vld")}).MainFrame();
  ASSERT_TRUE(PumpUntil([this] { return m_app->m_strOpenAtStart.isEmpty(); }));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, Path("absent.vld") + " was not found.");
  EXPECT_TRUE(frame->Document()->m_listObjects.empty());
  EXPECT_EQ(frame->windowTitle(), "noname - Valendra");
}

TEST_F(FileCommandsTest, DroppedFilesOpen) {
  CMainFrame* frame = StartEnglish();
  Draw(frame->Document());
  const QString a = Path("dropped.vld");
  m_fileAnswers.push_back(a);
  ASSERT_TRUE(frame->SaveAs());
  frame->OnCommand(57600);
  ASSERT_TRUE(frame->Document()->m_listObjects.empty());
  EXPECT_TRUE(frame->acceptDrops());

  frame->OpenDroppedFiles(
      {QUrl::fromLocalFile(a), QUrl(QStringLiteral("https://example.org/x.vld"))});
  EXPECT_EQ(frame->Document()->m_listObjects.size(), 3u);
  EXPECT_EQ(frame->Document()->m_strTitle, "dropped.vld");
}

TEST_F(FileCommandsTest, UpdateWritesTheEmbeddedFileAndItsPicture) {
  // The embedded drawing's file, made by an ordinary save first.
  CMainFrame* frame = StartEnglish();
  Draw(frame->Document());
  const QString file = Path("embedded.vld");
  m_fileAnswers.push_back(file);
  ASSERT_TRUE(frame->SaveAs());
  const QByteArray saved = ReadAll(file);
  m_app.reset();

  Store().Write(CSettingsStore::kLanguage, "1033");
  frame = Start({"--embedding", file}).MainFrame();
  ASSERT_TRUE(PumpUntil([this] { return m_app->m_strOpenAtStart.isEmpty(); }));
  CKvillDoc* doc = frame->Document();
  ASSERT_EQ(doc->m_listObjects.size(), 3u);
  doc->m_listObjects.pop_back();
  doc->SetModifiedFlag(true);
  frame->OnCommand(57610);
  EXPECT_FALSE(doc->IsModified());
  const QByteArray updated = ReadAll(file);
  EXPECT_TRUE(updated.mid(1).startsWith("Valendra"));
  EXPECT_LT(updated.size(), saved.size());
  const QByteArray svg = ReadAll(file + ".svg");
  EXPECT_TRUE(svg.contains("<svg")) << svg.left(200).constData();
  EXPECT_TRUE(svg.contains("</svg>"));
  // The file holds the item's stream, the bytes Save writes; the picture has the size the
  // item reports, in millimetres.
  std::vector<std::uint8_t> expected;
  {
    CArchive ar(&expected);
    doc->Serialize(ar, CSerializeOptions::SaveWhole());
    ar.Flush();
  }
  EXPECT_EQ(updated, QByteArray(reinterpret_cast<const char*>(expected.data()),
                                static_cast<qsizetype>(expected.size())));
  ASSERT_NE(doc->m_pEmbeddedItem, nullptr);
  CRecordingDC dc;
  CSize reported;
  doc->m_pEmbeddedItem->OnDraw(&dc, &reported);
  EXPECT_TRUE(svg.contains(QStringLiteral("width=\"%1mm\"").arg(reported.cx / 100.0).toUtf8()))
      << reported.cx << " " << svg.left(300).constData();
  // Ctrl+S in the embedding window is Update as well.
  doc->SetModifiedFlag(true);
  frame->OnCommand(57603);
  EXPECT_FALSE(doc->IsModified());
}

namespace {

// A few hundred bytes of a PNG image: its signature, then chunk-like data without any
// of the drawing magics.
QByteArray PngBytes() {
  QByteArray png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  for (int i = 0; i < 600; ++i) png += static_cast<char>((i * 37 + 11) % 251);
  return png;
}

}  // namespace

TEST_F(FileCommandsTest, AFileThatHoldsNoDrawingNeverBecomesTheDocumentsFile) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  const QString png = Path("picture.png");
  WriteAll(png, PngBytes());
  const QString drawing = Path("a.vld");
  Draw(doc);
  m_fileAnswers.push_back(drawing);
  ASSERT_TRUE(frame->SaveAs());
  const QByteArray drawingBytes = ReadAll(drawing);

  // After each way of opening the image: the message, an untitled empty document, the image
  // not among the recent files; then Save asks for a name (Cancel) and Ctrl+S shows its
  // dialog (cancelled), so nothing is written.
  const auto expectRefused = [&](const char* pszWay) {
    SCOPED_TRACE(pszWay);
    ASSERT_TRUE(PumpUntil([&] { return !m_messages.empty(); }));
    EXPECT_EQ(m_messages.back().text, "Error: Incompatible file.");
    EXPECT_EQ(m_messages.back().caption, "Valendra");
    EXPECT_EQ(m_messages.back().flags, CShellUi::kIconError);
    EXPECT_EQ(frame->windowTitle(), "noname - Valendra");
    EXPECT_TRUE(doc->m_strPathName.empty());
    EXPECT_FALSE(m_app->RecentFiles().contains(png));
    EXPECT_TRUE(doc->m_listObjects.empty());
    EXPECT_FALSE(doc->IsModified());
    m_messages.clear();
    frame->OnCommand(32887);  // Save
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Save changes to noname?");
    const std::size_t nDialogs = m_fileDialogs.size();
    frame->OnCommand(57603);  // Ctrl+S
    ASSERT_EQ(m_fileDialogs.size(), nDialogs + 1);
    EXPECT_EQ(m_fileDialogs.back().kind, CShellUi::FileDialog::SaveFramework);
    EXPECT_EQ(ReadAll(png), PngBytes());
    // The drawing is opened again for the next way.
    m_messages.clear();
    ASSERT_TRUE(frame->OpenFileInto(drawing));
    ASSERT_EQ(doc->m_listObjects.size(), 3u);
  };

  m_fileAnswers.push_back(png);
  frame->OnCommand(32886);  // Open
  expectRefused("Open");

  m_fileAnswers.push_back(png);
  frame->OnCommand(57601);  // Ctrl+O: by name, after the framework's dialog
  expectRefused("Ctrl+O");

  m_app->AddToRecentFileList(png);
  ASSERT_EQ(m_app->RecentFiles().value(0), png);
  frame->OnCommand(57616);  // the first recent file
  expectRefused("recent file");

  // Dragged over the window (which takes it), then dropped.
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(png)});
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(frame, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(frame, &drop);
  EXPECT_TRUE(drop.isAccepted());
  expectRefused("dropped");

  // Named on the command line.
  m_app.reset();
  m_messages.clear();
  Store().Write(CSettingsStore::kLanguage, "1033");
  frame = Start({png}).MainFrame();
  frame->View()->Settings().m_bEnglish = 1;
  doc = frame->Document();
  expectRefused("command line");

  EXPECT_EQ(ReadAll(drawing), drawingBytes);
}

TEST_F(FileCommandsTest, ADrawingCutShortStaysUntitledAndModifiedWithWhatWasRead) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  Draw(doc);
  const QString whole = Path("whole.vld");
  m_fileAnswers.push_back(whole);
  ASSERT_TRUE(frame->SaveAs());
  frame->OnCommand(57600);  // New
  // The same drawing without its end marker.
  const QString cut = Path("cut.vld");
  const QByteArray cutBytes = ReadAll(whole).chopped(4);
  WriteAll(cut, cutBytes);

  m_fileAnswers.push_back(cut);
  frame->OnCommand(32886);  // Open
  ASSERT_TRUE(PumpUntil([&] { return !m_messages.empty(); }));
  EXPECT_EQ(m_messages.back().text, "Error: Incompatible file.");
  EXPECT_EQ(doc->m_listObjects.size(), 3u);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(frame->windowTitle(), "noname - Valendra");
  EXPECT_FALSE(m_app->RecentFiles().contains(cut));

  // Closing asks first; saving from the question asks for a name (cancelled), so the
  // drawing stays and the file is left alone.
  m_messages.clear();
  m_answers = {CShellUi::kIdYes, CShellUi::kIdYes};
  QCloseEvent close;
  QCoreApplication::sendEvent(frame, &close);
  EXPECT_FALSE(close.isAccepted());
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_EQ(m_messages[0].text, "Drawing has not been saved. Do you want to discard it?");
  EXPECT_EQ(m_messages[1].text, "Save changes to noname?");
  EXPECT_EQ(m_fileDialogs.back().kind, CShellUi::FileDialog::SaveCopyAs);
  EXPECT_EQ(doc->m_listObjects.size(), 3u);
  EXPECT_EQ(ReadAll(cut), cutBytes);
}

TEST_F(FileCommandsTest, SaveFromTheQuestionIntoAFolderThatRefusesWritesKeepsFileAndDrawing) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("locked")));
  const QString target = Path("locked/kept.vld");
  Draw(doc);
  m_fileAnswers.push_back(target);
  ASSERT_TRUE(frame->SaveAs());
  const QByteArray old = ReadAll(target);
  ASSERT_FALSE(old.isEmpty());
  doc->m_listObjects.pop_back();
  doc->SetModifiedFlag(true);

  // The file itself may be written by anyone; its folder takes no new files.
  const auto rwx = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
  const auto rx = QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
  const auto rw = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
  QFile::setPermissions(m_dir.path(), rwx | rx);
  QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | rw);
  QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::ExeOwner | rx);
  m_answers = {CShellUi::kIdYes, CShellUi::kIdYes};
  {
    UnprivilegedFileAccess asAUser;
    frame->OnCommand(57600);  // New: "discard it?" Yes, "Save changes?" Yes
  }
  QFile::setPermissions(Path("locked"), rwx);

  EXPECT_EQ(ReadAll(target), old);
  EXPECT_EQ(doc->m_listObjects.size(), 2u);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_strPathName, target.toStdString());
  ASSERT_EQ(m_messages.size(), 3u);
  EXPECT_EQ(m_messages[1].text, "Save changes to kept.vld?");
  EXPECT_TRUE(m_messages[2].text.startsWith(target + " could not be saved."))
      << m_messages[2].text.toStdString();
  EXPECT_TRUE(m_messages[2].text.contains("Permission denied")) << m_messages[2].text.toStdString();
  EXPECT_EQ(m_messages[2].caption, "Valendra Error");
  EXPECT_EQ(QDir(Path("locked")).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.vld"});

  // Where it can be written, the same answers save the drawing and let New go on.
  m_messages.clear();
  m_answers = {CShellUi::kIdYes, CShellUi::kIdYes};
  frame->OnCommand(57600);
  EXPECT_TRUE(doc->m_listObjects.empty());
  EXPECT_NE(ReadAll(target), old);
  EXPECT_EQ(ReadAll(target).size(), old.size() - 44);  // one junction record fewer
}

TEST_F(FileCommandsTest, AnEmbeddingServerStillArmedAtItsEndStartsTheInstanceThatEndsIt) {
  const QString file = Path("embedded.vld");
  WriteAll(file, EmptyDrawing());
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start({"--embedding", file}).MainFrame();
  ASSERT_TRUE(PumpUntil([this] { return m_app->m_strOpenAtStart.isEmpty(); }));
  // Copies and pastes make and drop items of their own; none of them ends the server.
  frame->OnCommand(57634);
  frame->OnCommand(57634);
  frame->OnCommand(57637);
  EXPECT_EQ(m_nInstancesStarted, 0);
  // At the end the container's item, still armed, leaves the process id and starts the
  // instance that ends this one, once.
  m_app->ExitInstance();
  EXPECT_EQ(m_nInstancesStarted, 1);
  EXPECT_EQ(Store().Read(CSettingsStore::kKill).value_or(""),
            std::to_string(CProcessControl::CurrentProcessId()));
}

TEST_F(FileCommandsTest, AnEmbeddingServerShownOnItsOwnEndsQuietly) {
  const QString file = Path("embedded.vld");
  WriteAll(file, EmptyDrawing());
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start({"--embedding", file}).MainFrame();
  ASSERT_TRUE(PumpUntil([this] { return m_app->m_strOpenAtStart.isEmpty(); }));
  frame->Document()->m_pEmbeddedItem->OnShow();
  m_app->ExitInstance();
  EXPECT_EQ(m_nInstancesStarted, 0);
}

TEST_F(FileCommandsTest, LanguageSwitchBringsTheDrawingsFileIntoTheNewInstance) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  // Untitled and unchanged: the new instance starts empty.
  frame->OnCommand(32892);
  EXPECT_EQ(m_nInstancesStarted, 1);
  EXPECT_TRUE(m_lastInstanceArgs.isEmpty());

  // Untitled with changes, saved by the question under a name: that file comes back.
  Draw(doc);
  const QString saved = Path("switch.vld");
  m_answers = {CShellUi::kIdYes, CShellUi::kIdYes};
  m_fileAnswers.push_back(saved);
  frame->OnCommand(32893);
  EXPECT_EQ(m_nInstancesStarted, 2);
  EXPECT_EQ(m_lastInstanceArgs, QStringList{saved});
  EXPECT_TRUE(QFile::exists(saved));

  // An opened drawing whose changes the question discards: its file as it is on disk.
  ASSERT_TRUE(frame->OpenFileInto(saved));
  doc->m_listObjects.pop_back();
  doc->SetModifiedFlag(true);
  m_answers = {CShellUi::kIdYes, CShellUi::kIdNo};
  frame->OnCommand(32892);
  EXPECT_EQ(m_nInstancesStarted, 3);
  EXPECT_EQ(m_lastInstanceArgs, QStringList{saved});

  // The new instance, started so, shows that drawing.
  m_app.reset();
  Store().Write(CSettingsStore::kLanguage, "1033");
  frame = Start(m_lastInstanceArgs).MainFrame();
  ASSERT_TRUE(PumpUntil([&] { return frame->Document()->m_listObjects.size() == 3u; }));
  EXPECT_EQ(frame->windowTitle(), "switch.vld - Valendra");
}

TEST_F(FileCommandsTest, AnEmptyFormulaIsNotPrinted) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  Draw(doc);
  // The page of the drawing, printed to PDF and looked at as pixels.
  const auto printed = [&](const char* pszName) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(Path(pszName));
    frame->PrintTo(&printer);
    return FirstPdfPage(Path(pszName), 72);
  };
  const QImage without = printed("without.pdf");
  ASSERT_FALSE(without.isNull());
  // An empty formula above the drawing, as Escape leaves it after a click with the tool.
  auto f = std::make_unique<CFormula>();
  f->MoveTo(CPoint{1500, -1200});
  doc->m_listObjects.push_back(std::move(f));
  frame->View()->m_bDirectRender = 0;
  frame->View()->UpdateView();
  EXPECT_TRUE(printed("with.pdf") == without);
}

// The SMILES of every molecule the drawing shows, joined by '.'.
std::string DrawingSmiles(const CKvillDoc& doc) {
  const CDrawingStructure s = ReadDrawingStructure(doc.m_listObjects);
  CMoleculeSet set(s);
  std::string out;
  for (std::size_t m = 0; m < s.molecules.size(); ++m)
    out += (out.empty() ? "" : ".") + set.Smiles(static_cast<int>(m));
  return out;
}

TEST_F(FileCommandsTest, StructureFilesOpenAsNewUntitledDrawingsThatSaveElsewhere) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  const QString smi = Path("caffeine.smi");
  const QByteArray smiBytes = "CN1C=NC2=C1C(=O)N(C(=O)N2C)C caffeine\n";
  WriteAll(smi, smiBytes);
  const std::string caffeine = *CanonicalSmiles("Cn1cnc2c1c(=O)n(C)c(=O)n2C");
  const auto expectOpened = [&](const char* pszWay) {
    SCOPED_TRACE(pszWay);
    EXPECT_TRUE(m_messages.empty());
    ASSERT_EQ(doc->m_listObjects.size(), 1u) << "one molecule, one group";
    EXPECT_EQ(DrawingSmiles(*doc), caffeine);
    EXPECT_EQ(frame->windowTitle(), "caffeine.vld - Valendra");
    EXPECT_TRUE(doc->m_strPathName.empty());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(m_app->RecentFiles().value(0), smi);
    frame->ResetToNewDocument();
  };
  m_fileAnswers.push_back(smi);
  frame->OnCommand(32886);  // Open
  expectOpened("Open");
  frame->OnCommand(57616);  // the first recent file
  expectOpened("recent file");
  frame->OpenDroppedFiles({QUrl::fromLocalFile(smi)});
  expectOpened("dropped");

  // Save asks where, offering the file's name with .vld, and leaves the SMILES file alone.
  ASSERT_TRUE(frame->OpenFileInto(smi));
  const QString saved = Path("saved.vld");
  m_answers.push_back(CShellUi::kIdYes);
  m_fileAnswers.push_back(saved);
  frame->OnCommand(32887);  // Save
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, "Save changes to caffeine.vld?");
  ASSERT_FALSE(m_fileDialogs.empty());
  EXPECT_EQ(m_fileDialogs.back().initial, "caffeine.vld");
  EXPECT_EQ(ReadAll(smi), smiBytes);
  m_messages.clear();
  frame->ResetToNewDocument();
  ASSERT_TRUE(frame->OpenFileInto(saved));
  EXPECT_EQ(DrawingSmiles(*doc), caffeine);
  EXPECT_EQ(doc->m_strPathName, saved.toStdString());

  // A MOL record is known by its content; a broken structure file changes nothing.
  const QString mol = Path("record.txt");
  const CDrawingStructure s = ReadDrawingStructure(doc->m_listObjects);
  CMoleculeSet set(s);
  WriteAll(mol, QByteArray::fromStdString(set.MolBlock({0}, "caffeine")));
  frame->ResetToNewDocument();
  ASSERT_TRUE(frame->OpenFileInto(mol));
  EXPECT_EQ(DrawingSmiles(*doc), caffeine);
  EXPECT_EQ(frame->windowTitle(), "record.vld - Valendra");
  // A MOL file dragged over the window and dropped.
  const QString dropped = Path("dropped.mol");
  WriteAll(dropped, ReadAll(mol));
  frame->ResetToNewDocument();
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(dropped)});
  QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(frame, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(frame, &drop);
  ASSERT_TRUE(PumpUntil([&] { return !doc->m_listObjects.empty(); }));
  EXPECT_EQ(DrawingSmiles(*doc), caffeine);
  EXPECT_EQ(frame->windowTitle(), "dropped.vld - Valendra");
  EXPECT_TRUE(doc->m_strPathName.empty());

  const QString broken = Path("broken.smi");
  WriteAll(broken, "CC\nC1CC(\n");
  EXPECT_FALSE(frame->OpenFileInto(broken));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text,
            "Error: Not a chemical structure file.\nline 2: 'C1CC(' is not valid SMILES");
  EXPECT_EQ(m_messages[0].flags, CShellUi::kIconError);
  EXPECT_EQ(DrawingSmiles(*doc), caffeine);
  EXPECT_EQ(frame->windowTitle(), "dropped.vld - Valendra");
  EXPECT_FALSE(m_app->RecentFiles().contains(broken));
}
