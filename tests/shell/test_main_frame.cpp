// The main frame as built from the resources: menus, toolbar, status bar, accelerators,
// the settings and language records at start-up and at the end, and the command filter.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <cmath>

#include "document/CKvillDoc.h"
#include "objects/CEllipse.h"
#include "objects/CKVObject.h"
#include "platform/CSettingsRecord.h"
#include "resources/CommandIds.h"
#include "shell/CAboutDlg.h"
#include "shell/CDDrawBar.h"
#include "shell/CMainButton.h"
#include "shell/CMainFrame.h"
#include "shell/CPaletteDialog.h"
#include "shell/CViewWidget.h"
#include "tests/shell/MenuExpectations.h"
#include "tests/shell/ShellFixture.h"
#include "view/CKvillView.h"
#include "view/DrawingAids.h"

namespace {

void FlattenMenu(const QMenu* menu, int nDepth, std::vector<std::string>& out) {
  const std::string indent(2 * nDepth, ' ');
  for (const QAction* a : menu->actions()) {
    if (a->isSeparator()) {
      out.push_back(indent + "---");
    } else if (a->menu() != nullptr) {
      out.push_back(indent + a->text().toStdString());
      FlattenMenu(a->menu(), nDepth + 1, out);
    } else if (a->isVisible()) {
      out.push_back(indent + a->text().toStdString() + " = " + std::to_string(a->data().toInt()));
    }
  }
}

std::vector<std::string> MenuLines(CMainFrame* frame) {
  std::vector<std::string> out;
  for (const QAction* top : frame->menuBar()->actions()) {
    out.push_back(top->text().toStdString());
    FlattenMenu(top->menu(), 1, out);
  }
  return out;
}

std::vector<int> ToolBarIds(CMainFrame* frame) {
  std::vector<int> ids;
  for (const QAction* a : frame->ToolBar()->actions())
    ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
  return ids;
}

std::vector<QString> ToolTips(CMainFrame* frame) {
  std::vector<QString> tips;
  for (const QAction* a : frame->ToolBar()->actions()) {
    if (!a->isSeparator()) tips.push_back(a->toolTip());
  }
  return tips;
}

void PressKey(QWidget* w, int key, Qt::KeyboardModifiers mods) {
  QKeyEvent press(QEvent::KeyPress, key, mods);
  QCoreApplication::sendEvent(w, &press);
}

class MainFrameTest : public ShellFixture {};

}  // namespace

TEST_F(MainFrameTest, EnglishMainWindowShowsSet128) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  EXPECT_EQ(MenuLines(frame), expect::kEnglish128);
  EXPECT_EQ(ToolBarIds(frame),
            (std::vector<int>{57600, 32886, 32887, 0, 57635, 32794, 57637, 57643, 32796, 0, 32800,
                              32801, 32804, 0, 32840, 32839, 0, 57607, 57664}));
  EXPECT_EQ(ToolTips(frame)[0], "New");
  EXPECT_EQ(ToolTips(frame)[2], "Save");
  EXPECT_EQ(frame->ToolBar()->windowTitle(), "Basic tools - Základní nástroje");
  EXPECT_EQ(frame->windowTitle(), "noname - Valendra");
  EXPECT_EQ(frame->MenuAction(57600)->statusTip(), "Create a new document");

  // The status bar: the idle text, the formula of the drawing (empty: there is no molecule),
  // the zoom, then CAP, NUM and SCRL.
  const auto labels =
      frame->statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
  std::vector<QString> texts;
  for (const QLabel* l : labels) texts.push_back(l->text());
  EXPECT_EQ(texts, (std::vector<QString>{"Ready", "", "100 %", "CAP", "NUM", "SCRL"}));
}

