// Drawings that were not saved: written for recovery in idle time from the undo history's
// records, removed once saved or discarded, and offered at the next start when their
// editor is gone.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include "document/CKvillDoc.h"
#include "objects/CArchive.h"
#include "objects/CEllipse.h"
#include "platform/CRecoveryFile.h"
#include "platform/CSafeFile.h"
#include "shell/CRecoveryKeeper.h"
#include "tests/platform/DeadProcess.h"
#include "tests/shell/FileBytes.h"
#include "tests/shell/ShellFixture.h"

namespace {

QByteArray Stored(CKvillDoc* doc) {
  std::vector<std::uint8_t> bytes;
  CArchive ar(&bytes);
  doc->Serialize(ar, CSerializeOptions::SaveWhole());
  ar.Flush();
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

class RecoveryTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    m_oldState = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", m_dir.filePath("state").toLocal8Bit());
    m_folder = recovery::Folder();
    CShellUi::SetChoiceHandler(
        [this](const QString& text, const QString& caption, const QStringList& buttons) {
          m_choices.push_back({text, caption, buttons});
          return m_nChoice;
        });
  }
  void TearDown() override {
    ShellFixture::TearDown();
    CShellUi::SetChoiceHandler({});
    qputenv("XDG_STATE_HOME", m_oldState);
  }

  CMainFrame* StartIn(const char* language, const QStringList& args = {}) {
    Store().Write(CSettingsStore::kLanguage, language);
    CMainFrame* frame = Start(args).MainFrame();
    EXPECT_TRUE(PumpUntilStartedUp(frame));
    return frame;
  }

  // A drawing of n ellipses, put into the document as a change the view has recorded.
  static void Draw(CMainFrame* frame, int n, int nOffset = 0) {
    CKvillDoc* doc = frame->Document();
    for (int i = 0; i < n; ++i) {
      auto e = std::make_unique<CEllipse>();
      e->m_rcBounds = CRect{100 + nOffset + 500 * i, -100, 400 + nOffset + 500 * i, -300};
      e->m_ptAnchor = CPoint{e->m_rcBounds.left, e->m_rcBounds.top};
      doc->m_listObjects.push_back(std::move(e));
    }
    frame->View()->UpdateView();
    frame->View()->PushSnapshot();
  }

  // A recovery file left by an editor that is gone, for a drawing of that path.
  QString WriteOrphan(const std::string& strPath, const QByteArray& stream, std::int64_t nTime,
                      const QString& name = QString()) {
    CRecoveryHeader h = CRecoveryHeader::ForThisProcess(strPath);
    h.nPid = DeadProcessId();
    h.nTime = nTime;
    const QString file = QDir(m_folder).filePath(
        name.isEmpty() ? QStringLiteral("valendra-%1-7.recovery").arg(h.nPid) : name);
    const std::span<const std::uint8_t> pieces[] = {
        {reinterpret_cast<const std::uint8_t*>(stream.data()), std::size_t(stream.size())}};
    EXPECT_TRUE(recovery::Write(file, h, pieces, nullptr));
    return file;
  }

  QStringList FolderFiles() const {
    return QDir(m_folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
  }

  struct Choice {
    QString text, caption;
    QStringList buttons;
  };
  std::vector<Choice> m_choices;
  int m_nChoice = 2;  // Later
  QString m_folder;
  QByteArray m_oldState;
};

// The stream of a document with n ellipses, as Save writes it.
QByteArray DrawingStream(int n) {
  CKvillDoc doc;
  for (int i = 0; i < n; ++i) {
    auto e = std::make_unique<CEllipse>();
    e->m_rcBounds = CRect{10 * i, -10, 10 * i + 300, -300};
    e->m_ptAnchor = CPoint{e->m_rcBounds.left, e->m_rcBounds.top};
    doc.m_listObjects.push_back(std::move(e));
  }
  return Stored(&doc);
}

}  // namespace

