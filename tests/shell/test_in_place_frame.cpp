// The in-place frame, offscreen: its creation inside a container's window (windows of the
// test stand in for the container's), the resize bar, toolbar 4 and menu 4 with their
// commands, the drop target that refuses everything, the end of the editing by Esc or by
// the container, and the starts that fail and leave the drawing alone.
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QToolBar>
#include <QUrl>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <map>

#include "objects/CArchive.h"
#include "objects/CEllipse.h"
#include "platform/CInPlaceSite.h"
#include "platform/CSettingsRecord.h"
#include "resources/PaletteTables.h"
#include "resources/Resources.h"
#include "shell/CBitmapButton.h"
#include "shell/CInPlaceFrame.h"
#include "shell/CPaletteDialog.h"
#include "shell/CResizeBar.h"
#include "tests/shell/ProgramRun.h"
#include "tests/shell/ShellFixture.h"
#include "tests/view/DrawingBuilder.h"

namespace {

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The number of top-level objects of a kind in a drawing file, as --info counts them.
int CountInFile(const QString& folder, const QString& file, const char* pszKind) {
  const ProgramRun run = RunProgramWithoutDisplay(folder, {QStringLiteral("--info"), file});
  for (const QByteArray& line : run.out.split('\n')) {
    const QByteArray prefix = QByteArray("  ") + pszKind + " (";
    if (line.startsWith(prefix)) return line.mid(line.indexOf(':') + 2).split(',')[0].toInt();
  }
  return -1;
}

class InPlaceFrameTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    m_file = Path("embedded.vld");
    // The embedded drawing: two ellipses.
    CKvillDoc doc;
    DrawingBuilder(doc).Ellipse(300, -300, 1500, -900);
    DrawingBuilder(doc).Ellipse(1800, -300, 2400, -900);
    std::vector<std::uint8_t> bytes;
    {
      CArchive ar(&bytes);
      doc.Serialize(ar);
      ar.Flush();
    }
    QFile f(m_file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    f.close();
    m_original = ReadAll(m_file);
    ASSERT_EQ(::pipe(m_fds), 0);
    m_pOut = std::tmpfile();
    ASSERT_NE(m_pOut, nullptr);
  }

  void TearDown() override {
    ShellFixture::TearDown();
    CloseContainerInput();
    ::close(m_fds[0]);
    std::fclose(m_pOut);
  }

  // Starts the program in place. The container's windows are windows of the test: "0x1"
  // the site, "0x2" the toolbar area; "0xbad" is a window that cannot be used.
  bool StartInPlace(QStringList args) {
    m_app = std::make_unique<CKvillApp>(std::make_unique<CSettingsStore>(SettingsPath()));
    m_app->m_startNewInstance = [this](const QStringList&) {
      ++m_nInstancesStarted;
      return true;
    };
    m_app->m_fnOpenSite = [this](const QString& strId,
                                 QString* pError) -> std::unique_ptr<QWindow> {
      m_openedIds << strId;
      if (strId == QLatin1String("0xbad")) {
        *pError = QStringLiteral("the container's window 0xbad does not exist");
        return nullptr;
      }
      auto pWindow = std::make_unique<QWindow>();
      pWindow->resize(strId == QLatin1String("0x2") ? QSize(420, 30) : QSize(400, 300));
      pWindow->create();
      m_sites[strId] = pWindow.get();
      return pWindow;
    };
    m_app->m_nContainerIn = m_fds[0];
    m_app->m_pContainerOut = m_pOut;
    m_app->m_fnExit = [this](int nStatus) { m_nExitStatus = nStatus; };
    return m_app->InitInstance(args);
  }
  QStringList InPlaceArgs(const QStringList& ids) const {
    return QStringList{QStringLiteral("--embedding"), m_file, QStringLiteral("--in-place")} + ids;
  }
  CInPlaceFrame* StartedFrame(const QStringList& ids = {QStringLiteral("0x1")}) {
    EXPECT_TRUE(StartInPlace(InPlaceArgs(ids))) << m_app->m_strStartError.toStdString();
    CInPlaceFrame* frame = m_app->InPlaceFrame();
    EXPECT_NE(frame, nullptr);
    if (frame != nullptr) {
      EXPECT_TRUE(PumpUntilStartedUp(m_app->MainFrame()));
    }
    return frame;
  }

