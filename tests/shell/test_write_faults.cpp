// Every way the editor writes a file, made to fail at each of its write calls, at the
// flush of the file and of its folder and at the rename, with a full disk and a failing
// disk: the file keeps its old bytes, no new file is left beside it, the user is told
// which file and why, and the drawing is still there and still modified. Then a real full
// disk: a tmpfs of 64 kB.
#include <sched.h>
#include <sys/mount.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <functional>

#include "document/CKvillDoc.h"
#include "objects/CEllipse.h"
#include "platform/CSafeFile.h"
#include "shell/CRecoveryKeeper.h"
#include "shell/CStructureCommands.h"
#include "tests/platform/DeadProcess.h"
#include "tests/shell/FileBytes.h"
#include "tests/shell/ShellFixture.h"
#include "tests/view/DrawingBuilder.h"

namespace {

// The new files of the safe writer that are still in a folder.
QStringList Leftovers(const QString& folder) {
  return QDir(folder).entryList({"*.valendra-*"}, QDir::Files | QDir::Hidden, QDir::Name);
}

class WriteFaultsTest : public ShellFixture {
 protected:
  void TearDown() override {
    CSafeFile::SetFault(std::nullopt);
    ShellFixture::TearDown();
  }

  CMainFrame* StartEnglish(const QStringList& args = {}) {
    Store().Write(CSettingsStore::kLanguage, "1033");
    CMainFrame* frame = Start(args).MainFrame();
    EXPECT_TRUE(PumpUntilStartedUp(frame));
    frame->View()->Settings().m_bEnglish = 1;
    return frame;
  }

  // A drawing of nEllipses more, modified and recorded: 44 bytes each in the stream.
  static void Draw(CMainFrame* frame, int nEllipses) {
    CKvillDoc* doc = frame->Document();
    for (int i = 0; i < nEllipses; ++i) {
      auto e = std::make_unique<CEllipse>();
      e->m_rcBounds = CRect{100 + 40 * (i % 100), -100 - 40 * (i / 100), 300 + 40 * (i % 100),
                            -300 - 40 * (i / 100)};
      e->m_ptAnchor = CPoint{e->m_rcBounds.left, e->m_rcBounds.top};
      doc->m_listObjects.push_back(std::move(e));
    }
    frame->View()->PushSnapshot();
    doc->SetModifiedFlag(true);
  }

  // One way of writing: what to run and which file it writes (its old bytes are put there
  // first). Some say a failure once until a write succeeds again.
  struct WritePath {
    WritePath(const char* pszName, std::function<QString()> fnTarget, std::function<void()> fnRun,
              bool bOnce = false, QString strAlso = {})
        : name(pszName),
          target(std::move(fnTarget)),
          run(std::move(fnRun)),
          bSaysOnce(bOnce),
          strAlsoWritten(std::move(strAlso)) {}
    const char* name;
    std::function<QString()> target;
    std::function<void()> run;
    bool bSaysOnce;
    QString strAlsoWritten;  // a second file written before the target is replaced
  };

  static int WriteCallsFor(const QString& path) {
    const auto n = static_cast<int>(ReadAll(path).size());
    return (n + int(CSafeFile::kBlockSize) - 1) / int(CSafeFile::kBlockSize);
  }