// The status bar's zoom pane follows every change of the zoom, from the menu, the keys and
// Zoom to Fit, in percent (100 at the default zoom, larger when zoomed in).
TEST_F(MainFrameTest, ZoomPaneShowsTheZoomInPercent) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  CKvillView* view = frame->View();
  QLabel* pane = frame->ZoomField();
  ASSERT_NE(pane, nullptr);
  frame->OnCommand(cmd::kZoomDefault);
  EXPECT_EQ(pane->text(), "100 %");
  frame->OnCommand(cmd::kZoomIn);
  EXPECT_EQ(pane->text(), "120 %");
  frame->OnCommand(cmd::kZoomOut);
  frame->OnCommand(cmd::kZoomOut);
  EXPECT_EQ(pane->text(), "83 %");
  auto e = std::make_unique<CEllipse>();
  e->m_rcBounds = CRect{0, 0, 90000, -40000};
  e->m_ptAnchor = CPoint{0, 0};
  frame->Document()->m_listObjects.push_back(std::move(e));
  frame->OnCommand(cmd::kZoomToFit);
  const double z = view->Viewport().Zoom();
  EXPECT_NE(pane->text(), "83 %");
  EXPECT_EQ(pane->text(), QStringLiteral("%1 %").arg(std::lround(100.0 / z)));
}

TEST_F(MainFrameTest, CzechMainWindowShowsCzechSet128) {
  Store().Write(CSettingsStore::kLanguage, "1029");
  CMainFrame* frame = Start().MainFrame();
  EXPECT_EQ(MenuLines(frame), expect::kCzech128);
  EXPECT_EQ(ToolTips(frame)[0], "Nový");
  EXPECT_EQ(frame->windowTitle(), "Bez názvu - Valendra");
  const auto labels =
      frame->statusBar()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_FALSE(labels.isEmpty());
  EXPECT_EQ(labels.first()->text(), "Připraven");
}

TEST_F(MainFrameTest, EmbeddingSwitchGivesSet5InEitherSpelling) {
  for (const char* sw : {"--embedding", "-Embedding", "/Embedding", "-Automation"}) {
    Store().Write(CSettingsStore::kLanguage, "1033");
    CMainFrame* frame = Start({QString::fromLatin1(sw)}).MainFrame();
    EXPECT_EQ(m_app->m_bEmbedded, 1) << sw;
    EXPECT_FALSE(frame->acceptDrops()) << sw;
    EXPECT_EQ(MenuLines(frame),
              expect::Embedded(expect::kEnglish128, expect::kEnglishFile5, expect::kEnglishHelp5))
        << sw;
    const std::vector<int> ids = ToolBarIds(frame);
    ASSERT_GE(ids.size(), 3u);
    EXPECT_EQ(ids[0], 57610);
    EXPECT_EQ(ids[1], 57611);
    m_app.reset();
  }
  Store().Write(CSettingsStore::kLanguage, "1029");
  CMainFrame* frame = Start({"--embedding"}).MainFrame();
  EXPECT_EQ(MenuLines(frame),
            expect::Embedded(expect::kCzech128, expect::kCzechFile5, expect::kCzechHelp5));
}

TEST_F(MainFrameTest, CommandLineParsing) {
  auto cl = CKvillApp::ParseCommandLine({"/tmp/a.vld"});
  EXPECT_FALSE(cl.bEmbedding);
  EXPECT_EQ(cl.strFile, "/tmp/a.vld");
  cl = CKvillApp::ParseCommandLine({"-Embedding", "x.vld"});
  EXPECT_TRUE(cl.bEmbedding);
  EXPECT_EQ(cl.strFile, "x.vld");
  cl = CKvillApp::ParseCommandLine({"/automation"});
  EXPECT_TRUE(cl.bAutomation);
  EXPECT_TRUE(cl.strFile.isEmpty());
}

