// File > Export Picture in the editor: its dialog, the picture it writes (the same as
// --export), the folder it remembers, its failures, and the progress of long work in the
// editor: the dialog of a long open, and Cancel of an export leaving no file behind.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CEllipse.h"
#include "objects/CKVObject.h"
#include "resources/CommandIds.h"
#include "resources/Resources.h"
#include "shell/CMainFrame.h"
#include "shell/CViewWidget.h"
#include "shell/CWorkProgress.h"
#include "shell/ExportPicture.h"
#include "shell/SampleDrawing.h"
#include "tests/shell/ShellFixture.h"
#include "view/CKvillView.h"

namespace {

bool SamePixels(const QImage& a, const QImage& b) {
  return a.size() == b.size() &&
         a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

// The anchors of the top-level objects, to see that a picture leaves the drawing in place.
std::vector<CPoint> Anchors(const CKvillDoc& doc) {
  std::vector<CPoint> out;
  for (const auto& p : doc.m_listObjects) out.push_back(p->m_ptAnchor);
  return out;
}

// The progress dialog that is up at this moment, if any.
QProgressDialog* OpenProgressDialog() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    auto* d = qobject_cast<QProgressDialog*>(w);
    if (d != nullptr && d->isVisible()) return d;
  }
  return nullptr;
}

class ExportCommandTest : public ShellFixture {
 protected:
  void TearDown() override {
    CWorkProgress::SetShowDelay(std::chrono::milliseconds(500));
    ShellFixture::TearDown();
  }

  CMainFrame* StartIn(res::Language lang) {
    Store().Write(CSettingsStore::kLanguage, lang == res::Language::Czech ? "1029" : "1033");
    CMainFrame* frame = Start().MainFrame();
    EXPECT_TRUE(PumpUntilStartedUp(frame));
    frame->View()->Settings().m_bEnglish = lang == res::Language::English ? 1 : 0;
    BuildSampleDrawing(frame->Document()->m_listObjects);
    frame->View()->UpdateView();
    return frame;
  }

  // The files of the temporary folder, the settings file aside.
  QStringList Files() const {
    QStringList out = QDir(m_dir.path()).entryList(QDir::Files);
    out.removeAll(QStringLiteral("valendra.ini"));
    return out;
  }
};

}  // namespace

TEST_F(ExportCommandTest, WritesThePictureThatTheCommandLineWrites) {
  CMainFrame* frame = StartIn(res::Language::English);
  CKvillDoc* doc = frame->Document();
  // The drawing saved and opened again (a file does not keep everything of a drawing, an
  // ellipse's thickness for one), then exported from the editor and by --export's own code
  // from the file.
  const QString saved = Path("sample.vld");
  {
    CArchive ar(saved.toStdString(), CArchive::store);
    ASSERT_TRUE(ar.IsOpen());
    doc->m_bClearModifiedOnStore = 0;
    ASSERT_TRUE(doc->Serialize(ar));
    doc->m_bClearModifiedOnStore = 1;
  }
  ASSERT_TRUE(frame->OpenFileInto(saved));
  const std::vector<CPoint> before = Anchors(*doc);
  for (const char* ext : {"png", "svg", "pdf"}) {
    SCOPED_TRACE(ext);
    const QString mine = Path("menu.") + ext, theirs = Path("cli.") + ext;
    m_fileAnswers.push_back(mine);
    frame->OnCommand(cmd::kFileExportPicture);
    ASSERT_FALSE(m_fileDialogs.empty());
    EXPECT_EQ(m_fileDialogs.back().kind, CShellUi::FileDialog::ExportPicture);
    EXPECT_EQ(m_fileDialogs.back().filter,
              "SVG Pictures (*.svg)|*.svg|PNG Pictures (*.png)|*.png|PDF Documents (*.pdf)|*.pdf|");
    std::string err;
    ASSERT_EQ(ExportFile(saved.toStdString(), theirs.toStdString(), 300, &err), 0) << err;
    ASSERT_TRUE(QFile::exists(mine));
    if (QString::fromLatin1(ext) == "png") {
      const QImage a(mine), b(theirs);
      EXPECT_TRUE(SamePixels(a, b));
      // 300 pixels per inch, as --export writes it.
      EXPECT_EQ(a.dotsPerMeterX(), 11811);
    } else if (QString::fromLatin1(ext) == "svg") {
      QFile a(mine), b(theirs);
      ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
      EXPECT_EQ(a.readAll(), b.readAll());
    } else {
      QFile a(mine);
      ASSERT_TRUE(a.open(QIODevice::ReadOnly));
      EXPECT_TRUE(a.readAll().startsWith("%PDF"));
    }
  }
  EXPECT_TRUE(m_messages.empty());
  // The drawing is where it was, and exporting changed nothing that needs saving.
  EXPECT_EQ(Anchors(*doc), before);
}