  // Runs the path once without a fault to learn its write calls (a block each), then with
  // every fault.
  void TryEveryFault(const WritePath& path, CKvillDoc* doc) {
    SCOPED_TRACE(path.name);
    const QString target = path.target();
    const QString folder = QFileInfo(target).absolutePath();
    const QByteArray old = "the old bytes of " + target.toUtf8();
    WriteAll(target, old);
    CSafeFile::SetFault(std::nullopt);
    const bool bWasModified = doc->IsModified();
    path.run();
    ASSERT_NE(ReadAll(target), old) << "the path did not write its file";
    const int nWrites = WriteCallsFor(target) +
                        (path.strAlsoWritten.isEmpty() ? 0 : WriteCallsFor(path.strAlsoWritten));
    doc->SetModifiedFlag(bWasModified);

    std::vector<CSafeFile::Fault> faults;
    for (const int nErr : {ENOSPC, EIO}) {
      for (int i = 1; i <= nWrites; ++i) faults.push_back({CSafeFile::Step::Write, i, nErr});
      for (const auto step :
           {CSafeFile::Step::FileSync, CSafeFile::Step::FolderSync, CSafeFile::Step::Rename}) {
        faults.push_back({step, 1, nErr});
      }
    }
    const std::size_t nObjects = doc->m_listObjects.size();
    const std::string strPath = doc->m_strPathName;
    for (const CSafeFile::Fault& fault : faults) {
      SCOPED_TRACE(testing::Message() << "step " << int(fault.step) << " call " << fault.nIndex
                                      << " " << strerror(fault.nErrno));
      WriteAll(target, old);
      m_messages.clear();
      CSafeFile::SetFault(fault);
      path.run();
      CSafeFile::SetFault(std::nullopt);
      EXPECT_EQ(ReadAll(target), old);
      EXPECT_EQ(Leftovers(folder), QStringList());
      ASSERT_EQ(m_messages.size(), 1u);
      EXPECT_TRUE(m_messages[0].text.contains(target)) << m_messages[0].text.toStdString();
      EXPECT_TRUE(m_messages[0].text.contains(QString::fromLocal8Bit(strerror(fault.nErrno))))
          << m_messages[0].text.toStdString();
      EXPECT_EQ(doc->IsModified(), bWasModified);
      EXPECT_EQ(doc->m_listObjects.size(), nObjects);
      EXPECT_EQ(doc->m_strPathName, strPath);
      if (path.bSaysOnce) {
        // Said again after a write that succeeded, not before.
        path.run();
        doc->SetModifiedFlag(bWasModified);
        CSafeFile::SetFault(fault);
        m_messages.clear();
        path.run();
        path.run();
        CSafeFile::SetFault(std::nullopt);
        EXPECT_EQ(m_messages.size(), 1u);
        path.run();
        doc->SetModifiedFlag(bWasModified);
      }
    }
  }
};

}  // namespace

TEST_F(WriteFaultsTest, EveryWriteOfTheEditorFailsCleanly) {
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  // A benzene ring, which Export Structure writes; over 64 kB: the stream takes several
  // write calls.
  DrawingBuilder(*doc).Ring(CPoint{-3000, 3000});
  Draw(frame, 3000);
  const QString drawing = Path("drawing.vld");
  const auto withPath = [&] { doc->m_strPathName = drawing.toStdString(); };
  const auto withoutPath = [&] { doc->m_strPathName.clear(); };
  const QString copy = Path("copy.vld");
  const std::vector<WritePath> paths = {
      {"Save",
       [&] {
         withPath();
         return drawing;
       },
       [&] { frame->OnCommand(32887); }},
      {"Ctrl+S",
       [&] {
         withPath();
         return drawing;
       },
       [&] { frame->OnCommand(57603); }},
      {"Save As",
       [&] {
         withoutPath();
         return copy;
       },
       [&] {
         m_fileAnswers.push_back(copy);
         frame->OnCommand(32888);
         doc->m_strPathName.clear();
       }},
      {"Save Copy As",
       [&] {
         withoutPath();
         return copy;
       },
       [&] {
         m_fileAnswers.push_back(copy);
         frame->SaveCopyAs();
         doc->m_strPathName.clear();
       }},
      {"the save question",
       [&] {
         withPath();
         return drawing;
       },
       [&] {
         // Discard it? Yes; save? Yes.
         m_answers = {CShellUi::kIdYes, CShellUi::kIdYes};
         doc->SaveModified();
         m_messages.erase(m_messages.begin(), m_messages.begin() + 2);
       }},
      {"Export Picture (SVG)", [&] { return Path("picture.svg"); },
       [&] { frame->ExportPictureTo(Path("picture.svg")); }},
      {"Export Picture (PNG)", [&] { return Path("picture.png"); },
       [&] { frame->ExportPictureTo(Path("picture.png")); }},
      {"Export Picture (PDF)", [&] { return Path("picture.pdf"); },
       [&] { frame->ExportPictureTo(Path("picture.pdf")); }},
      {"Export Structure (MOL)", [&] { return Path("structure.mol"); },
       [&] { frame->StructureCommands()->ExportStructureTo(Path("structure.mol")); }},
      {"Export Structure (SMILES)", [&] { return Path("structure.smi"); },
       [&] { frame->StructureCommands()->ExportStructureTo(Path("structure.smi")); }},
      {"recovery", [&] { return m_app->Recovery()->OwnFile(); },
       [&] {
         m_app->Recovery()->WriteNow();
         m_app->Recovery()->WaitForWrites();
       },
       true},
      {"settings", [&] { return SettingsPath(); },
       [&] { m_app->WriteSetting(CSettingsStore::kKill, "0"); }, true},
  };
  for (const WritePath& path : paths) {
    TryEveryFault(path, doc);
    // What a successful write afterwards shows: the drawing as it was.
    EXPECT_EQ(doc->m_listObjects.size(), 3001u);
  }
}