TEST_F(RecoveryTest, AModifiedDrawingIsKeptInIdleTimeUntilItIsSaved) {
  CMainFrame* frame = StartIn("1033");
  CRecoveryKeeper* keeper = m_app->Recovery();
  keeper->SetDelays(150, 400);
  const QString own = keeper->OwnFile();
  EXPECT_TRUE(own.startsWith(m_folder));

  QElapsedTimer sinceChange;
  sinceChange.start();
  Draw(frame, 3);
  ASSERT_TRUE(PumpUntil([&] { return keeper->WritesDone() == 1; }));
  // Not before the drawing has been quiet for a while.
  EXPECT_GE(sinceChange.elapsed(), 150);
  // The stream after the header: the history's records of what the window shows, which
  // are the bytes Save writes.
  QByteArray file = ReadAll(own);
  std::size_t nStream = 0;
  const auto header = CRecoveryHeader::Parse(
      std::span(reinterpret_cast<const std::uint8_t*>(file.data()), std::size_t(file.size())),
      &nStream, nullptr);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->nPid, getpid());
  EXPECT_EQ(header->strPath, "");
  EXPECT_EQ(file.mid(qsizetype(nStream)), Stored(frame->Document()));

  // A later change is written once the interval since the last write has passed.
  const int nWrites = keeper->WritesDone();
  QElapsedTimer sinceWrite;
  sinceWrite.start();
  Draw(frame, 2, 5000);
  ASSERT_TRUE(PumpUntil([&] { return keeper->WritesDone() > nWrites; }));
  EXPECT_GE(sinceWrite.elapsed(), 150);
  file = ReadAll(own);
  EXPECT_TRUE(file.endsWith(Stored(frame->Document())));

  // While a gesture is under way nothing is written; when it ends, it is.
  Draw(frame, 1, 9000);
  frame->View()->Mouse().SetMovingForTest(1);
  const int nBefore = keeper->WritesDone();
  QElapsedTimer waited;
  waited.start();
  ASSERT_TRUE(PumpUntil([&] { return waited.elapsed() > 1200; }));
  EXPECT_EQ(keeper->WritesDone(), nBefore);
  frame->View()->Mouse().SetMovingForTest(0);
  ASSERT_TRUE(PumpUntil([&] { return keeper->WritesDone() > nBefore; }));

  // Saved: the file goes.
  m_fileAnswers.push_back(Path("a.vld"));
  ASSERT_TRUE(frame->SaveAs());
  ASSERT_TRUE(PumpUntil([&] { return !QFile::exists(own); }));
  // Changed again, then ended normally: it goes as well.
  Draw(frame, 1, 20000);
  ASSERT_TRUE(PumpUntil([&] { return QFile::exists(own); }));
  EXPECT_TRUE(ReadAll(own).contains("\npath " + Path("a.vld").toUtf8() + "\n"));
  m_app->ExitInstance();
  EXPECT_FALSE(QFile::exists(own));
  EXPECT_EQ(FolderFiles(), QStringList());
}

TEST_F(RecoveryTest, ADrawingDiscardedInTheSaveQuestionLeavesNoFile) {
  CMainFrame* frame = StartIn("1033");
  CRecoveryKeeper* keeper = m_app->Recovery();
  Draw(frame, 2);
  keeper->WriteNow();
  keeper->WaitForWrites();
  ASSERT_TRUE(QFile::exists(keeper->OwnFile()));
  m_answers = {CShellUi::kIdYes, CShellUi::kIdNo};  // discard it? Yes; save? No
  frame->OnCommand(57600);
  ASSERT_TRUE(frame->Document()->m_listObjects.empty());
  ASSERT_TRUE(PumpUntil([&] { return !QFile::exists(keeper->OwnFile()); }));
}