TEST_F(MainFrameTest, AcceleratorsReachTheirCommands) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  CKvillView* view = frame->View();
  QWidget* client = frame->ViewWidget()->Client();
  const double z0 = view->Viewport().Zoom();
  PressKey(client, Qt::Key_Plus, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_NE(view->Viewport().Zoom(), z0);
  PressKey(client, Qt::Key_Asterisk, Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_DOUBLE_EQ(view->Viewport().Zoom(), 1.0);
  // The main keyboard's plus zooms too, and Ctrl+0 brings the default zoom back.
  PressKey(client, Qt::Key_Plus, Qt::ControlModifier);
  EXPECT_NE(view->Viewport().Zoom(), 1.0);
  PressKey(client, Qt::Key_0, Qt::ControlModifier);
  EXPECT_DOUBLE_EQ(view->Viewport().Zoom(), 1.0);

  // Ctrl+S with no path goes to the framework's save dialog straight away, no question.
  PressKey(client, Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(m_fileDialogs.size(), 1u);
  EXPECT_EQ(m_fileDialogs[0].kind, CShellUi::FileDialog::SaveFramework);
  EXPECT_TRUE(m_messages.empty());
  // Ctrl+O opens the framework's open dialog.
  PressKey(client, Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(m_fileDialogs.size(), 2u);
  EXPECT_EQ(m_fileDialogs[1].kind, CShellUi::FileDialog::OpenFramework);
  EXPECT_EQ(m_fileDialogs[1].filter, "Valendra Files (*.vld)|*.vld|All Files (*.*)|*.*|");
}

TEST_F(MainFrameTest, MissingSettingsGiveDefaultsAndTheEndWritesTheRecord) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  CKvillView* view = frame->View();
  EXPECT_EQ(view->Settings().m_bMainRectValid, 0);
  EXPECT_EQ(view->Settings().m_bDrawBarVisible, 1);
  EXPECT_EQ(view->Settings().m_bToolBarHidden, 0);
  EXPECT_EQ(view->Settings().m_bStatusBarVisible, 1);
  EXPECT_FALSE(frame->ToolBar()->isHidden());
  EXPECT_FALSE(frame->statusBar()->isHidden());
  EXPECT_EQ(view->Settings().m_wLanguageId, 1033);
  m_app.reset();
  const auto record = Store().Read(CSettingsStore::kSettings);
  ASSERT_TRUE(record.has_value());
  CSettingsRecord r;
  EXPECT_EQ(r.Parse(*record), 20);
  EXPECT_EQ(r.Format(), *record);
  EXPECT_EQ(r.m_bToolBarHidden, 0);
  EXPECT_EQ(r.m_bStatusBarVisible, 1);
  EXPECT_EQ(Store().Read(CSettingsStore::kLanguage).value_or(""), "1033");
}

TEST_F(MainFrameTest, RecordHidesToolBarAndStatusBar) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  Store().Write(CSettingsStore::kSettings, "0 1 0 0 0 0 0 0 0 0 0 0 0 0 40 50 840 650 1 0");
  CMainFrame* frame = Start().MainFrame();
  CKvillView* view = frame->View();
  EXPECT_EQ(view->Settings().m_bMainRectValid, 1);
  EXPECT_TRUE(frame->ToolBar()->isHidden());
  EXPECT_TRUE(frame->statusBar()->isHidden());
  EXPECT_EQ(view->Settings().m_bStatusBarVisible, 0);
  frame->UpdateCommandUi();
  EXPECT_FALSE(frame->MenuAction(59393)->isChecked());
  EXPECT_FALSE(frame->MenuAction(59392)->isChecked());
  EXPECT_EQ(frame->geometry(), QRect(40, 50, 800, 600));

  // The View menu's toggles bring both back, with their check marks.
  frame->OnCommand(59392);
  frame->OnCommand(59393);
  EXPECT_FALSE(frame->ToolBar()->isHidden());
  EXPECT_FALSE(frame->statusBar()->isHidden());
  EXPECT_TRUE(frame->MenuAction(59393)->isChecked());
  EXPECT_TRUE(frame->MenuAction(59392)->isChecked());
  m_app.reset();
  CSettingsRecord r;
  r.Parse(Store().Read(CSettingsStore::kSettings).value_or(""));
  EXPECT_EQ(r.m_bToolBarHidden, 0);
  EXPECT_EQ(r.m_bStatusBarVisible, 1);
}

TEST_F(MainFrameTest, LanguageRecordChoosesTheInterfaceAndFirstIdleSettlesIt) {
  Store().Write(CSettingsStore::kLanguage, "1029");
  CMainFrame* frame = Start().MainFrame();
  CKvillView* view = frame->View();
  EXPECT_EQ(frame->Language(), res::Language::Czech);
  EXPECT_EQ(view->Settings().m_wLanguageId, 1029);
  // Timer 1128 after the first idle moment: the check mark and m_bEnglish from the menu.
  ASSERT_TRUE(frame->OnViewTimer(1128));
  EXPECT_EQ(view->Settings().m_bEnglish, 0);
  EXPECT_TRUE(frame->MenuAction(32892)->isChecked());
  EXPECT_FALSE(frame->MenuAction(32893)->isChecked());
  EXPECT_EQ(frame->MenuAction(57609)->text(), "Náhl&ed tisku");
  m_app.reset();

  Store().Write(CSettingsStore::kLanguage, "1033");
  frame = Start().MainFrame();
  view = frame->View();
  view->Settings().m_bEnglish = 0;
  ASSERT_TRUE(frame->OnViewTimer(1128));
  EXPECT_EQ(view->Settings().m_bEnglish, 1);
  EXPECT_TRUE(frame->MenuAction(32893)->isChecked());
}

TEST_F(MainFrameTest, StartUpTimersAndTheirOrder) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  CViewWidget* host = frame->ViewWidget();
  EXPECT_EQ(frame->m_bStartingUp, 1);
  EXPECT_TRUE(host->IsTimerRunning(1121));
  EXPECT_TRUE(host->IsTimerRunning(1122));
  EXPECT_TRUE(host->IsTimerRunning(1130));
  EXPECT_TRUE(host->IsTimerRunning(1123));
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  // 1121 ended the start-up phase; the one-shot timers are gone, the cursor timer runs on.
  EXPECT_EQ(frame->m_bStartingUp, 0);
  EXPECT_FALSE(host->IsTimerRunning(1121));
  EXPECT_FALSE(host->IsTimerRunning(1122));
  EXPECT_FALSE(host->IsTimerRunning(1130));
  EXPECT_FALSE(host->IsTimerRunning(1128));
  EXPECT_TRUE(host->IsTimerRunning(1123));
  EXPECT_TRUE(frame->MenuAction(32893)->isChecked());
  // Maximized and restored at once: a normal window, recorded as such.
  EXPECT_FALSE(frame->isMaximized());
  EXPECT_EQ(frame->View()->Settings().m_bMaximized, 0);
}