  // What the program said to its container, line by line.
  QStringList ContainerLines() {
    std::fflush(m_pOut);
    std::rewind(m_pOut);
    QByteArray all;
    for (int ch = std::fgetc(m_pOut); ch != EOF; ch = std::fgetc(m_pOut)) all += char(ch);
    std::fseek(m_pOut, 0, SEEK_END);
    return QString::fromUtf8(all).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  }
  void WriteToProgram(const char* psz) {
    ASSERT_EQ(::write(m_fds[1], psz, std::strlen(psz)), static_cast<ssize_t>(std::strlen(psz)));
  }
  void CloseContainerInput() {
    if (m_fds[1] >= 0) ::close(m_fds[1]);
    m_fds[1] = -1;
  }
  // A key pressed in the view's window, through the application's event filters.
  void PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* client = m_app->MainFrame()->ViewWidget()->Client();
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(client, &press);
  }
  // The file and its picture are as they were before the start.
  void ExpectDrawingUntouched() {
    EXPECT_EQ(ReadAll(m_file), m_original);
    EXPECT_FALSE(QFile::exists(m_file + QStringLiteral(".svg")));
  }
  // One more ellipse in the drawing, recorded as an undo step.
  void AddEllipse() {
    CKvillView* view = m_app->MainFrame()->View();
    DrawingBuilder(*m_app->Document()).Ellipse(300, -1200, 900, -1800);
    view->UpdateView();
    view->PushSnapshot();
  }

  QString m_file;
  QByteArray m_original;
  int m_fds[2] = {-1, -1};
  std::FILE* m_pOut = nullptr;
  QStringList m_openedIds;
  std::map<QString, QWindow*> m_sites;
  int m_nExitStatus = -1;
};

TEST_F(InPlaceFrameTest, TheFrameFillsTheSiteWithTheViewInsideTheResizeBar) {
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  CMainFrame* main = m_app->MainFrame();
  EXPECT_EQ(frame->windowHandle()->parent(), m_sites["0x1"]);
  EXPECT_EQ(frame->size(), QSize(400, 300));
  EXPECT_TRUE(frame->isVisible());
  EXPECT_FALSE(main->isVisible());  // the main window stays hidden behind the frame

  // The resize bar is a visible child of the frame with the view inside its border.
  CResizeBar* bar = frame->ResizeBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->parentWidget(), frame);
  EXPECT_TRUE(bar->isVisible());
  CViewWidget* view = main->ViewWidget();
  EXPECT_EQ(view->parentWidget(), bar);
  EXPECT_EQ(view->geometry(), bar->rect().adjusted(CResizeBar::kBorder, CResizeBar::kBorder,
                                                   -CResizeBar::kBorder, -CResizeBar::kBorder));
  EXPECT_TRUE(view->IsInPlaceActive());
  // Without a toolbar area the menus and toolbar 4 run along the frame's top.
  QWidget* bars = frame->ControlBars();
  ASSERT_NE(bars, nullptr);
  EXPECT_EQ(bars->parentWidget(), frame);
  EXPECT_EQ(bars->y(), 0);
  EXPECT_EQ(bar->y(), bars->height());

  // The drawing was read before the container was told the frame is there.
  EXPECT_EQ(m_app->Document()->m_listObjects.size(), 2u);
  EXPECT_EQ(ContainerLines(), QStringList{QStringLiteral("activated")});
  // A drawing shown by its container is no server to end by the kill protocol.
  EXPECT_FALSE(main->View()->Embedding().IsKillArmed());
  m_app->ExitInstance();
  EXPECT_EQ(m_nInstancesStarted, 0);
}

