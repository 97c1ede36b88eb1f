// The two entry dialogs: their texts in both languages and what they hand to the view.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "shell/EntryDialog.h"
#include "view/CKvillView.h"

namespace {

QString ButtonText(QDialog& dlg, const char* pszId) {
  auto* p = dlg.findChild<QPushButton*>(QString::fromLatin1(pszId));
  return p != nullptr ? p->text() : QString();
}

QString PromptText(QDialog& dlg) {
  auto* p = dlg.findChild<QLabel*>();
  return p != nullptr ? p->text() : QString();
}

}  // namespace

class EntryDialogTest : public ::testing::Test {
 protected:
  EntryDialogTest() : view(nullptr, &doc) {}
  CKvillDoc doc;
  CKvillView view;
};

TEST_F(EntryDialogTest, VertexDialogTextsInBothLanguages) {
  view.Settings().m_bEnglish = 1;
  NPolEnter en(&view);
  EXPECT_EQ(en.windowTitle(), QStringLiteral("Polygon"));
  EXPECT_EQ(PromptText(en), QStringLiteral("Enter nuber of vertices:"));
  EXPECT_EQ(ButtonText(en, "1"), QStringLiteral("OK"));
  EXPECT_EQ(ButtonText(en, "2"), QStringLiteral("Cancel"));
  EXPECT_EQ(en.Field()->objectName(), QStringLiteral("1066"));
  view.Settings().m_bEnglish = 0;
  NPolEnter cz(&view);
  EXPECT_EQ(cz.windowTitle(), QStringLiteral("Mnohoúhelník"));
  EXPECT_EQ(PromptText(cz), QStringLiteral("Zadejte počet vrcholů:"));
  EXPECT_EQ(ButtonText(cz, "2"), QStringLiteral("Zrušit"));
  Dial13 line(&view);
  EXPECT_EQ(line.windowTitle(), QStringLiteral("Čára"));
  EXPECT_EQ(PromptText(line), QStringLiteral("Zadejte tloušťku čáry:"));
}

TEST_F(EntryDialogTest, VertexEntryIsReadWhenTheDialogCloses) {
  NPolEnter dlg(&view);
  dlg.Field()->setText(QStringLiteral("12abc"));
  view.Cursor().m_bHoverSuppressed = 1;
  dlg.done(QDialog::Accepted);
  EXPECT_EQ(view.m_nPolyVertices, 12);
  EXPECT_EQ(view.m_dPolyParsed, 1.0);
  EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 0);
  // Only 19 characters are read: the digit after 19 blanks is lost.
  NPolEnter blanks(&view);
  blanks.Field()->setText(QString(19, QLatin1Char(' ')) + QStringLiteral("5"));
  blanks.done(QDialog::Accepted);
  EXPECT_EQ(view.m_dPolyParsed, -1.0);
  EXPECT_EQ(view.m_nPolyVertices, 0);
}

TEST_F(EntryDialogTest, ThicknessDialogSuppressesHoverWhileItLives) {
  view.Cursor().m_bHoverSuppressed = 0;
  {
    Dial13 dlg(&view);
    EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 1);
    dlg.SetFieldText("1.00");
    EXPECT_EQ(dlg.Field()->selectedText(), QStringLiteral("1.00"));
    dlg.Field()->setText(QStringLiteral("2.5x"));
    dlg.done(QDialog::Accepted);
    EXPECT_DOUBLE_EQ(view.m_dCustomThickness, 2.5);
  }
  EXPECT_EQ(view.Cursor().m_bHoverSuppressed, 0);
}

TEST_F(EntryDialogTest, RunKeepsTheOpenDialogForTheTimers) {
  EXPECT_EQ(CEntryDialog::Open(), nullptr);
  QString seen;
  QTimer::singleShot(0, [&] {
    CEntryDialog* pOpen = CEntryDialog::Open();
    ASSERT_NE(pOpen, nullptr);
    pOpen->SetFieldText("7x");
    seen = pOpen->windowTitle();
    pOpen->accept();
  });
  EXPECT_EQ(CEntryDialog::Run(&view, view.EntryDialogText(412), nullptr), IDOK);
  EXPECT_EQ(seen, QStringLiteral("Polygon"));
  EXPECT_EQ(view.m_nPolyVertices, 7);
  EXPECT_EQ(CEntryDialog::Open(), nullptr);
  QTimer::singleShot(0, [] { CEntryDialog::Open()->reject(); });
  EXPECT_EQ(CEntryDialog::Run(&view, view.EntryDialogText(418), nullptr), IDCANCEL);
}