TEST_F(MainFrameTest, MaximizedRecordOpensMaximizedAndTheEndRecordsIt) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  Store().Write(CSettingsStore::kSettings, "0 1 0 0 0 0 0 0 0 0 0 0 0 1 30 40 830 640 0 1");
  CMainFrame* frame = Start().MainFrame();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  EXPECT_TRUE(PumpUntil([frame] { return frame->isMaximized(); }));
  EXPECT_EQ(frame->View()->Settings().m_bMaximized, 1);
  m_app.reset();
  CSettingsRecord r;
  r.Parse(Store().Read(CSettingsStore::kSettings).value_or(""));
  EXPECT_EQ(r.m_bMaximized, 1);
  // The normal rectangle is kept for the restore.
  EXPECT_EQ(r.m_rcMainWnd, (std::array<std::int32_t, 4>{30, 40, 830, 640}));
}

TEST_F(MainFrameTest, CzechEmbeddedDocumentIsRetitled) {
  Store().Write(CSettingsStore::kLanguage, "1029");
  CMainFrame* frame = Start({"--embedding"}).MainFrame();
  frame->OnViewTimer(1128);
  frame->OnViewTimer(1131);
  EXPECT_EQ(frame->Document()->m_strTitle, "Valendra dokument");
  EXPECT_EQ(frame->windowTitle(), "Valendra dokument - Valendra");
}