TEST_F(InPlaceFrameTest, ToolbarAndMenuFourWithTooltipsAndPrompts) {
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  std::vector<int> ids;
  std::vector<QString> tips;
  std::vector<QString> prompts;
  for (const QAction* a : frame->ToolBar()->actions()) {
    ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
    if (a->isSeparator()) continue;
    tips.push_back(a->toolTip());
    prompts.push_back(a->statusTip());
    EXPECT_FALSE(a->icon().isNull()) << a->toolTip().toStdString();
  }
  EXPECT_EQ(ids, (std::vector<int>{57635, 57634, 57637, 0, 57664}));
  EXPECT_EQ(tips, (std::vector<QString>{"Cut", "Copy", "Paste", "About"}));
  EXPECT_EQ(prompts[0], "Cut the selection and put it on the Clipboard");
  EXPECT_EQ(prompts[1], "Copy all data and put it on the Clipboard");
  EXPECT_EQ(prompts[2], "Insert Clipboard contents");
  EXPECT_FALSE(prompts[3].isEmpty());

  std::vector<std::string> menu;
  for (const QAction* top : frame->MenuBar()->actions()) {
    menu.push_back(top->text().toStdString());
    for (const QAction* a : top->menu()->actions()) {
      menu.push_back(a->isSeparator() ? "  ---"
                                      : "  " + a->text().toStdString() + " = " +
                                            std::to_string(a->data().toInt()));
    }
  }
  EXPECT_EQ(menu, (std::vector<std::string>{"&Edit", "  &Undo\tCtrl+Z = 57643", "  ---",
                                            "  Cu&t\tCtrl+X = 57635", "  &Copy\tCtrl+C = 57634",
                                            "  &Paste\tCtrl+V = 57637", "&View",
                                            "  &Toolbar = 59392", "  &Draw bar = 32779", "&Help",
                                            "  &About Valendra... = 57664"}));

  // Every item is enabled as the main frame would carry it out.
  for (int id : {57643, 57635, 57634, 57637, 59392, 32779, 57664}) {
    for (const QAction* a : frame->Actions(id)) {
      EXPECT_EQ(a->isEnabled(), m_app->MainFrame()->IsCommandEnabled(id)) << id;
    }
  }
  for (int id : {57643, 57635, 57634, 57637, 59392, 32779, 57664}) {
    EXPECT_TRUE(frame->Actions(id).front()->isEnabled()) << id;
  }
  // The prompt of what the pointer is over goes to the container's status line.
  QStatusTipEvent tip(prompts[2]);
  QApplication::sendEvent(frame->ToolBar(), &tip);
  EXPECT_TRUE(ContainerLines().contains(QStringLiteral("status Insert Clipboard contents")));
}

TEST_F(InPlaceFrameTest, CzechInterfaceHasCzechTooltipsAndTheEnglishMenu) {
  Store().Write(CSettingsStore::kLanguage, "1029");
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->Actions(57635).back()->toolTip(), QString::fromUtf8("Vyjmout"));
  EXPECT_EQ(frame->MenuBar()->actions().front()->text(), "&Edit");  // menu 4 exists once
}

TEST_F(InPlaceFrameTest, TheContainersToolbarAreaHoldsTheBars) {
  CInPlaceFrame* frame = StartedFrame({QStringLiteral("0x1"), QStringLiteral("0x2")});
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(m_openedIds, (QStringList{"0x1", "0x2"}));
  QWidget* bars = frame->ControlBars();
  ASSERT_NE(bars, nullptr);
  EXPECT_TRUE(bars->isWindow());
  EXPECT_EQ(bars->windowHandle()->parent(), m_sites["0x2"]);
  EXPECT_EQ(bars->size(), QSize(420, 30));
  EXPECT_TRUE(bars->isVisible());
  // The frame is the resize bar alone.
  EXPECT_EQ(frame->ResizeBar()->geometry(), frame->rect());
}

