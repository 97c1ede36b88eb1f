// The view's entry dialogs as the main window runs them: the polygon entries of the
// aromatic palette ask for the vertex count in a modal dialog until the answer is usable.
#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "document/CKvillDoc.h"
#include "objects/CCoupling.h"
#include "objects/CDot.h"
#include "objects/CKVObject.h"
#include "resources/CommandIds.h"
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
  EXPECT_EQ(view->Mouse().Tool(), 28);
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
  EXPECT_EQ(view->Mouse().Tool(), 0);
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
  EXPECT_EQ(frame->View()->Mouse().Tool(), 29);
  EXPECT_EQ(frame->View()->m_nPolyVertices, 5);
  ASSERT_EQ(m_messages.size(), 1u);
  EXPECT_EQ(m_messages[0].text,
            QString::fromUtf8("Chyba: Zadaná hodnota nesmí být menší než tři."));
  EXPECT_EQ(m_captions, std::vector<QString>(2, QString::fromUtf8("Mnohoúhelník")));
}

// Change Color runs Qt's colour dialog modally, opened on the current object's colour.
class ColourDialogTest : public ShellFixture {
 protected:
  // Answers the next colour dialog as soon as it shows: with the colour, or Cancel when
  // none is given. Records the colour the dialog opened on.
  void AnswerColourDialog(std::optional<QColor> answer) {
    m_bAnswered = false;
    QTimer::singleShot(20, [this, answer] {
      auto* pDialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
      if (pDialog == nullptr || !pDialog->isVisible()) {
        AnswerColourDialog(answer);
        return;
      }
      m_opened.push_back(pDialog->currentColor());
      if (answer) {
        pDialog->setCurrentColor(*answer);
        pDialog->accept();
      } else {
        pDialog->reject();
      }
      m_bAnswered = true;
    });
  }

  CCoupling* AddBond(CKvillDoc* doc) {
    std::vector<CKVObject*> ends;
    for (int x : {1000, 2500}) {
      auto d = std::make_unique<CDot>();
      d->MoveTo(CPoint{x, -1000});
      d->ResetDone();
      ends.push_back(d.get());
      doc->m_listObjects.push_back(std::move(d));
    }
    auto b = std::make_unique<CCoupling>();
    b->m_pEndA = ends[0];
    b->m_pEndB = ends[1];
    CCoupling* raw = b.get();
    doc->m_listObjects.push_back(std::move(b));
    return raw;
  }

  bool m_bAnswered = false;
  std::vector<QColor> m_opened;
};

TEST_F(ColourDialogTest, TheChosenColourGoesToTheObjectCancelLeavesIt) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  frame->show();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  CKvillView* view = frame->View();
  CCoupling* bond = AddBond(frame->Document());
  bond->m_crColor = RGB(0, 0, 255);
  view->UpdateView();
  const std::size_t nSnapshots = view->History().Size();

  view->SetCurrent(bond);
  AnswerColourDialog(QColor(200, 100, 0));
  frame->OnCommand(cmd::kChangeColor);
  ASSERT_TRUE(PumpUntil([this] { return m_bAnswered; }));
  ASSERT_EQ(m_opened.size(), 1u);
  EXPECT_EQ(m_opened[0], QColor(0, 0, 255));
  EXPECT_EQ(bond->m_crColor, RGB(200, 100, 0));
  EXPECT_EQ(view->History().Size(), nSnapshots + 1);
  EXPECT_EQ(frame->View()->Cursor().m_bHoverSuppressed, 0);

  view->SetCurrent(bond);
  AnswerColourDialog(std::nullopt);
  frame->OnCommand(cmd::kChangeColor);
  ASSERT_TRUE(PumpUntil([this] { return m_bAnswered; }));
  EXPECT_EQ(m_opened.at(1), QColor(200, 100, 0));
  EXPECT_EQ(bond->m_crColor, RGB(200, 100, 0));
  EXPECT_EQ(view->History().Size(), nSnapshots + 1);
  EXPECT_EQ(view->Current(), nullptr);
}

}  // namespace