TEST_F(MainFrameTest, CommandFilter) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  CKvillView* view = frame->View();
  const double z0 = view->Viewport().Zoom();
  // During a handle drag every command is dropped.
  view->Mouse().SetResizing(1);
  frame->OnCommand(32800);
  frame->OnCommand(59393);
  EXPECT_DOUBLE_EQ(view->Viewport().Zoom(), z0);
  EXPECT_EQ(view->Settings().m_bStatusBarVisible, 1);
  view->Mouse().SetResizing(0);
  // A command ends rotate mode, records one snapshot, and then runs.
  view->Mouse().SetRotating(1);
  frame->View()->Cursor().m_bHoverSuppressed = 1;
  const std::size_t before = view->History().Size();
  frame->OnCommand(32800);
  EXPECT_EQ(view->Mouse().Rotating(), 0);
  EXPECT_EQ(view->History().Size(), before + 1);
  EXPECT_EQ(frame->View()->Cursor().m_bHoverSuppressed, 0);
  EXPECT_NE(view->Viewport().Zoom(), z0);
}

TEST_F(MainFrameTest, CommandsOfLaterWorkAreShownDisabled) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  frame->UpdateCommandUi();
  for (int id : {57600, 32886, 32887, 32888, 57607, 57609, 57606, 57665, 32800, 32801, 32804,
                 59392, 59393, 57664, 32892, 32893, 32779, 32842, 57635, 57634, 32794, 57637}) {
    EXPECT_TRUE(frame->MenuAction(id)->isEnabled()) << id;
  }
  // The editing commands wait for a selection. The mirrors say themselves that nothing is
  // selected.
  for (int id : {32787, 32849, 32850, 32797, 32798}) {
    ASSERT_NE(frame->MenuAction(id), nullptr) << id;
    EXPECT_FALSE(frame->MenuAction(id)->isEnabled()) << id;
  }
  for (int id : {32840, 32839}) EXPECT_TRUE(frame->MenuAction(id)->isEnabled()) << id;
  // No recent files yet: the placeholder is there, disabled.
  EXPECT_EQ(frame->MenuAction(57616)->text(), "Recent File");
  EXPECT_FALSE(frame->MenuAction(57616)->isEnabled());
}

TEST_F(MainFrameTest, AboutBoxCaptionInBothLanguages) {
  CAboutDlg en(nullptr, res::Language::English);
  EXPECT_EQ(en.windowTitle(), "About Valendra");
  CAboutDlg cs(nullptr, res::Language::Czech);
  EXPECT_EQ(cs.windowTitle(), "O aplikaci Valendra");
  EXPECT_GE(cs.findChildren<QLabel*>().size(), 3);
}