TEST_F(InPlaceFrameTest, CommandsOfMenuAndAcceleratorsFour) {
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  CKvillDoc* doc = m_app->Document();
  AddEllipse();
  ASSERT_EQ(doc->m_listObjects.size(), 3u);
  // Ctrl+Z, and Alt+Backspace, undo.
  PressKey(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(doc->m_listObjects.size(), 2u);
  AddEllipse();
  PressKey(Qt::Key_Backspace, Qt::AltModifier);
  EXPECT_EQ(doc->m_listObjects.size(), 2u);
  // Keys of the main window's table that table 4 does not have do nothing here: Ctrl+R
  // (Redo) is no accelerator in place.
  PressKey(Qt::Key_R, Qt::ControlModifier);
  EXPECT_EQ(doc->m_listObjects.size(), 2u);

  // The Toolbar item hides and shows toolbar 4, with its check mark; the main window's
  // toolbar setting is not the in-place frame's.
  QAction* toolbarItem = frame->Actions(59392).front();
  EXPECT_TRUE(toolbarItem->isChecked());
  toolbarItem->trigger();
  EXPECT_TRUE(frame->ToolBar()->isHidden());
  EXPECT_FALSE(toolbarItem->isChecked());
  EXPECT_EQ(m_app->MainFrame()->View()->Settings().m_bToolBarHidden, 0);
  toolbarItem->trigger();
  EXPECT_FALSE(frame->ToolBar()->isHidden());
  EXPECT_TRUE(toolbarItem->isChecked());

  // The Draw bar item hides and shows the Draw bar as the main window's does.
  CDDrawBar* drawBar = m_app->MainFrame()->DrawBar();
  ASSERT_TRUE(drawBar->IsWindow() && drawBar->GetWindow()->isVisible());
  QAction* drawBarItem = frame->Actions(32779).front();
  EXPECT_TRUE(drawBarItem->isChecked());
  drawBarItem->trigger();
  EXPECT_FALSE(drawBar->IsWindow() && drawBar->GetWindow()->isVisible());
  EXPECT_FALSE(drawBarItem->isChecked());
  drawBarItem->trigger();
  EXPECT_TRUE(drawBar->IsWindow() && drawBar->GetWindow()->isVisible());
  EXPECT_TRUE(drawBarItem->isChecked());
  // It opens beside the frame, not over the drawing.
  const QRect rcFrame(frame->mapToGlobal(QPoint(0, 0)), frame->size());
  EXPECT_FALSE(drawBar->GetWindow()->frameGeometry().intersects(rcFrame));
}

TEST_F(InPlaceFrameTest, AChoiceInAPaletteGivesTheFrameTheKeyboardBack) {
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  // The frame's own way of taking the keyboard needs an X server; what counts here is
  // that a palette's choice asks for it before the view hears of the choice.
  CDDrawBar* bar = m_app->MainFrame()->DrawBar();
  std::vector<std::string> calls;
  bar->SetInPlaceFrame(frame, [&calls] { calls.push_back("keyboard"); });
  const int toolBefore = m_app->MainFrame()->View()->Mouse().Tool();
  const res::PaletteTemplate& tmpl = res::Palette(res::PaletteKind::Couple);
  bar->OnPaletteButton(res::PaletteKind::Couple);
  bar->Palette(res::PaletteKind::Couple)->Button(tmpl.buttons[0].id)->click();
  EXPECT_EQ(calls, std::vector<std::string>{"keyboard"});
  ASSERT_TRUE(PumpUntil([&] { return m_app->MainFrame()->View()->Mouse().Tool() != toolBefore; }));
  // Outside in-place editing the palette activates the main window, as it always did.
  bar->SetInPlaceFrame(nullptr);
  bar->OnPaletteButton(res::PaletteKind::Couple);
  bar->Palette(res::PaletteKind::Couple)->Button(tmpl.buttons[0].id)->click();
  EXPECT_EQ(calls.size(), 1u);
}

std::vector<QString> g_logged;
void LogInto(QtMsgType, const QMessageLogContext&, const QString& strMessage) {
  g_logged.push_back(strMessage);
}

TEST_F(InPlaceFrameTest, PopupsOfTheEmbeddedWindowsRaiseNoTransientParentWarnings) {
  g_logged.clear();
  const QtMessageHandler previous = qInstallMessageHandler(LogInto);
  const QString transient =
      QStringLiteral("QWidgetWindow(0x1, name=\"InPlaceBarsWindow\") must be a top level window.");
  CInPlaceFrame* frame = StartedFrame({QStringLiteral("0x1"), QStringLiteral("0x2")});
  ASSERT_NE(frame, nullptr);
  // A menu of the bars, and the warning as Qt words it.
  QMenu* help = frame->MenuBar()->actions().last()->menu();
  help->popup(frame->ControlBars()->mapToGlobal(QPoint(0, 30)));
  ASSERT_TRUE(PumpUntil([help] { return help->isVisible(); }));
  help->hide();
  qWarning("%s", qPrintable(transient));
  qWarning("another warning");
  m_app.reset();
  // Once the frame is gone, nothing is dropped any more.
  qWarning("%s", qPrintable(transient));
  qInstallMessageHandler(previous);
  const auto count = [](const QString& text) {
    return std::count_if(g_logged.begin(), g_logged.end(),
                         [&](const QString& m) { return m.contains(text); });
  };
  EXPECT_EQ(count(QStringLiteral("must be a top level window")), 1);
  EXPECT_EQ(count(QStringLiteral("another warning")), 1);
}

TEST_F(InPlaceFrameTest, TheDropTargetRefusesEverything) {
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->acceptDrops());
  // The view and the bar take no drop, so Qt hands a drag over the drawing to the frame.
  EXPECT_FALSE(frame->ResizeBar()->acceptDrops());
  EXPECT_FALSE(m_app->MainFrame()->ViewWidget()->acceptDrops());
  const QString other = Path("other.vld");
  ASSERT_TRUE(QFile::copy(m_file, other));
  QMimeData files;
  files.setUrls({QUrl::fromLocalFile(other)});
  QMimeData native;
  native.setData(QStringLiteral("application/x-valendra-native"), m_original);
  for (QMimeData* data : {&files, &native}) {
    // A drag that enters over the drawing reaches the frame, which refuses it, so Qt
    // delivers neither its moves nor its drop to anything. The event comes accepted, as a
    // handler that took it would leave it.
    for (QWidget* w : {static_cast<QWidget*>(m_app->MainFrame()->ViewWidget()->Client()),
                       static_cast<QWidget*>(frame->ResizeBar()), static_cast<QWidget*>(frame)}) {
      QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, data,
                            Qt::LeftButton, Qt::NoModifier);
      enter.acceptProposedAction();
      QApplication::sendEvent(w, &enter);
      EXPECT_FALSE(enter.isAccepted()) << w->objectName().toStdString();
      EXPECT_EQ(enter.dropAction(), Qt::IgnoreAction);
    }
    // Were they delivered all the same, the frame would refuse them too.
    QObject* target = frame;
    QDragMoveEvent move(QPoint(60, 60), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    move.acceptProposedAction();
    target->event(&move);
    EXPECT_FALSE(move.isAccepted());
    QDropEvent drop(QPointF(60, 60), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    drop.acceptProposedAction();
    target->event(&drop);
    EXPECT_FALSE(drop.isAccepted());
  }
  EXPECT_EQ(m_app->Document()->m_strPathName, m_file.toStdString());
  EXPECT_EQ(m_app->Document()->m_listObjects.size(), 2u);
}

TEST_F(InPlaceFrameTest, CutCopyAndPasteOfToolbarAndKeysFour) {
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  CKvillDoc* doc = m_app->Document();
  const std::size_t n = doc->m_listObjects.size();
  ASSERT_GT(n, 0u);
  QGuiApplication::clipboard()->clear();
  // In place Ctrl+C copies the whole drawing (table 4 has no Copy Selection).
  PressKey(Qt::Key_C, Qt::ControlModifier);
  const QMimeData* pData = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(pData, nullptr);
  EXPECT_TRUE(pData->hasFormat(QStringLiteral("application/x-valendra-native")));
  // The toolbar's Paste: a second copy of everything, selected.
  frame->Actions(57637).back()->trigger();
  EXPECT_EQ(doc->m_listObjects.size(), 2 * n);
  EXPECT_EQ(m_app->MainFrame()->View()->SelCount(), static_cast<int>(n));
  // Shift+Del is Cut: the pasted copy goes again.
  PressKey(Qt::Key_Delete, Qt::ShiftModifier);
  EXPECT_EQ(doc->m_listObjects.size(), n);
  // Shift+Ins and the menu's Copy are the other two.
  PressKey(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(doc->m_listObjects.size(), 2 * n);
  frame->Actions(57634).front()->trigger();
  std::vector<std::uint8_t> saved;
  {
    CArchive ar(&saved);
    doc->Serialize(ar, CSerializeOptions::SaveWhole());
    ar.Flush();
  }
  const QByteArray copied = QGuiApplication::clipboard()->mimeData()->data(
      QStringLiteral("application/x-valendra-native"));
  EXPECT_EQ(copied,
            QByteArray(reinterpret_cast<const char*>(saved.data()), qsizetype(saved.size())));
}

TEST_F(InPlaceFrameTest, EscUpdatesTheFileLeavesTheSiteAndSaysDeactivated) {
  CInPlaceFrame* frame = StartedFrame({QStringLiteral("0x1"), QStringLiteral("0x2")});
  ASSERT_NE(frame, nullptr);
  QWidget* bars = frame->ControlBars();
  AddEllipse();
  PressKey(Qt::Key_Escape);
  EXPECT_EQ(m_nExitStatus, 0);
  EXPECT_EQ(ContainerLines(), (QStringList{"activated", "deactivated"}));
  EXPECT_EQ(CountInFile(m_dir.path(), m_file, "ellipse"), 3);
  EXPECT_TRUE(ReadAll(m_file + QStringLiteral(".svg")).contains("<ellipse"));
  // The frame and its bars have left the container's windows, and the view is the main
  // frame's again.
  EXPECT_EQ(frame->windowHandle()->parent(), nullptr);
  EXPECT_FALSE(frame->isVisible());
  EXPECT_EQ(bars->windowHandle()->parent(), nullptr);
  EXPECT_FALSE(bars->isVisible());
  CViewWidget* view = m_app->MainFrame()->ViewWidget();
  EXPECT_EQ(m_app->MainFrame()->centralWidget(), view);
  EXPECT_FALSE(view->IsInPlaceActive());
  EXPECT_FALSE(m_app->MainFrame()->DrawBar()->GetWindow()->isVisible());
  // Once only: neither a second Esc nor the container's request repeats it.
  frame->Deactivate();
  WriteToProgram("deactivate\n");
  CloseContainerInput();
  QCoreApplication::processEvents();
  EXPECT_EQ(ContainerLines(), (QStringList{"activated", "deactivated"}));
}

TEST_F(InPlaceFrameTest, TheMainWindowsSettingsOutliveAnInPlaceSession) {
  // A main window last seen maximized at (30, 40)-(830, 640) with its toolbar shown.
  Store().Write(CSettingsStore::kSettings, "0 1 0 0 0 0 0 0 0 0 0 0 0 1 30 40 830 640 0 1");
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  frame->Actions(59392).front()->trigger();  // toolbar 4 hidden
  ASSERT_TRUE(frame->ToolBar()->isHidden());
  PressKey(Qt::Key_Escape);
  ASSERT_EQ(m_nExitStatus, 0);
  m_app.reset();
  CSettingsRecord r;
  ASSERT_EQ(r.Parse(Store().Read(CSettingsStore::kSettings).value_or("")), 20);
  EXPECT_EQ(r.m_bMaximized, 1);
  EXPECT_EQ(r.m_rcMainWnd, (std::array<std::int32_t, 4>{30, 40, 830, 640}));
  EXPECT_EQ(r.m_bToolBarHidden, 0);
  // The Draw bar's place beside the frame is remembered as the user left it.
  EXPECT_EQ(r.m_bDrawBarPlaced, 1);
}

TEST_F(InPlaceFrameTest, TheContainerEndsTheEditingByALineOrByClosingTheInput) {
  for (bool bClose : {false, true}) {
    CInPlaceFrame* frame = StartedFrame();
    ASSERT_NE(frame, nullptr);
    AddEllipse();
    m_nExitStatus = -1;
    if (bClose) {
      CloseContainerInput();
    } else {
      WriteToProgram("hello\ndeactivate\n");
    }
    ASSERT_TRUE(PumpUntil([this] { return m_nExitStatus != -1; })) << bClose;
    EXPECT_EQ(m_nExitStatus, 0);
    EXPECT_FALSE(frame->IsActive());
    EXPECT_EQ(CountInFile(m_dir.path(), m_file, "ellipse"), bClose ? 4 : 3);
    EXPECT_EQ(ContainerLines().last(), QStringLiteral("deactivated"));
    m_app.reset();
  }
}

TEST_F(InPlaceFrameTest, AnUpdateThatFailsEndsWithStatusOne) {
  m_file = Path("missing-folder/embedded.vld");
  EXPECT_TRUE(StartInPlace(InPlaceArgs({QStringLiteral("0x1")})));
  ASSERT_NE(m_app->InPlaceFrame(), nullptr);
  PressKey(Qt::Key_Escape);
  EXPECT_EQ(m_nExitStatus, 1);
  EXPECT_EQ(ContainerLines().last(), QStringLiteral("deactivated"));
  // The file that was not there is reported, and so is the write that failed.
  ASSERT_EQ(m_messages.size(), 2u);
  EXPECT_TRUE(m_messages[1].text.contains(QStringLiteral("missing-folder")))
      << m_messages[1].text.toStdString();
}

TEST_F(InPlaceFrameTest, StartsThatCannotUseTheContainersWindowsChangeNothing) {
  struct Case {
    QStringList args;
    const char* error;
  };
  const QString file = m_file;
  const Case cases[] = {
      {{"--in-place", "0x1"}, "--in-place needs --embedding FILE"},
      {{"--embedding", file, "--in-place"}, "needs the id of the container's window"},
      {{"--embedding", file, "--in-place", "--automation"},
       "needs the id of the container's window"},
      {{"--embedding", file, "--in-place", "0xbad"}, "window 0xbad does not exist"},
      {{"--embedding", file, "--in-place", "0x1", "0xbad"}, "window 0xbad does not exist"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(StartInPlace(c.args)) << c.error;
    EXPECT_TRUE(m_app->m_strStartError.contains(QString::fromUtf8(c.error)))
        << m_app->m_strStartError.toStdString();
    EXPECT_EQ(m_app->InPlaceFrame(), nullptr);
    EXPECT_EQ(m_app->MainFrame(), nullptr);  // nothing was made
    m_app.reset();
    ExpectDrawingUntouched();
  }
  EXPECT_TRUE(ContainerLines().isEmpty());

  // The program itself, offscreen: no X11 display to put the frame into.
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("VALENDRA_EDITOR"), QStringLiteral("1"));
  env.insert(QStringLiteral("VALENDRA_SETTINGS"), Path("process.ini"));
  QDir(m_dir.path()).mkdir(QStringLiteral("runtime"));
  QFile::setPermissions(Path("runtime"),
                        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), Path("runtime"));
  const ProgramRun run =
      RunProgram(m_dir.path(), {"--embedding", file, "--in-place", "0x400001"}, env);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
  // Without any display the start says the same, before Qt is asked for one.
  const ProgramRun bare =
      RunProgramWithoutDisplay(m_dir.path(), {"--embedding", file, "--in-place", "0x400001"});
  EXPECT_EQ(bare.exitCode, 2);
  EXPECT_EQ(bare.err, "valendra: in-place editing needs an X11 display, and none is set\n");
  // One line that says what is wrong, and nothing else.
  EXPECT_TRUE(run.err.startsWith("valendra: in-place editing needs an X11 display"))
      << run.err.constData();
  EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
  ExpectDrawingUntouched();
}

TEST(ResizeBar, HandlesAtTheCornersAndInTheMiddles) {
  CResizeBar bar(nullptr);
  bar.resize(300, 200);
  const int k = CResizeBar::kBorder;
  const std::map<int, QPoint> centres = {
      {CResizeBar::kTopLeft, {k / 2, k / 2}},
      {CResizeBar::kTop, {(300 - k) / 2 + k / 2, k / 2}},
      {CResizeBar::kTopRight, {300 - k / 2 - 1, k / 2}},
      {CResizeBar::kRight, {300 - k / 2 - 1, (200 - k) / 2 + k / 2}},
      {CResizeBar::kBottomRight, {300 - k / 2 - 1, 200 - k / 2 - 1}},
      {CResizeBar::kBottom, {(300 - k) / 2 + k / 2, 200 - k / 2 - 1}},
      {CResizeBar::kBottomLeft, {k / 2, 200 - k / 2 - 1}},
      {CResizeBar::kLeft, {k / 2, (200 - k) / 2 + k / 2}},
  };
  for (const auto& [handle, pt] : centres) {
    EXPECT_EQ(bar.HandleAt(pt), handle) << handle;
    EXPECT_EQ(bar.HandleRect(handle).size(), QSize(k, k));
  }
  // The border between handles and the inside hold none.
  for (QPoint pt : {QPoint(60, 2), QPoint(2, 60), QPoint(150, 100), QPoint(298, 160)}) {
    EXPECT_EQ(bar.HandleAt(pt), CResizeBar::kNone) << pt.x() << "," << pt.y();
  }
}

TEST(ResizeBar, EachHandleMovesItsOwnSides) {
  const QSize sz(300, 200);
  const QSize least(100, 80);
  const QPoint d(20, 10);
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kTopLeft, d, least), QSize(280, 190));
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kTop, d, least), QSize(300, 190));
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kTopRight, d, least), QSize(320, 190));
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kRight, d, least), QSize(320, 200));
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kBottomRight, d, least), QSize(320, 210));
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kBottom, d, least), QSize(300, 210));
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kBottomLeft, d, least), QSize(280, 210));
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kLeft, d, least), QSize(280, 200));
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kBottomRight, QPoint(-500, -500), least), least);
  EXPECT_EQ(CResizeBar::ResizedBy(sz, CResizeBar::kNone, d, least), sz);
}

