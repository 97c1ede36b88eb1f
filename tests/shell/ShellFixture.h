#pragma once

// A started application on a settings file of its own in a temporary folder, with message
// boxes and file dialogs answered by the test.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "platform/CSettingsStore.h"
#include "shell/CDDrawBar.h"
#include "shell/CKvillApp.h"
#include "shell/CMainFrame.h"
#include "shell/CShellUi.h"
#include "shell/CViewWidget.h"
#include "tests/shell/PumpUntil.h"
#include "view/CKvillView.h"

struct ShownMessage {
  QString text;
  QString caption;
  unsigned flags;
};

class ShellFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    CShellUi::SetMessageHandler([this](const QString& text, const QString& caption, unsigned f) {
      m_messages.push_back({text, caption, f});
      if (!m_answers.empty()) {
        const int a = m_answers.front();
        m_answers.pop_front();
        return a;
      }
      // Unplanned questions are declined, so nothing is discarded or saved by accident.
      if ((f & 0xF) == CShellUi::kYesNoCancel) return CShellUi::kIdCancel;
      if ((f & 0xF) == CShellUi::kYesNo) return CShellUi::kIdNo;
      return CShellUi::kIdOk;
    });
    CShellUi::SetFileHandler(
        [this](CShellUi::FileDialog kind, const QString& filter, const QString& initial) {
          m_fileDialogs.push_back({kind, filter, initial});
          if (m_fileAnswers.empty()) return QString();
          const QString a = m_fileAnswers.front();
          m_fileAnswers.pop_front();
          return a;
        });
  }

  void TearDown() override {
    m_app.reset();
    CShellUi::SetMessageHandler({});
    CShellUi::SetFileHandler({});
  }

  QString SettingsPath() const { return m_dir.filePath(QStringLiteral("valendra.ini")); }
  CSettingsStore Store() const { return CSettingsStore(SettingsPath()); }
  QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }

  CKvillApp& Start(const QStringList& args = {}) {
    m_app = std::make_unique<CKvillApp>(std::make_unique<CSettingsStore>(SettingsPath()));
    // Tests never start other processes.
    m_app->m_startNewInstance = [this](const QStringList& args) {
      ++m_nInstancesStarted;
      m_lastInstanceArgs = args;
      return true;
    };
    EXPECT_TRUE(m_app->InitInstance(args));
    return *m_app;
  }

  // Runs the start-up to its end: the one-shot start-up timers have fired, the first idle
  // moment has shown the Draw bar, and what they posted has been handled. A test that goes
  // on before then meets those timers at a moment that depends on the machine's load.
  static bool PumpUntilStartedUp(CMainFrame* frame) {
    const CViewWidget* host = frame->ViewWidget();
    const bool bStarted = PumpUntil([frame, host] {
      return frame->m_bStartingUp == 0 && frame->DrawBar()->IsWindow() &&
             !host->IsTimerRunning(TIMER_SCROLL_REFRESH) &&
             !host->IsTimerRunning(TIMER_RESET_HISTORY) &&
             !host->IsTimerRunning(TIMER_KILL_MAILBOX) && !host->IsTimerRunning(TIMER_FIRST_IDLE);
    });
    // The main window's show command that the start-up posted is applied here.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return bStarted;
  }

  struct FileDialogCall {
    CShellUi::FileDialog kind;
    QString filter;
    QString initial;
  };

  QTemporaryDir m_dir;
  std::unique_ptr<CKvillApp> m_app;
  std::vector<ShownMessage> m_messages;
  std::deque<int> m_answers;
  std::vector<FileDialogCall> m_fileDialogs;
  std::deque<QString> m_fileAnswers;
  int m_nInstancesStarted = 0;
  QStringList m_lastInstanceArgs;
};