TEST_F(MainFrameTest, DrawBarCommandShowsHidesAndPlacesTheBarOfTheMainWindow) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  frame->show();
  CKvillView* view = frame->View();
  CDDrawBar* bar = frame->DrawBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->IsWindow());
  // The first idle moment shows the bar, checked, at the top-left of the client area.
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  ASSERT_TRUE(bar->IsWindow());
  EXPECT_TRUE(bar->GetWindow()->isVisible());
  EXPECT_EQ(bar->GetWindow()->windowTitle(), "Draw bar");
  EXPECT_TRUE(frame->MenuAction(32779)->isChecked());
  EXPECT_EQ(view->Settings().m_bDrawBarPlaced, 1);
  EXPECT_EQ(view->Settings().m_bDrawBarVisible, 1);

  // Moved by the user, hidden and shown again by the menu: the same place, the check mark
  // following the bar.
  const QPoint ptMoved = bar->DefaultPosition() + QPoint(40, 30);
  bar->GetWindow()->move(ptMoved);
  frame->OnCommand(32779);
  EXPECT_FALSE(bar->IsWindow());
  EXPECT_FALSE(frame->MenuAction(32779)->isChecked());
  EXPECT_EQ(view->Settings().m_bDrawBarVisible, 0);
  frame->OnCommand(32779);
  ASSERT_TRUE(bar->IsWindow());
  EXPECT_EQ(bar->GetWindow()->pos(), ptMoved);
  EXPECT_TRUE(frame->MenuAction(32779)->isChecked());

  // A tool message from the bar's palette reaches this view; coming back to the view with
  // the focus releases the latched Bonds button and hides its palette.
  view->Mouse().SetTool(3);
  bar->OnPaletteButton(res::PaletteKind::Couple);
  ASSERT_TRUE(PumpUntil([view] { return view->Mouse().Tool() == 0; }));
  CMainButton* bonds = bar->Button(res::DrawBarButtonOf(res::PaletteKind::Couple).id);
  ASSERT_NE(bonds, nullptr);
  EXPECT_EQ(bonds->m_bLatched, 1);
  ASSERT_TRUE(bar->Palette(res::PaletteKind::Couple)->IsWindow());
  EXPECT_TRUE(bar->Palette(res::PaletteKind::Couple)->GetWindow()->isVisible());
  QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
  QCoreApplication::sendEvent(frame->ViewWidget()->Client(), &focus);
  EXPECT_EQ(bonds->m_bLatched, 0);
  EXPECT_FALSE(bar->Palette(res::PaletteKind::Couple)->GetWindow()->isVisible());

  // A palette button gives the activation back to the main window (the bar's button took
  // it), so that typing goes on in the drawing.
  bar->GetWindow()->activateWindow();
  ASSERT_TRUE(PumpUntil([bar] { return QApplication::activeWindow() == bar->GetWindow(); }));
  bar->OnPaletteButton(res::PaletteKind::Symbol1);
  ASSERT_TRUE(bar->Palette(res::PaletteKind::Symbol1)->IsVisible());
  bar->Palette(res::PaletteKind::Symbol1)->Button(5006)->click();
  EXPECT_TRUE(PumpUntil([frame] {
    return QApplication::activeWindow() == frame && frame->ViewWidget()->Client()->hasFocus();
  }));
  EXPECT_EQ(QApplication::activeWindow(), frame);
  EXPECT_TRUE(frame->ViewWidget()->Client()->hasFocus());

  // The place the bar has at the end is the one saved, and the next start uses it.
  const QPoint ptLast = bar->DefaultPosition() + QPoint(70, 10);
  bar->GetWindow()->move(ptLast);
  m_app.reset();
  CSettingsRecord r;
  r.Parse(Store().Read(CSettingsStore::kSettings).value_or(""));
  EXPECT_EQ(r.m_bDrawBarPlaced, 1);
  EXPECT_EQ(r.m_bDrawBarVisible, 1);
  EXPECT_EQ(r.m_wpDrawBar[7], ptLast.x());
  EXPECT_EQ(r.m_wpDrawBar[8], ptLast.y());
  frame = Start().MainFrame();
  frame->show();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  ASSERT_TRUE(frame->DrawBar()->IsWindow());
  EXPECT_EQ(frame->DrawBar()->GetWindow()->pos(), ptLast);
}

TEST_F(MainFrameTest, SelectAllOfTheEditMenuSelectsTheWholeDrawing) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  CKvillView* view = frame->View();
  CKvillDoc* doc = frame->Document();
  for (int i = 0; i < 3; ++i) {
    auto e = std::make_unique<CEllipse>();
    e->m_rcBounds = CRect{100 + 600 * i, -100, 500 + 600 * i, -500};
    e->m_ptAnchor = CPoint{e->m_rcBounds.left, e->m_rcBounds.top};
    doc->m_listObjects.push_back(std::move(e));
  }
  view->UpdateView();
  view->PushSnapshot();
  frame->UpdateCommandUi();
  QAction* selectAll = frame->MenuAction(32842);
  ASSERT_NE(selectAll, nullptr);
  EXPECT_TRUE(selectAll->isEnabled());
  selectAll->trigger();
  EXPECT_EQ(view->SelCount(), 3);
  for (const auto& p : doc->m_listObjects) EXPECT_EQ(p->m_bSelected, 1);
  // The menu stays usable after a command, and Undo and Redo still reach the history.
  EXPECT_TRUE(frame->MenuAction(32842)->isEnabled());
  doc->m_listObjects.pop_back();
  view->UpdateView();
  view->PushSnapshot();
  frame->MenuAction(57643)->trigger();  // Undo
  EXPECT_EQ(doc->m_listObjects.size(), 3u);
  frame->MenuAction(32796)->trigger();  // Redo
  EXPECT_EQ(doc->m_listObjects.size(), 2u);
}