TEST(ResizeBar, TheBorderIsHatchedAndTheHandlesSolid) {
  CResizeBar bar(nullptr);
  bar.resize(200, 120);
  const QImage img = bar.grab().toImage();
  const QRgb ink = bar.palette().windowText().color().rgb();
  const int k = CResizeBar::kBorder;
  for (int h = 0; h < CResizeBar::kHandleCount; ++h) {
    const QRect r = bar.HandleRect(h);
    for (int y = r.top(); y <= r.bottom(); ++y) {
      for (int x = r.left(); x <= r.right(); ++x) ASSERT_EQ(img.pixel(x, y), ink) << h;
    }
  }
  // Between the top handles: thin diagonal lines, rising to the right.
  int nInk = 0;
  for (int y = 0; y < k; ++y) {
    for (int x = 2 * k; x < 200 / 2 - k; ++x) {
      if (img.pixel(x, y) != ink) continue;
      ++nInk;
      if (y > 0) {
        EXPECT_EQ(img.pixel(x + 1, y - 1), ink) << x << "," << y;
      }
    }
  }
  const int nPixels = k * (200 / 2 - 3 * k);
  EXPECT_GT(nInk, nPixels / 16);
  EXPECT_LT(nInk, nPixels / 3);
  // Inside the border nothing is hatched.
  EXPECT_NE(img.pixel(100, 60), ink);
}