TEST_F(ExportCommandTest, TheDialogStartsInTheFolderOfTheLastExport) {
  CMainFrame* frame = StartIn(res::Language::English);
  // The first time: the home folder, the drawing's name, the first type (SVG).
  frame->OnCommand(cmd::kFileExportPicture);  // cancelled
  ASSERT_EQ(m_fileDialogs.size(), 1u);
  EXPECT_EQ(m_fileDialogs[0].initial, QDir::home().filePath(QStringLiteral("noname.svg")));

  QDir(m_dir.path()).mkdir(QStringLiteral("pictures"));
  const QString target = Path("pictures/first.pdf");
  m_fileAnswers.push_back(target);
  frame->OnCommand(cmd::kFileExportPicture);
  ASSERT_TRUE(QFile::exists(target));
  // The folder and the type are remembered in the settings file, for this run and the next.
  EXPECT_EQ(Store().Read(CMainFrame::kExportFolderKey), Path("pictures").toStdString());
  frame->Document()->m_strTitle = "benzene.vld";
  EXPECT_EQ(frame->InitialExportPath(), Path("pictures/benzene.pdf"));
  m_app.reset();
  CMainFrame* again = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(again));
  again->OnCommand(cmd::kFileExportPicture);
  EXPECT_EQ(m_fileDialogs.back().initial, Path("pictures/noname.pdf"));
}

TEST_F(ExportCommandTest, FailuresNameThePathAndTheReasonInTheInterfaceLanguage) {
  for (const res::Language lang : {res::Language::English, res::Language::Czech}) {
    SCOPED_TRACE(lang == res::Language::English ? "English" : "Czech");
    m_messages.clear();
    CMainFrame* frame = StartIn(lang);
    const res::MessageTexts& texts = res::Messages(lang);
    // A folder that does not exist.
    const QString missing = Path("no/such/folder/x.png");
    m_fileAnswers.push_back(missing);
    frame->OnCommand(cmd::kFileExportPicture);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].caption, QString::fromUtf8(texts.errorCaption));
    EXPECT_TRUE(
        m_messages[0].text.startsWith(QString::fromUtf8(texts.exportFailed).arg(missing, "")))
        << m_messages[0].text.toStdString();
    EXPECT_TRUE(m_messages[0].text.contains(QStringLiteral("cannot write")));
    EXPECT_EQ(m_messages[0].flags & 0xF0, CShellUi::kIconError);
    // A PNG larger than the size cap at 300 pixels per inch is refused before anything is
    // drawn, and says so.
    auto e = std::make_unique<CEllipse>();
    e->m_rcBounds = CRect{0, 0, 1000000, -1000};
    e->m_ptAnchor = CPoint{0, 0};
    frame->Document()->m_listObjects.push_back(std::move(e));
    const QString huge = Path("huge.png");
    m_fileAnswers.push_back(huge);
    frame->OnCommand(cmd::kFileExportPicture);
    ASSERT_EQ(m_messages.size(), 2u);
    EXPECT_TRUE(m_messages[1].text.contains(huge));
    EXPECT_TRUE(m_messages[1].text.contains(QStringLiteral("16384")));
    EXPECT_FALSE(QFile::exists(huge));
    m_app.reset();
  }
}