TEST_F(RecoveryTest, RecoverOpensTheDrawingUntitledAndSaveAsSuggestsItsFile) {
  const QByteArray stream = DrawingStream(4);
  const QString orphan = WriteOrphan(Path("old/a.vld").toStdString(), stream, 1700000000);
  m_nChoice = 0;  // Recover
  CMainFrame* frame = StartIn("1033");
  m_app->Recovery()->WaitForWrites();
  ASSERT_EQ(m_choices.size(), 1u);
  EXPECT_EQ(m_choices[0].caption, "Valendra");
  EXPECT_EQ(m_choices[0].buttons, (QStringList{"&Recover", "&Discard", "&Later"}));
  EXPECT_TRUE(m_choices[0].text.startsWith("Valendra ended without saving these drawings:\n\n"))
      << m_choices[0].text.toStdString();
  EXPECT_TRUE(m_choices[0].text.contains("a.vld, changed 2023-11-14 "))
      << m_choices[0].text.toStdString();

  CKvillDoc* doc = frame->Document();
  EXPECT_EQ(doc->m_listObjects.size(), 4u);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_strTitle, "a.vld (recovered)");
  EXPECT_EQ(frame->windowTitle(), "a.vld (recovered) - Valendra");
  EXPECT_TRUE(doc->m_strPathName.empty());
  // The old file is this editor's own now; the orphan is gone.
  EXPECT_FALSE(QFile::exists(orphan));
  EXPECT_TRUE(QFile::exists(m_app->Recovery()->OwnFile()));

  // Save asks before anything is written, then offers the old path.
  m_answers = {CShellUi::kIdYes};
  const QString target = Path("again.vld");
  m_fileAnswers.push_back(target);
  frame->OnCommand(32887);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text, "Save changes to a.vld (recovered)?");
  ASSERT_EQ(m_fileDialogs.size(), 1u);
  EXPECT_EQ(m_fileDialogs[0].initial, Path("old/a.vld"));
  EXPECT_EQ(ReadAll(target), stream);
  EXPECT_FALSE(doc->IsModified());
  ASSERT_TRUE(PumpUntil([&] { return FolderFiles().isEmpty(); }));
}

TEST_F(RecoveryTest, DiscardDeletesLaterKeepsAndLiveOrLockedFilesAreNotOffered) {
  const QString a = WriteOrphan("", DrawingStream(1), 1700000000);
  const QString b = WriteOrphan("/x/b.vld", DrawingStream(2), 1700000100);
  // The file of an editor that runs (this process) and one another editor is offering.
  CRecoveryHeader live = CRecoveryHeader::ForThisProcess("/x/live.vld");
  const QByteArray s = DrawingStream(1);
  const std::span<const std::uint8_t> piece[] = {
      {reinterpret_cast<const std::uint8_t*>(s.data()), std::size_t(s.size())}};
  const QString running = QDir(m_folder).filePath("valendra-1-1.recovery");
  ASSERT_TRUE(recovery::Write(running, live, piece, nullptr));
  const QString locked = WriteOrphan("/x/locked.vld", s, 1700000200, "valendra-2-2.recovery");
  const int fd = open(QFile::encodeName(locked).constData(), O_RDONLY);
  ASSERT_EQ(flock(fd, LOCK_EX), 0);

  m_nChoice = 2;  // Later
  StartIn("1033");
  ASSERT_EQ(m_choices.size(), 1u);
  // Newest first; an untitled drawing by the template's name.
  const QString& text = m_choices[0].text;
  EXPECT_LT(text.indexOf("b.vld, changed"), text.indexOf("noname, changed")) << text.toStdString();
  EXPECT_FALSE(text.contains("live.vld"));
  EXPECT_FALSE(text.contains("locked.vld"));
  EXPECT_TRUE(QFile::exists(a) && QFile::exists(b));
  m_app.reset();

  m_nChoice = 1;  // Discard
  StartIn("1033");
  ASSERT_EQ(m_choices.size(), 2u);
  EXPECT_FALSE(QFile::exists(a) || QFile::exists(b));
  EXPECT_TRUE(QFile::exists(running) && QFile::exists(locked));
  close(fd);
}

TEST_F(RecoveryTest, TheQuestionInCzechAndAFileThatDoesNotReadIsPutAside) {
  WriteOrphan("/x/b.vld", DrawingStream(2), 1700000100);
  const QString bad = QDir(m_folder).filePath("valendra-9-9.recovery");
  WriteAll(bad, "not a recovery file at all");
  m_nChoice = 2;
  StartIn("1029");
  ASSERT_EQ(m_choices.size(), 1u);
  EXPECT_EQ(m_choices[0].buttons, (QStringList{"&Obnovit", "&Zahodit", "&Později"}));
  EXPECT_TRUE(m_choices[0].text.startsWith("Valendra skončila bez uložení těchto kreseb:"));
  EXPECT_TRUE(m_choices[0].text.contains("b.vld, změněno 2023-11-14 "));
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].caption, "Chyba Valendra");
  EXPECT_TRUE(m_messages[0].text.startsWith("Soubor pro obnovení " + bad + " nelze přečíst.\n"))
      << m_messages[0].text.toStdString();
  EXPECT_TRUE(m_messages[0].text.endsWith("Byl ponechán jako " + bad + ".broken."));
  EXPECT_FALSE(QFile::exists(bad));
  EXPECT_EQ(ReadAll(bad + ".broken"), "not a recovery file at all");
}