TEST_F(InPlaceFrameTest, DraggingAHandleResizesTheAreaAndTellsTheContainer) {
  CInPlaceFrame* frame = StartedFrame();
  ASSERT_NE(frame, nullptr);
  CResizeBar* bar = frame->ResizeBar();
  const QSize before = frame->size();
  auto send = [bar](QEvent::Type type, QPoint local, QPoint global, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(local), QPointF(global),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(bar, &e);
  };
  // A press on the border between handles resizes nothing.
  send(QEvent::MouseButtonPress, QPoint(60, 2), QPoint(1060, 502), Qt::LeftButton);
  send(QEvent::MouseMove, QPoint(90, 40), QPoint(1090, 540), Qt::LeftButton);
  send(QEvent::MouseButtonRelease, QPoint(90, 40), QPoint(1090, 540), Qt::NoButton);
  EXPECT_EQ(frame->size(), before);

  // The lower right handle, 60 pixels right and 40 down: the area follows while it is
  // dragged, and the container hears the size once, at the end.
  const QPoint handle = bar->HandleRect(CResizeBar::kBottomRight).center();
  const QPoint global(1000 + handle.x(), 500 + handle.y());
  send(QEvent::MouseButtonPress, handle, global, Qt::LeftButton);
  send(QEvent::MouseMove, handle + QPoint(30, 20), global + QPoint(30, 20), Qt::LeftButton);
  EXPECT_EQ(frame->size(), before + QSize(30, 20));
  send(QEvent::MouseMove, handle + QPoint(60, 40), global + QPoint(60, 40), Qt::LeftButton);
  EXPECT_FALSE(ContainerLines().join(' ').contains(QStringLiteral("size")));
  send(QEvent::MouseButtonRelease, handle + QPoint(60, 40), global + QPoint(60, 40), Qt::NoButton);
  const QSize after = before + QSize(60, 40);
  EXPECT_EQ(frame->size(), after);
  EXPECT_EQ(ContainerLines().last(),
            QStringLiteral("size %1 %2").arg(after.width()).arg(after.height()));

  // The upper left handle dragged far inwards stops at the least size.
  const QPoint corner = bar->HandleRect(CResizeBar::kTopLeft).center();
  send(QEvent::MouseButtonPress, corner, QPoint(2000, 2000), Qt::LeftButton);
  send(QEvent::MouseMove, corner, QPoint(3000, 3000), Qt::LeftButton);
  send(QEvent::MouseButtonRelease, corner, QPoint(3000, 3000), Qt::NoButton);
  EXPECT_EQ(frame->size(), CInPlaceFrame::kMinimumSize);
  EXPECT_EQ(ContainerLines().last(), QStringLiteral("size %1 %2")
                                         .arg(CInPlaceFrame::kMinimumSize.width())
                                         .arg(CInPlaceFrame::kMinimumSize.height()));
}

}  // namespace