TEST_F(ExportCommandTest, CancelLeavesNoFileAndTheDrawingAsItWas) {
  CWorkProgress::SetShowDelay(std::chrono::milliseconds(0));
  CMainFrame* frame = StartIn(res::Language::English);
  const std::vector<CPoint> before = Anchors(*frame->Document());
  // Each is cancelled halfway: a PNG while it is encoded, a PDF while its page is being
  // drawn into the file, an SVG while its drawing is gathered (progress in thousandths).
  for (const auto& [ext, nCancelAt] :
       {std::pair{"png", 800}, std::pair{"pdf", 500}, std::pair{"svg", 400}}) {
    SCOPED_TRACE(ext);
    const QString target = Path("cancelled.") + ext;
    // An older picture of the same name stays as it was.
    {
      QFile old(target);
      ASSERT_TRUE(old.open(QIODevice::WriteOnly));
      old.write("older picture");
    }
    bool bSawDialog = false, bBusy = false;
    QString label;
    // The user presses Cancel as soon as the dialog is up.
    QTimer user;
    user.setInterval(0);
    QObject::connect(&user, &QTimer::timeout, [&] {
      QProgressDialog* d = OpenProgressDialog();
      if (d == nullptr) return;
      bSawDialog = true;
      label = d->labelText();
      bBusy = frame->ViewWidget()->IsBusy();
      if (d->value() >= nCancelAt) {
        d->cancel();
        user.stop();
      }
    });
    user.start();
    EXPECT_FALSE(frame->ExportPictureTo(target));
    EXPECT_TRUE(bSawDialog);
    EXPECT_EQ(label, QStringLiteral("Exporting cancelled.%1...").arg(ext));
    EXPECT_TRUE(bBusy);
    EXPECT_FALSE(frame->ViewWidget()->IsBusy());
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "older picture");
    // Nothing half-written is left beside it either.
    EXPECT_EQ(Files(), QStringList{QStringLiteral("cancelled.") + ext});
    QFile::remove(target);
  }
  EXPECT_TRUE(m_messages.empty());
  EXPECT_EQ(Anchors(*frame->Document()), before);
  EXPECT_EQ(OpenProgressDialog(), nullptr);
}

TEST_F(ExportCommandTest, LongOpenAndSaveShowTheirProgressWithoutCancel) {
  CWorkProgress::SetShowDelay(std::chrono::milliseconds(0));
  CMainFrame* frame = StartIn(res::Language::Czech);
  const QString path = Path("kresba.vld");
  struct Seen {
    QString label;
    bool bCancelButton = true;
  };
  std::vector<Seen> seen;
  QTimer watcher;
  watcher.setInterval(0);
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (QProgressDialog* d = OpenProgressDialog()) {
      const bool bButton = !d->findChildren<QPushButton*>().isEmpty();
      if (seen.empty() || seen.back().label != d->labelText()) {
        seen.push_back({d->labelText(), bButton});
      }
    }
  });
  watcher.start();
  m_fileAnswers.push_back(path);
  frame->OnCommand(cmd::kFileSaveAs);
  ASSERT_TRUE(QFile::exists(path));
  const std::size_t nObjects = frame->Document()->m_listObjects.size();
  ASSERT_TRUE(frame->OpenFileInto(path));
  EXPECT_EQ(frame->Document()->m_listObjects.size(), nObjects);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[0].label, QStringLiteral("Ukládání souboru kresba.vld..."));
  EXPECT_EQ(seen.back().label, QStringLiteral("Otevírání souboru kresba.vld..."));
  for (const Seen& s : seen) EXPECT_FALSE(s.bCancelButton) << s.label.toStdString();
  EXPECT_FALSE(frame->ViewWidget()->IsBusy());
}