// The Edit menu follows the selection; Del, the menu's Group and the toolbar's mirror reach
// the view from the window, and each change can be undone.
TEST_F(MainFrameTest, EditingCommandsFollowTheSelectionFromKeysMenusAndButtons) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  frame->show();
  ASSERT_TRUE(PumpUntilStartedUp(frame));
  CKvillView* view = frame->View();
  CKvillDoc* doc = frame->Document();
  std::vector<CKVObject*> ellipses;
  for (int i = 0; i < 3; ++i) {
    auto e = std::make_unique<CEllipse>();
    e->m_rcBounds = CRect{100 + 600 * i, -100, 500 + 600 * i, -500};
    e->m_ptAnchor = CPoint{e->m_rcBounds.left, e->m_rcBounds.top};
    ellipses.push_back(e.get());
    doc->m_listObjects.push_back(std::move(e));
  }
  view->UpdateView();
  view->PushSnapshot();

  ellipses[0]->m_bSelected = 1;
  view->SetSelCount(1);
  frame->UpdateCommandUi();
  for (int id : {32787, 32849, 32850, 32840, 32839}) {
    EXPECT_TRUE(frame->MenuAction(id)->isEnabled()) << id;
  }
  EXPECT_FALSE(frame->MenuAction(32797)->isEnabled());  // Group needs two

  ellipses[1]->m_bSelected = 1;
  view->SetSelCount(2);
  frame->UpdateCommandUi();
  ASSERT_TRUE(frame->MenuAction(32797)->isEnabled());
  frame->MenuAction(32797)->trigger();
  ASSERT_EQ(doc->m_listObjects.size(), 2u);
  EXPECT_NE(doc->m_listObjects.back()->AsGroup(), nullptr);
  EXPECT_TRUE(frame->MenuAction(32798)->isEnabled());  // the new group is current

  // The toolbar's vertical mirror turns the group about the middle of its span.
  QAction* mirror = nullptr;
  for (QAction* a : frame->ToolBar()->actions()) {
    if (a->data().toInt() == 32840) mirror = a;
  }
  ASSERT_NE(mirror, nullptr);
  mirror->trigger();
  EXPECT_EQ(ellipses[0]->m_rcBounds, (CRect{700, -100, 1100, -500}));
  EXPECT_EQ(ellipses[1]->m_rcBounds, (CRect{100, -100, 500, -500}));

  PressKey(frame->ViewWidget()->Client(), Qt::Key_Delete, Qt::NoModifier);
  ASSERT_EQ(doc->m_listObjects.size(), 1u);
  EXPECT_EQ(doc->m_listObjects.front().get(), ellipses[2]);
  frame->UpdateCommandUi();
  EXPECT_FALSE(frame->MenuAction(32787)->isEnabled());

  frame->MenuAction(57643)->trigger();  // Undo the deletion
  EXPECT_EQ(doc->m_listObjects.size(), 2u);
}

