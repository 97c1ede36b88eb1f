// The editor as a process: it starts, paints and writes its records; the kill protocol ends
// only an instance of this program.
#include <QFileInfo>
#include <QProcess>

#include "platform/CProcessControl.h"
#include "shell/CMainFrame.h"
#include "shell/CViewWidget.h"
#include "tests/shell/ShellFixture.h"

namespace {

class EditorProcessTest : public ShellFixture {
 protected:
  void StartEditor(QProcess& p, const QString& settings, bool bQuitAfterPaint) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("VALENDRA_EDITOR", "1");
    env.insert("VALENDRA_SETTINGS", settings);
    if (bQuitAfterPaint) env.insert("VALENDRA_QUIT_AFTER_FIRST_PAINT", "1");
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VALENDRA_BINARY), {});
    ASSERT_TRUE(p.waitForStarted(10000));
  }
};

}  // namespace

TEST_F(EditorProcessTest, StartsPaintsAndWritesItsRecords) {
  const QString settings = Path("editor.ini");
  CSettingsStore(settings).Write(CSettingsStore::kLanguage, "1029");
  QProcess p;
  StartEditor(p, settings, true);
  ASSERT_TRUE(p.waitForFinished(60000)) << "the editor did not quit after its first paint";
  EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const CSettingsStore store(settings);
  EXPECT_TRUE(store.Read(CSettingsStore::kSettings).has_value());
  EXPECT_EQ(store.Read(CSettingsStore::kLanguage).value_or(""), "1029");
}

TEST_F(EditorProcessTest, KillRecordEndsOnlyAnInstanceOfThisProgram) {
  // An unrelated process of the same user, whose identifier sits in the mailbox.
  QProcess sleeper;
  sleeper.start(QStringLiteral("sleep"), {QStringLiteral("30")});
  ASSERT_TRUE(sleeper.waitForStarted());
  EXPECT_FALSE(CProcessControl::IsValendraInstance(sleeper.processId(), VALENDRA_BINARY));
  EXPECT_FALSE(CProcessControl::IsValendraInstance(CProcessControl::CurrentProcessId()));
  EXPECT_FALSE(CProcessControl::IsValendraInstance(0));

  Store().Write(CSettingsStore::kKill, std::to_string(sleeper.processId()));
  CMainFrame* frame = Start().MainFrame();
  m_app->m_strProgramFile = VALENDRA_BINARY;
  ASSERT_TRUE(frame->OnViewTimer(1130));
  EXPECT_EQ(Store().Read(CSettingsStore::kKill).value_or(""), "0");
  EXPECT_EQ(sleeper.state(), QProcess::Running);
  EXPECT_FALSE(sleeper.waitForFinished(300));
  sleeper.kill();
  sleeper.waitForFinished();
  m_app.reset();

  // A running editor whose identifier is in the mailbox is ended.
  QProcess editor;
  StartEditor(editor, Path("other.ini"), false);
  PumpUntil([&editor] {
    return CProcessControl::IsValendraInstance(editor.processId(), VALENDRA_BINARY);
  });
  ASSERT_TRUE(CProcessControl::IsValendraInstance(editor.processId(), VALENDRA_BINARY))
      << CProcessControl::ExecutableOf(editor.processId()).toStdString();
  Store().Write(CSettingsStore::kKill, std::to_string(editor.processId()));
  frame = Start().MainFrame();
  m_app->m_strProgramFile = VALENDRA_BINARY;
  ASSERT_TRUE(frame->OnViewTimer(1130));
  EXPECT_EQ(Store().Read(CSettingsStore::kKill).value_or(""), "0");
  EXPECT_TRUE(editor.waitForFinished(10000));
  if (editor.state() != QProcess::NotRunning) {
    editor.kill();
    editor.waitForFinished();
  }
}

TEST_F(EditorProcessTest, GarbledKillRecordIsResetAndEndsNothing) {
  Store().Write(CSettingsStore::kKill, "12ab");
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(frame->OnViewTimer(1130));
  EXPECT_EQ(Store().Read(CSettingsStore::kKill).value_or(""), "0");
}

TEST_F(EditorProcessTest, WithoutADisplayAFileNamedIsAnError) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  env.remove("VALENDRA_EDITOR");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("VALENDRA_SETTINGS", Path("none.ini"));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(VALENDRA_BINARY), {Path("x.vld")});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 2);
  EXPECT_TRUE(p.readAllStandardError().contains("no display"));
  EXPECT_FALSE(QFileInfo::exists(Path("none.ini")));
}