TEST_F(WriteFaultsTest, UpdateOfAnEmbeddingWritesBothFilesOrNeither) {
  const QString file = Path("embedded.vld");
  WriteAll(file, "old");
  CMainFrame* frame = StartEnglish({"--embedding", file});
  CKvillDoc* doc = frame->Document();
  Draw(frame, 2000);
  const QString svg = file + ".svg";
  TryEveryFault({"Update", [&] { return file; }, [&] { frame->OnCommand(57610); }, false, svg},
                doc);
  WriteAll(svg, "old picture");
  // Its picture, too, is untouched whichever call failed.
  CSafeFile::SetFault(CSafeFile::Fault{CSafeFile::Step::Rename, 1, EIO});
  m_messages.clear();
  frame->OnCommand(57610);
  CSafeFile::SetFault(std::nullopt);
  EXPECT_EQ(ReadAll(svg), "old picture");
  EXPECT_EQ(ReadAll(file), "the old bytes of " + file.toUtf8());
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].text.startsWith(svg)) << m_messages[0].text.toStdString();
}

TEST_F(WriteFaultsTest, OpeningOrSavingADrawingRemovesWhatKilledSavesOfItLeft) {
  CMainFrame* frame = StartEnglish();
  Draw(frame, 3);
  CKvillDoc* doc = frame->Document();
  const QString drawing = Path("d.vld");
  m_fileAnswers.push_back(drawing);
  ASSERT_TRUE(frame->SaveAs());
  // What a save killed half-way leaves: a new file of a process that has ended; and what
  // is not ours to remove.
  const auto leave = [&](const QString& name) { WriteAll(Path(name.toUtf8().constData()), "x"); };
  const QString dead = QStringLiteral(".d.vld.valendra-%1-Ab12Cd").arg(DeadProcessId());
  QStringList others = {QStringLiteral(".e.vld.valendra-%1-Ab12Cd").arg(DeadProcessId()),
                        QStringLiteral(".d.vld.valendra-%1-Ab12Cd").arg(getppid())};
  others.sort();
  leave(dead);
  for (const QString& name : others) leave(name);
  frame->OnCommand(57600);  // New
  ASSERT_TRUE(frame->OpenFileInto(drawing));
  EXPECT_EQ(Leftovers(m_dir.path()), others);
  leave(dead);
  doc->SetModifiedFlag(true);
  frame->OnCommand(32887);  // Save
  EXPECT_EQ(Leftovers(m_dir.path()), others);
}

// A real full disk: a file system of 64 kB, mounted for this process alone (in a mount
// namespace of its own), where that is allowed.
TEST_F(WriteFaultsTest, SaveOnAFullFileSystemFailsCleanly) {
  const QString mountPoint = Path("small");
  ASSERT_TRUE(QDir().mkpath(mountPoint));
  if (unshare(CLONE_NEWNS) != 0) {
    GTEST_SKIP() << "a mount namespace of its own is not allowed here (" << strerror(errno)
                 << "): the full-disk test needs to mount a 64 kB tmpfs";
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "mounting a 64 kB tmpfs is not allowed here (" << strerror(errno) << ")";
  }
  CMainFrame* frame = StartEnglish();
  CKvillDoc* doc = frame->Document();
  const QString target = mountPoint + "/drawing.vld";
  Draw(frame, 2);
  m_fileAnswers.push_back(target);
  ASSERT_TRUE(frame->SaveAs());
  const QByteArray old = ReadAll(target);
  // About 130 kB, twice the room there is.
  Draw(frame, 3000);
  m_messages.clear();
  frame->OnCommand(32887);
  EXPECT_EQ(ReadAll(target), old);
  EXPECT_EQ(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden), QStringList{"drawing.vld"});
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_TRUE(m_messages[0].text.startsWith(target + " could not be saved.\n" +
                                            QString::fromLocal8Bit(strerror(ENOSPC))))
      << m_messages[0].text.toStdString();
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->m_listObjects.size(), 3002u);
  m_app.reset();
  umount(QFile::encodeName(mountPoint).constData());
}