TEST_F(MainFrameTest, DrawBarFirstOpensAtTheDrawingAreasCornerBelowTheToolbar) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  CMainFrame* frame = Start().MainFrame();
  frame->show();
  // The first idle moment shows the bar.
  ASSERT_TRUE(PumpUntil([&] { return frame->DrawBar()->IsWindow(); }));
  const QWidget* bar = frame->DrawBar()->GetWindow();
  const QPoint corner = frame->ViewWidget()->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(bar->pos(), corner);
  const QToolBar* toolbar = frame->ToolBar();
  ASSERT_TRUE(toolbar->isVisible());
  const QRect rcToolBar(toolbar->mapToGlobal(QPoint(0, 0)), toolbar->size());
  EXPECT_FALSE(bar->frameGeometry().intersects(rcToolBar));
  EXPECT_GT(corner.y(), rcToolBar.top());
  // No toolbar button lies under the bar.
  for (QAction* a : toolbar->actions()) {
    const QWidget* button = toolbar->widgetForAction(a);
    if (button == nullptr || !button->isVisible()) continue;
    const QRect rcButton(button->mapToGlobal(QPoint(0, 0)), button->size());
    EXPECT_FALSE(bar->frameGeometry().intersects(rcButton)) << a->data().toInt();
  }
}

TEST_F(MainFrameTest, CzechInterfaceShowsQtsOwnButtonsInCzech) {
  const auto buttonTexts = [] {
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return QStringList{box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(),
                       box.button(QMessageBox::Cancel)->text()};
  };
  Store().Write(CSettingsStore::kLanguage, "1029");
  Start();
  EXPECT_EQ(buttonTexts(), (QStringList{"&Ano", "&Ne", "Zrušit"}));
  // The English interface keeps Qt's English, also after a Czech run in the same process.
  m_app.reset();
  Store().Write(CSettingsStore::kLanguage, "1033");
  Start();
  EXPECT_EQ(buttonTexts(), (QStringList{"&Yes", "&No", "Cancel"}));
}

// The drawing aids are read from the settings file's DrawingAids group at start-up, shown
// checked in View > Drawing Aids, and written back the moment one is turned on or off: the
// menu item's own trigger goes through the command.
TEST_F(MainFrameTest, DrawingAidsComeFromTheSettingsAndAreKeptWhenChanged) {
  Store().Write(CSettingsStore::kLanguage, "1033");
  Store().Write("DrawingAids\\KeepTools", "1");
  Store().Write("DrawingAids\\FuseRings", "0");
  CMainFrame* frame = Start().MainFrame();
  CKvillView* view = frame->View();
  EXPECT_EQ(view->Settings().m_aids.m_bKeepTools, 1);
  EXPECT_EQ(view->Settings().m_aids.m_bFuseRings, 0);
  EXPECT_EQ(view->Settings().m_aids.m_bStandardBonds, 0);
  frame->UpdateCommandUi();
  for (const DrawingAidRow& aid : kDrawingAidRows) {
    QAction* a = frame->MenuAction(aid.nCommand);
    ASSERT_NE(a, nullptr) << aid.pszRecord;
    EXPECT_TRUE(a->isCheckable());
    EXPECT_EQ(a->isChecked(), aid.nCommand == cmd::kAidKeepTools) << aid.pszRecord;
  }
  frame->MenuAction(cmd::kAidStandardBonds)->trigger();
  frame->MenuAction(cmd::kAidKeepTools)->trigger();
  EXPECT_EQ(view->Settings().m_aids.m_bStandardBonds, 1);
  EXPECT_EQ(view->Settings().m_aids.m_bKeepTools, 0);
  EXPECT_EQ(Store().Read("DrawingAids\\StandardBonds").value_or(""), "1");
  EXPECT_EQ(Store().Read("DrawingAids\\KeepTools").value_or(""), "0");
  frame->UpdateCommandUi();
  EXPECT_TRUE(frame->MenuAction(cmd::kAidStandardBonds)->isChecked());
  EXPECT_FALSE(frame->MenuAction(cmd::kAidKeepTools)->isChecked());
  // The file has the group a user can read and edit.
  QFile file(Store().FilePath());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.contains("[DrawingAids]\n")) << text.constData();
  EXPECT_TRUE(text.contains("\nStandardBonds=1\n")) << text.constData();
}