TEST_F(RecoveryTest, ACutShortDrawingIsShownAndItsFilePutAside) {
  const QByteArray whole = DrawingStream(3);
  const QString orphan = WriteOrphan("/x/c.vld", whole.left(whole.size() - 30), 1700000000);
  m_nChoice = 0;
  CMainFrame* frame = StartIn("1033");
  m_app->Recovery()->WaitForWrites();
  // What could be read, the records before the cut and the one it cut into.
  EXPECT_EQ(frame->Document()->m_listObjects.size(), 3u);
  EXPECT_TRUE(frame->Document()->IsModified());
  EXPECT_TRUE(QFile::exists(orphan + ".broken"));
  // Said once, by the recovery, with its file: not by the incompatible-file message too.
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].text.contains(orphan + " could not be read.\nThe drawing in it is cut"))
      << m_messages[0].text.toStdString();
}

TEST_F(RecoveryTest, MoreThanOneIsHandedToNewEditorsThatOwnThemFromThen) {
  const QString a = WriteOrphan("/x/a.vld", DrawingStream(1), 1700000000);
  const QString b = WriteOrphan("/x/b.vld", DrawingStream(2), 1700000100);
  const QString shown = Path("shown.vld");
  WriteAll(shown, DrawingStream(5));
  m_nChoice = 0;
  CMainFrame* frame = StartIn("1033", {shown});
  // The window holds the drawing named: each recovered one goes to an editor of its own.
  EXPECT_EQ(frame->Document()->m_listObjects.size(), 5u);
  EXPECT_EQ(m_nInstancesStarted, 2);
  EXPECT_EQ(m_lastInstanceArgs, (QStringList{"--recover", a}));
  // Until the new editors have taken them, the files are this editor's: nobody else
  // offers them.
  for (const QString& file : {a, b}) {
    const QByteArray bytes = ReadAll(file);
    const auto header = CRecoveryHeader::Parse(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), std::size_t(bytes.size())),
        nullptr, nullptr);
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(header->nPid, getpid());
    EXPECT_FALSE(header->IsOrphan());
  }
  const QByteArray bytes = ReadAll(a);
  EXPECT_TRUE(bytes.contains("\npath /x/a.vld\ntime 1700000000\n") ||
              bytes.contains("\ntime 1700000000\npath /x/a.vld\n"));
  EXPECT_TRUE(bytes.endsWith(DrawingStream(1)));
  m_app.reset();

  // The new editor: the file handed to it, nothing offered.
  m_choices.clear();
  frame = StartIn("1033", {"--recover", a});
  m_app->Recovery()->WaitForWrites();
  EXPECT_TRUE(m_choices.empty());
  EXPECT_EQ(frame->Document()->m_listObjects.size(), 1u);
  EXPECT_EQ(frame->Document()->m_strTitle, "a.vld (recovered)");
  EXPECT_FALSE(QFile::exists(a));
}

TEST_F(RecoveryTest, AFailedWriteIsSaidOnceAndTheDrawingStays) {
  CMainFrame* frame = StartIn("1033");
  CRecoveryKeeper* keeper = m_app->Recovery();
  Draw(frame, 2);
  for (const int nErr : {ENOSPC, EIO}) {
    m_messages.clear();
    CSafeFile::SetFault(CSafeFile::Fault{CSafeFile::Step::FileSync, 1, nErr});
    keeper->WriteNow();
    keeper->WriteNow();
    keeper->WaitForWrites();
    CSafeFile::SetFault(std::nullopt);
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_TRUE(m_messages[0].text.contains(keeper->OwnFile()));
    EXPECT_TRUE(m_messages[0].text.contains(QString::fromLocal8Bit(strerror(nErr))));
    EXPECT_TRUE(frame->Document()->IsModified());
    EXPECT_EQ(frame->Document()->m_listObjects.size(), 2u);
    EXPECT_EQ(FolderFiles(), QStringList());
    keeper->WriteNow();
    keeper->WaitForWrites();
    ASSERT_TRUE(QFile::remove(keeper->OwnFile()));
  }
}
