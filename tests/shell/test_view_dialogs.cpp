// The view's entry dialogs as the main window runs them: the polygon entries of the
// aromatic palette ask for the vertex count in a modal dialog until the answer is usable.
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "shell/CMainFrame.h"
#include "shell/CViewWidget.h"
#include "shell/EntryDialog.h"
#include "tests/shell/ShellFixture.h"
#include "view/CKvillView.h"

namespace {

class ViewDialogsTest : public ShellFixture {
 protected:
  // Answers each vertex-count dialog as it opens with the next text, OK for a text and
  // Cancel for nullptr. Records the field's focus and caption seen by each answer.
  void AnswerDialogs(std::vector<const char*> answers) {
    m_answersLeft = std::move(answers);
    Poll();
  }

  void Poll() {
    QTimer::singleShot(20, [this] {
      auto* pDialog = static_cast<CEntryDialog*>(CViewWidget::EntryDialog());
      if (pDialog == nullptr || !pDialog->isVisible()) {
        if (!m_answersLeft.empty()) Poll();
        return;
      }
      // The focus timer gives the field the focus soon after the dialog opens; on a busy
      // machine that may take many rounds (up to half a minute before it counts as lost).
      if (!pDialog->Field()->hasFocus() && ++m_nWaits < 1500) {
        Poll();
        return;
      }
      m_nWaits = 0;
      m_focused.push_back(pDialog->Field()->hasFocus());
      m_captions.push_back(pDialog->windowTitle());
      const char* pszAnswer = m_answersLeft.front();
      m_answersLeft.erase(m_answersLeft.begin());
      if (pszAnswer == nullptr) {
        pDialog->reject();
      } else {
        pDialog->Field()->setText(QString::fromUtf8(pszAnswer));
        pDialog->accept();
      }
      if (!m_answersLeft.empty()) Poll();
    });
  }

  std::vector<const char*> m_answersLeft;
  int m_nWaits = 0;
  std::vector<bool> m_focused;
  std::vector<QString> m_captions;
};

TEST_F(ViewDialogsTest, VertexCountIsAskedAgainUntilUsableThenChoosesThePolygonTool) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  frame->show();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  CKvillView* view = frame->View();
  m_messages.clear();
  AnswerDialogs({"2", "abc", "2000000000", "7x"});
  frame->ViewWidget()->PostMessage(1115, 0, 0);
  ASSERT_TRUE(
      PumpUntil([this] { return m_answersLeft.empty() && CViewWidget::EntryDialog() == nullptr; }));
  EXPECT_EQ(view->m_nTool, 28);
  EXPECT_EQ(view->m_nPolyVertices, 7);
  ASSERT_EQ(m_messages.size(), 3u);
  EXPECT_EQ(m_messages[0].text, "Error: Entered value cannot be less than three.");
  EXPECT_EQ(m_messages[1].text, "Error: Not a number.");
  EXPECT_EQ(m_messages[2].text, "Error: Entered value cannot be greater than 1000.");
  EXPECT_EQ(m_captions, std::vector<QString>(4, QStringLiteral("Polygon")));
  EXPECT_EQ(m_focused, std::vector<bool>(4, true));

  // Cancel leaves the select tool and asks nothing more.
  m_messages.clear();
  AnswerDialogs({nullptr});
  frame->ViewWidget()->PostMessage(1116, 0, 0);
  ASSERT_TRUE(
      PumpUntil([this] { return m_answersLeft.empty() && CViewWidget::EntryDialog() == nullptr; }));
  EXPECT_EQ(view->m_nTool, 0);
  EXPECT_TRUE(m_messages.empty());
}

TEST_F(ViewDialogsTest, CzechVertexCountDialog) {
  Store().Write(CSettingsStore::kLanguage, "1029");
  CMainFrame* frame = Start().MainFrame();
  frame->show();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  m_messages.clear();
  AnswerDialogs({"1", "5"});
  frame->ViewWidget()->PostMessage(1116, 0, 0);
  ASSERT_TRUE(
      PumpUntil([this] { return m_answersLeft.empty() && CViewWidget::EntryDialog() == nullptr; }));
  EXPECT_EQ(frame->View()->m_nTool, 29);
  EXPECT_EQ(frame->View()->m_nPolyVertices, 5);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text,
            QString::fromUtf8("Chyba: Zadaná hodnota nesmí být menší než tři."));
  EXPECT_EQ(m_captions, std::vector<QString>(2, QString::fromUtf8("Mnohoúhelník")));
}

}  // namespace
