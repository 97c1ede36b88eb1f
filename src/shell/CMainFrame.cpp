#include "shell/CMainFrame.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <cmath>
#include <cstdio>
#include <optional>

#include "document/CKvillDoc.h"
#include "document/CKvillSrvrItem.h"
#include "objects/CArchive.h"
#include "objects/CKVObject.h"
#include "platform/CProcessControl.h"
#include "platform/CQtDC.h"
#include "platform/CSafeFile.h"
#include "platform/CSettingsRecord.h"
#include "platform/CSvgDC.h"
#include "resources/CommandIds.h"
#include "resources/RecoveryTexts.h"
#include "shell/CAboutDlg.h"
#include "shell/CDDrawBar.h"
#include "shell/CKvillApp.h"
#include "shell/CShellUi.h"
#include "shell/CStructureCommands.h"
#include "shell/CViewWidget.h"
#include "shell/CWorkProgress.h"
#include "shell/CommandActions.h"
#include "shell/ExportPicture.h"
#include "shell/ShellText.h"
#include "view/CKvillView.h"

namespace {

QString Utf8(const char* psz) { return QString::fromUtf8(psz); }

// A check box added to a dialog of Qt's, above its buttons. Qt's own page dialog on Linux
// stacks its page widget and its buttons in a box layout; should a dialog be laid out
// otherwise, what it has goes into a widget of its own with the check box below.
QCheckBox* AddCheckBoxAboveButtons(QDialog& dlg, const QString& strText) {
  auto* pCheck = new QCheckBox(strText, &dlg);
  if (auto* pBox = qobject_cast<QBoxLayout*>(dlg.layout())) {
    const auto* pButtons = dlg.findChild<QDialogButtonBox*>();
    const int nAt = pButtons != nullptr ? pBox->indexOf(pButtons) : -1;
    pBox->insertWidget(nAt, pCheck);
    return pCheck;
  }
  auto* pInner = new QWidget(&dlg);
  if (QLayout* pLayout = dlg.layout()) pInner->setLayout(pLayout);
  auto* pOuter = new QVBoxLayout(&dlg);
  pOuter->addWidget(pInner);
  pOuter->addWidget(pCheck);
  return pCheck;
}

}  // namespace

CMainFrame::CMainFrame(CKvillApp* pApp, CKvillDoc* pDoc, int nSet, res::Language lang)
    : m_pApp(pApp), m_pDoc(pDoc), m_nSet(nSet), m_lang(lang), m_printer(QPrinter::HighResolution) {
  setObjectName(QStringLiteral("CMainFrame"));
  // The client area and the view.
  m_pViewWidget = new CViewWidget(this, this);
  setCentralWidget(m_pViewWidget);
  m_pView = std::make_unique<CKvillView>(m_pViewWidget, m_pDoc,
                                         m_pApp != nullptr ? &m_pApp->Settings() : nullptr);
  m_pViewWidget->SetView(m_pView.get());

  BuildMenus();
  // The bar object lives as long as the view; its window comes with the Draw Bar command.
  m_pDrawBar = std::make_unique<CDDrawBar>(CDDrawBar::LinksForView(
      *m_pView, m_drawBarPlacement, this,
      [this](bool bChecked) {
        for (QAction* a : m_actions[cmd::kViewDrawBar]) a->setChecked(bChecked);
      },
      m_lang));
  BuildToolBar();
  BuildStatusBar();
  m_pStructure = new CStructureCommands(this, m_pStructureField);
  ReadSettings();

  SetDefaultTitle();
  resize(900, 640);
  qApp->installEventFilter(this);
  m_pViewWidget->setFocus();
}

CMainFrame::~CMainFrame() {
  qApp->removeEventFilter(this);
  // The end of the view: its window state and both records are saved. A main window that
  // is not shown (closed already, or hidden behind an in-place frame) has no state to
  // record: the one it was given is kept.
  if (m_pView && isVisible()) m_pView->Settings().m_bMaximized = isMaximized() ? 1 : 0;
  SaveSettings();
  // The palettes and the bar go before the view, and before Qt deletes the windows they own.
  m_pDrawBar.reset();
  m_pViewWidget->SetView(nullptr);
  m_pView.reset();
}

bool CMainFrame::IsEnglish() const { return m_pView->Settings().m_bEnglish != 0; }

const res::MessageTexts& CMainFrame::Messages() const {
  return res::Messages(IsEnglish() ? res::Language::English : res::Language::Czech);
}

// ---------------------------------------------------------------------------------------
// Menus, toolbar and status bar

void CMainFrame::AddMenuItems(QMenu* pMenu, std::span<const res::MenuItem> items) {
  ::AddMenuItems(pMenu, items, m_lang, [this](QMenu* pIn, QAction* a) {
    const int id = a->data().toInt();
    connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_actions[id].push_back(a);
    if (id == cmd::kFileMru1) {
      m_pFileMenu = pIn;
      m_pRecentPlaceholder = a;
    }
  });
}

void CMainFrame::BuildMenus() {
  for (const res::MenuItem& top : res::MenuBar(m_nSet, m_lang)) {
    if (top.kind != res::MenuItemKind::Popup) continue;
    QMenu* pMenu = menuBar()->addMenu(Utf8(top.text));
    AddMenuItems(pMenu, top.items);
    connect(pMenu, &QMenu::aboutToShow, this, [this] {
      // The view's hover feedback stops while a menu is open.
      m_pView->Cursor().m_bHoverSuppressed = 1;
      RebuildRecentFiles();
      UpdateCommandUi();
    });
  }
  for (int id : {cmd::kViewToolbar, cmd::kViewStatusBar, cmd::kLanguageCzech, cmd::kLanguageEnglish,
                 cmd::kViewDrawBar}) {
    for (QAction* a : m_actions[id]) a->setCheckable(true);
  }
  for (const DrawingAidRow& aid : kDrawingAidRows) {
    for (QAction* a : m_actions[aid.nCommand]) a->setCheckable(true);
  }
  RebuildRecentFiles();
}

void CMainFrame::BuildToolBar() {
  m_pToolBar = addToolBar(QString::fromUtf8(res::kToolBarWindowText));
  m_pToolBar->setObjectName(QStringLiteral("ToolBar"));
  m_pToolBar->setMovable(true);
  AddToolButtons(m_pToolBar, m_nSet, m_lang, [this](QAction* a) {
    const int id = a->data().toInt();
    connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_actions[id].push_back(a);
  });
}

void CMainFrame::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  m_pMessagePane = new QLabel(Utf8(res::LoadString(cmd::kIdsIdleMessage, m_lang)), bar);
  bar->addWidget(m_pMessagePane, 1);
  // The formula and mass of the selected molecules, or of the whole drawing.
  m_pStructureField = new QLabel(bar);
  m_pStructureField->setObjectName(QStringLiteral("StructureField"));
  m_pStructureField->setAccessibleDescription(QStringLiteral("formula and mass"));
  bar->addPermanentWidget(m_pStructureField);
  m_pZoomField = new QLabel(bar);
  m_pZoomField->setObjectName(QStringLiteral("ZoomField"));
  m_pZoomField->setAccessibleDescription(QStringLiteral("zoom"));
  bar->addPermanentWidget(m_pZoomField);
  for (int id : {cmd::kIndicatorCaps, cmd::kIndicatorNum, cmd::kIndicatorScroll}) {
    auto* pane = new QLabel(Utf8(res::LoadString(id, m_lang)), bar);
    pane->setFrameShape(QFrame::Panel);
    pane->setFrameShadow(QFrame::Sunken);
    // The lock indicators are shown greyed; the keyboard's lock state is not queried.
    pane->setEnabled(false);
    bar->addPermanentWidget(pane);
  }
}

void CMainFrame::ShowZoom(double dZoom) {
  // Every update reports the zoom: the label changes only when the percent does.
  const long nPercent = dZoom > 0.0 && std::isfinite(dZoom) ? std::lround(100.0 / dZoom) : 0;
  if (nPercent == m_nZoomShown) return;
  m_nZoomShown = nPercent;
  m_pZoomField->setText(QStringLiteral("%1 %").arg(nPercent));
}

void CMainFrame::KeepSetting(const char* pszRecord, const char* pszValue) {
  if (m_pApp != nullptr) m_pApp->WriteSetting(pszRecord, pszValue);
}

QAction* CMainFrame::MenuAction(int nId) const {
  const auto it = m_actions.find(nId);
  if (it == m_actions.end()) return nullptr;
  for (QAction* a : it->second) {
    if (!a->associatedObjects().isEmpty() && qobject_cast<QMenu*>(a->associatedObjects().first())) {
      return a;
    }
  }
  return it->second.empty() ? nullptr : it->second.front();
}

void CMainFrame::RebuildRecentFiles() {
  if (m_pFileMenu == nullptr || m_pRecentPlaceholder == nullptr) return;
  for (QAction* a : m_recentActions) {
    m_pFileMenu->removeAction(a);
    a->deleteLater();
  }
  m_recentActions.clear();
  const QStringList& files = m_pApp != nullptr ? m_pApp->RecentFiles() : QStringList();
  // With no recent files the placeholder stays, disabled.
  m_pRecentPlaceholder->setVisible(files.isEmpty());
  const auto [prompt, tip] = SplitPrompt(res::PromptString(cmd::kFileMru1, m_lang));
  for (int i = 0; i < files.size(); ++i) {
    QAction* a = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]), m_pFileMenu);
    a->setStatusTip(prompt);
    a->setData(cmd::kFileMru1 + i);
    const int id = cmd::kFileMru1 + i;
    connect(a, &QAction::triggered, this, [this, id] { OnCommand(id); });
    m_pFileMenu->insertAction(m_pRecentPlaceholder, a);
    m_recentActions.push_back(a);
  }
}

bool CMainFrame::IsCommandEnabled(int nId) const {
  // The command's row says, the frame's commands too; one that no row carries out is shown
  // disabled.
  return m_pView->CanChooseCommand(nId);
}

bool CMainFrame::HasRecentFiles() const {
  return m_pApp != nullptr && !m_pApp->RecentFiles().isEmpty();
}

void CMainFrame::UpdateCommandUi() {
  for (auto& [id, actions] : m_actions) {
    const bool bEnabled = id == cmd::kFileMru1 ? false : IsCommandEnabled(id);
    for (QAction* a : actions) a->setEnabled(bEnabled);
  }
  for (auto& [id, actions] : m_actions) {
    if (!m_pView->IsCommandHandled(id)) continue;
    const bool bChecked = m_pView->IsCommandChecked(id);
    for (QAction* a : actions) {
      a->setCheckable(bChecked || a->isCheckable());
      a->setChecked(bChecked);
    }
  }
  for (QAction* a : m_actions[cmd::kViewToolbar]) a->setChecked(!m_pToolBar->isHidden());
  for (QAction* a : m_actions[cmd::kViewStatusBar]) {
    a->setChecked(m_pView->Settings().m_bStatusBarVisible != 0);
  }
}

void CMainFrame::SetDefaultTitle() {
  m_pDoc->m_strPathName.clear();
  m_pDoc->m_strTitle =
      TemplateField(res::LoadString(cmd::kIdsDocumentTemplate, m_lang), 1).toStdString();
  UpdateTitle();
}

void CMainFrame::UpdateTitle() {
  setWindowTitle(QStringLiteral("%1 - %2").arg(QString::fromStdString(m_pDoc->m_strTitle),
                                               Utf8(res::LoadString(cmd::kIdsAppTitle, m_lang))));
}

// ---------------------------------------------------------------------------------------
// Settings

void CMainFrame::ReadSettings() {
  CKvillView* v = m_pView.get();
  const CSettingsStore& store = m_pApp->Store();
  const auto record = store.Read(CSettingsStore::kSettings);
  if (record) {
    // Items the record lacks keep the values the view has now.
    CSettingsRecord r = RecordFromView();
    r.Parse(*record);
    v->Settings().m_bDrawBarPlaced = r.m_bDrawBarPlaced;
    v->Settings().m_bDrawBarVisible = r.m_bDrawBarVisible;
    m_drawBarPlacement = r.m_wpDrawBar;
    v->Settings().m_bMaximized = r.m_bMaximized;
    v->Settings().m_rcMainWnd =
        CRect{r.m_rcMainWnd[0], r.m_rcMainWnd[1], r.m_rcMainWnd[2], r.m_rcMainWnd[3]};
    v->Settings().m_bToolBarHidden = r.m_bToolBarHidden;
    v->Settings().m_bStatusBarVisible = r.m_bStatusBarVisible;
    v->Settings().m_bMainRectValid = 1;
  } else {
    v->Settings().m_bDrawBarVisible = 1;
    v->Settings().m_bDrawBarPlaced = 0;
    v->Settings().m_bMainRectValid = 0;
    v->Settings().m_bMaximized = 0;
    v->Settings().m_bToolBarHidden = 0;
    v->Settings().m_bStatusBarVisible = 1;
  }
  for (const DrawingAidRow& aid : kDrawingAidRows) {
    const auto value = store.Read(aid.pszRecord);
    v->Settings().m_aids.*aid.pFlag = value && *value == "1" ? 1 : 0;
  }
  const auto language = store.Read(CSettingsStore::kLanguage);
  std::uint16_t wId = language ? ParseLanguageRecord(*language) : 0;
  if (wId == 0) wId = static_cast<std::uint16_t>(CViewWidget::SystemUiLanguage());
  v->Settings().m_wLanguageId = wId;
  const auto fitToPage = store.Read(kFitToPageKey);
  v->Settings().m_bFitToPage = fitToPage && *fitToPage == "1" ? 1 : 0;
  v->Settings().m_bApplyShowState = 1;
  m_pViewWidget->SetTimer(TIMER_SCROLL_REFRESH, 10);
}

CSettingsRecord CMainFrame::RecordFromView() const {
  const CKvillView* v = m_pView.get();
  CSettingsRecord r;
  r.m_bDrawBarPlaced = v->Settings().m_bDrawBarPlaced;
  r.m_bDrawBarVisible = v->Settings().m_bDrawBarVisible;
  r.m_wpDrawBar = m_drawBarPlacement;
  r.m_bMaximized = v->Settings().m_bMaximized;
  r.m_rcMainWnd = {v->Settings().m_rcMainWnd.left, v->Settings().m_rcMainWnd.top,
                   v->Settings().m_rcMainWnd.right, v->Settings().m_rcMainWnd.bottom};
  r.m_bToolBarHidden = v->Settings().m_bToolBarHidden;
  r.m_bStatusBarVisible = v->Settings().m_bStatusBarVisible;
  return r;
}

void CMainFrame::SaveSettings() {
  CKvillView* v = m_pView.get();
  if (v == nullptr) return;
  // A bar moved since the view last had the focus is saved where it is now.
  if (m_pDrawBar && v->Settings().m_bDrawBarPlaced == 1) m_pDrawBar->RecordPlacement();
  if (m_pApp->WriteSetting(CSettingsStore::kSettings, RecordFromView().Format())) {
    m_pApp->WriteSetting(CSettingsStore::kLanguage,
                         FormatLanguageRecord(v->Settings().m_wLanguageId));
  }
  if (CKvillSrvrItem* pItem = m_pDoc->m_pItem) {
    pItem->m_bEmbedded = v->Embedding().IsEmbedded() ? 1 : 0;
    pItem->m_bKillArmed = v->Embedding().IsKillArmed() ? 1 : 0;
  }
}

void CMainFrame::RecordWindowState() {
  if (m_bStartingUp || m_pView == nullptr) return;
  if (isMaximized()) {
    m_pView->Settings().m_bMaximized = 1;
  } else if (!isMinimized() && !isFullScreen()) {
    m_pView->Settings().m_bMaximized = 0;
    const QRect r = geometry();
    m_pView->Settings().m_rcMainWnd =
        CRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }
}

void CMainFrame::resizeEvent(QResizeEvent* pEvent) {
  QMainWindow::resizeEvent(pEvent);
  RecordWindowState();
}

void CMainFrame::moveEvent(QMoveEvent* pEvent) {
  QMainWindow::moveEvent(pEvent);
  if (!m_bStartingUp && m_pView && !isMaximized() && !isMinimized()) {
    const QRect r = geometry();
    m_pView->Settings().m_rcMainWnd =
        CRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  }
}

void CMainFrame::changeEvent(QEvent* pEvent) {
  QMainWindow::changeEvent(pEvent);
  if (pEvent->type() == QEvent::WindowStateChange) RecordWindowState();
}

void CMainFrame::closeEvent(QCloseEvent* pEvent) {
  if (!SaveModified()) {
    pEvent->ignore();
    return;
  }
  m_pView->Settings().m_bMaximized = isMaximized() ? 1 : 0;
  SaveSettings();
  pEvent->accept();
}

// ---------------------------------------------------------------------------------------
// Commands

bool CMainFrame::eventFilter(QObject* pWatched, QEvent* pEvent) {
  // Accelerators: a key pressed anywhere in this window (not in a dialog or a menu) is
  // looked up in the accelerator table of the frame's set first.
  if (pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::ShortcutOverride) {
    auto* w = qobject_cast<QWidget*>(pWatched);
    if (w != nullptr && w->window() == this && QApplication::activePopupWidget() == nullptr) {
      auto* k = static_cast<QKeyEvent*>(pEvent);
      const int id = res::TranslateAccelerator(m_nSet, k->key(), k->modifiers());
      if (id != 0) {
        if (pEvent->type() == QEvent::ShortcutOverride) {
          k->accept();
          return true;
        }
        // Every accelerator reaches the command routing, enabled or not: the view decides
        // (Del with nothing selected does nothing, an arrow then scrolls).
        OnCommand(id);
        return true;
      }
    }
  }
  return QMainWindow::eventFilter(pWatched, pEvent);
}

void CMainFrame::OnCommand(int nId) {
  CKvillView* v = m_pView.get();
  // Nothing happens while a selection handle is being dragged.
  if (v->Mouse().Resizing()) return;
  // A command ends rotate mode and records the rotation as one undo step.
  if (v->Mouse().Rotating()) {
    v->Mouse().SetRotating(0);
    v->PushSnapshot();
    m_pView->Cursor().m_bHoverSuppressed = 0;
  }
  if (nId == cmd::kViewStatusBar)
    v->Settings().m_bStatusBarVisible = v->Settings().m_bStatusBarVisible ? 0 : 1;

  // The command's row runs it, the frame's own commands included.
  v->OnCommand(nId);
  UpdateTitle();
  UpdateCommandUi();
}

void CMainFrame::OnFileSaveFramework() {
  if (m_nSet == res::kSetEmbedded) {
    m_pView->UpdateContainer();
  } else {
    OnFrameworkSave();
  }
}

void CMainFrame::OnViewStatusBar() {
  // The bar's own toggle; the filter has already turned the flag.
  statusBar()->setVisible(statusBar()->isHidden());
}

bool CMainFrame::SaveModified() { return m_pDoc->SaveModified(); }

void CMainFrame::OnLanguage(int nLanguageId) {
  // Unlike a plain restart, the drawing is not thrown away unasked: the save question
  // comes first, and Cancel leaves everything as it was.
  if (!SaveModified()) return;
  m_pView->Settings().m_wLanguageId = static_cast<std::uint16_t>(nLanguageId);
  m_pView->Settings().m_bMaximized = isMaximized() ? 1 : 0;
  SaveSettings();
  // A drawing that has a file (opened, or saved just now by the question) comes back in
  // the new instance; the switch would otherwise cost the user their place.
  QStringList args;
  if (!m_pDoc->m_strPathName.empty()) {
    args << QFileInfo(QString::fromStdString(m_pDoc->m_strPathName)).absoluteFilePath();
  }
  m_pApp->m_startNewInstance(args);
  // The drawing has been dealt with; the window closes without asking again.
  m_pDoc->SetModifiedFlag(false);
  QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void CMainFrame::OnAbout() {
  CAboutDlg dlg(this, IsEnglish() ? res::Language::English : res::Language::Czech);
  dlg.exec();
}

// ---------------------------------------------------------------------------------------
// Timers of start-up

bool CMainFrame::OnViewTimer(int nId) {
  CKvillView* v = m_pView.get();
  switch (nId) {
    case TIMER_RESET_HISTORY: {
      m_pViewWidget->KillTimer(nId);
      v->OnTimer(nId);
      if (!m_pApp->m_strOpenAtStart.isEmpty()) {
        const QString path = m_pApp->m_strOpenAtStart;
        m_pApp->m_strOpenAtStart.clear();
        OpenFileInto(path);
        UpdateTitle();
      }
      // After the window's first drawing is in: what editors that are gone left unsaved.
      m_pApp->RecoverAtStart();
      return true;
    }
    case TIMER_FIRST_IDLE: {
      m_pViewWidget->KillTimer(nId);
      const int checked =
          v->Settings().m_wLanguageId == 1029 ? cmd::kLanguageCzech : cmd::kLanguageEnglish;
      for (QAction* a : m_actions[checked]) a->setChecked(true);
      // The Draw bar's command shows the Draw bar at every start.
      if (IsCommandEnabled(cmd::kViewDrawBar)) OnCommand(cmd::kViewDrawBar);
      // The language of the loaded menus decides the language of the program's messages.
      const QAction* preview = MenuAction(cmd::kFilePrintPreview);
      v->Settings().m_bEnglish =
          preview != nullptr && preview->text().startsWith(QLatin1Char('P')) ? 1 : 0;
      return true;
    }
    case TIMER_KILL_MAILBOX: {
      m_pViewWidget->KillTimer(nId);
      const CSettingsStore& store = m_pApp->Store();
      const auto record = store.Read(CSettingsStore::kKill);
      if (!record || *record == "0") return true;
      // The mailbox is emptied in every case; only a process that is verifiably another
      // instance of this program, run by the same user, is ended.
      m_pApp->WriteSetting(CSettingsStore::kKill, "0");
      const std::int64_t pid = ParseKillRecord(*record);
      if (pid == 0) return true;
      CProcessControl::TerminateInstance(pid, m_pApp->m_strProgramFile);
      QTimer::singleShot(0, qApp, &QCoreApplication::quit);
      return true;
    }
    case TIMER_CZECH_TITLE:
      m_pViewWidget->KillTimer(nId);
      if (v->Embedding().IsEmbedded() && !v->Settings().m_bEnglish) {
        m_pDoc->m_strTitle = Utf8(Messages().embeddedTitle).toStdString();
        UpdateTitle();
      }
      return true;
    default:
      return false;
  }
}

void CMainFrame::PaintOverlay(QPainter& painter) { m_pStructure->PaintMarks(painter); }

void CMainFrame::OnViewPainted() {
  m_pStructure->OnViewPainted();
  // Start-up measurement: the program ends after the first paint that shows the window
  // with the drawing named on the command line (if any) already opened.
  if (m_bFirstPaintSeen || !m_pApp->m_strOpenAtStart.isEmpty()) return;
  m_bFirstPaintSeen = true;
  if (qEnvironmentVariableIsSet("VALENDRA_QUIT_AFTER_FIRST_PAINT")) {
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  }
}

// ---------------------------------------------------------------------------------------
// Files

void CMainFrame::SetDocumentPath(const QString& strPath) {
  m_strSuggestedPath.clear();
  m_pDoc->m_strPathName = strPath.toStdString();
  m_pApp->AddToRecentFileList(strPath);
  m_pDoc->m_strTitle = FileNamePart(strPath).toStdString();
  UpdateTitle();
}

bool CMainFrame::ReadFileInto(const QString& strPath) {
  // A structure file becomes a new drawing of its molecules, never the document's file.
  if (CStructureCommands::IsStructureFile(strPath)) {
    if (!m_pStructure->OpenStructureFile(strPath)) return false;
    m_pApp->AddToRecentFileList(strPath);
    return true;
  }
  QFile file(strPath);
  QByteArray data;
  if (file.open(QIODevice::ReadOnly)) data = file.readAll();
  if (!file.isOpen() || file.error() != QFileDevice::NoError) {
    CShellUi::MessageBox(this,
                         QString::fromUtf8(Messages().readFailed).arg(strPath, file.errorString()),
                         Utf8(Messages().errorCaption), CShellUi::kIconError);
    return false;
  }
  // Saves of this file that were killed half-way may have left their new files beside it.
  CSafeFile::RemoveLeftovers(strPath);
  const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                            static_cast<std::size_t>(data.size()));
  CArchive ar(bytes);
  bool bRead = false;
  {
    CWorkProgress progress(this, m_pViewWidget,
                           QString::fromUtf8(Messages().progressOpening).arg(FileNamePart(strPath)),
                           QString());
    CSerializeOptions options = CSerializeOptions::OpenFile();
    options.fnProgress = progress.Callback();
    bRead = m_pDoc->Serialize(ar, options);
  }
  m_pView->ClearHistory();
  m_strSuggestedPath.clear();
  if (!bRead) {
    // Not a drawing, or one cut short: the document's own after-load timer reports it.
    // The file must not become the document's, or the next Save would write a drawing
    // over it; whatever was read stays, untitled, and counts as a change so that it is
    // not discarded unasked.
    SetDefaultTitle();
    m_pDoc->SetModifiedFlag(!m_pDoc->m_listObjects.empty());
    return false;
  }
  // The drawing read is the document's now: unmodified, named by its file, with a fresh
  // undo history.
  m_pDoc->SetModifiedFlag(false);
  SetDocumentPath(strPath);
  return true;
}

bool CMainFrame::OpenRecovered(std::span<const std::uint8_t> stream, const QString& strOldPath) {
  CArchive ar(stream);
  bool bRead = false;
  {
    CWorkProgress progress(this, m_pViewWidget, QString(), QString());
    CSerializeOptions options = CSerializeOptions::OpenFile();
    options.fnProgress = progress.Callback();
    bRead = m_pDoc->Serialize(ar, options);
  }
  // A stream cut short is reported by the recovery itself, with the file it came from.
  m_pViewWidget->KillTimer(TIMER_INCOMPATIBLE_FILE);
  m_pView->ClearHistory();
  const QString name = strOldPath.isEmpty()
                           ? TemplateField(res::LoadString(cmd::kIdsDocumentTemplate, m_lang), 1)
                           : FileNamePart(strOldPath);
  SetDefaultTitle();
  m_pDoc->m_strTitle =
      QString::fromUtf8(res::Recovery(m_lang).recoveredTitle).arg(name).toStdString();
  m_strSuggestedPath = strOldPath;
  // Not saved anywhere: it must not be discarded unasked.
  m_pDoc->SetModifiedFlag(true);
  UpdateTitle();
  return bRead;
}

bool CMainFrame::OpenFileInto(const QString& strPath) {
  const QByteArray native = strPath.toLocal8Bit();
  std::FILE* f = std::fopen(native.constData(), "r");
  if (f == nullptr) {
    CShellUi::MessageBox(nullptr, FormatS(Messages().notFound, strPath),
                         Utf8(Messages().openCaption), CShellUi::kIconWarning);
    return false;
  }
  std::fclose(f);
  return ReadFileInto(strPath);
}

void CMainFrame::OnFileNew() {
  if (!SaveModified()) return;
  ResetToNewDocument();
}

void CMainFrame::ResetToNewDocument() {
  // The view lets go of the objects before they are deleted: a bond being placed still
  // holds the junction it started from.
  m_pDoc->ClearForReplace();
  m_pView->ClearHistory();
  m_pDoc->SetModifiedFlag(false);
  m_pView->SetEditState(0);
  m_pViewWidget->HideCaret();
  m_pView->UpdateView();
  // The framework's new document: re-initialised, no path, the default title.
  m_pDoc->OnNewDocument();
  m_pDoc->SetModifiedFlag(false);
  SetDefaultTitle();
  m_strSuggestedPath.clear();
}

void CMainFrame::OnFileOpen() {
  m_pView->Cursor().m_bHoverSuppressed = 1;
  const QString path = CShellUi::GetFileName(this, CShellUi::FileDialog::Open,
                                             Utf8(Messages().openFilter), QString(), IsEnglish());
  if (path.isEmpty()) return;
  if (!SaveModified()) return;
  ReadFileInto(path);
}

bool CMainFrame::StoreTo(const QString& strPath, bool bClearModifiedOnStore) {
  const bool bWasModified = m_pDoc->IsModified();
  std::vector<std::uint8_t> bytes;
  {
    CWorkProgress progress(this, m_pViewWidget,
                           QString::fromUtf8(Messages().progressSaving).arg(FileNamePart(strPath)),
                           QString());
    CArchive ar(&bytes);
    m_pDoc->Serialize(ar, {.bSelectionOnly = false,
                           .bClearModifiedOnStore = bClearModifiedOnStore,
                           .fnProgress = progress.Callback()});
    ar.Flush();
  }

  // The file is written beside its target and takes its place only once it is complete, so
  // a failed or interrupted save leaves the previous file as it was.
  QString reason;
  const bool bOk = CSafeFile::Write(strPath, bytes, &reason);
  // Saves of this file that were killed half-way may have left their new files beside it.
  CSafeFile::RemoveLeftovers(strPath);
  if (!bOk) {
    // The drawing was not saved: it keeps its modified state.
    m_pDoc->SetModifiedFlag(bWasModified);
    m_pDoc->m_bJustSaved = 0;
    CShellUi::MessageBox(this, QString::fromUtf8(Messages().saveFailed).arg(strPath, reason),
                         Utf8(Messages().errorCaption), CShellUi::kIconError);
  }
  return bOk;
}

bool CMainFrame::WriteDocumentTo() {
  if (m_pDoc->m_strPathName.empty()) return false;
  return StoreTo(QString::fromStdString(m_pDoc->m_strPathName), false);
}

void CMainFrame::MarkSaved() {
  m_pDoc->SetModifiedFlag(false);
  m_pView->MarkSavedSnapshot();
}

bool CMainFrame::SaveToOwnPath() {
  if (!WriteDocumentTo()) return false;
  MarkSaved();
  return true;
}

void CMainFrame::OnFileSave() {
  if (!m_pDoc->m_strPathName.empty()) {
    SaveToOwnPath();
    return;
  }
  const int answer = CShellUi::MessageBox(
      m_pViewWidget, FormatS(Messages().saveChangesTo, QString::fromStdString(m_pDoc->m_strTitle)),
      Utf8(Messages().appCaption), CShellUi::kIconWarning | CShellUi::kYesNoCancel);
  if (answer == CShellUi::kIdYes) SaveAs();
}

bool CMainFrame::SaveCopyAs() {
  bool bWritten = false;
  const bool bModified = m_pDoc->IsModified();
  const QString initial =
      !m_pDoc->m_strPathName.empty()  ? QString::fromStdString(m_pDoc->m_strPathName)
      : !m_strSuggestedPath.isEmpty() ? m_strSuggestedPath
                                      : QString::fromStdString(m_pDoc->m_strTitle);
  m_pView->Cursor().m_bHoverSuppressed = 1;
  const QString path = CShellUi::GetFileName(this, CShellUi::FileDialog::SaveCopyAs,
                                             Utf8(Messages().saveCopyFilter), initial, IsEnglish());
  if (!path.isEmpty() && StoreTo(path, false)) {
    SetDocumentPath(path);
    MarkSaved();
    bWritten = true;
  }
  m_pDoc->SetModifiedFlag(bModified);
  return bWritten;
}

bool CMainFrame::SaveAs() {
  const bool bWritten = SaveCopyAs();
  if (bWritten) m_pDoc->SetModifiedFlag(false);
  UpdateTitle();
  return bWritten;
}

QString CMainFrame::FrameworkFilter() const {
  // The document template's filter name and extension.
  const char* pszTemplate = res::LoadString(cmd::kIdsDocumentTemplate, m_lang);
  return QStringLiteral("%1|*%2|All Files (*.*)|*.*|")
      .arg(TemplateField(pszTemplate, 3), TemplateField(pszTemplate, 4));
}

void CMainFrame::OnFrameworkSave() {
  const QString path = QString::fromStdString(m_pDoc->m_strPathName);
  const QFileInfo info(path);
  if (!path.isEmpty() && (!info.exists() || info.isWritable())) {
    // The document's own store clears the modified flag and re-marks the undo history.
    StoreTo(path, true);
    return;
  }
  const QString filter = FrameworkFilter();
  const QString suggested = !m_strSuggestedPath.isEmpty()
                                ? m_strSuggestedPath
                                : QString::fromStdString(m_pDoc->m_strTitle);
  const QString chosen = CShellUi::GetFileName(this, CShellUi::FileDialog::SaveFramework, filter,
                                               path.isEmpty() ? suggested : path, IsEnglish());
  if (chosen.isEmpty()) return;
  if (StoreTo(chosen, true)) SetDocumentPath(chosen);
}

void CMainFrame::OnFrameworkOpen() {
  const QString filter = FrameworkFilter();
  const QString path = CShellUi::GetFileName(this, CShellUi::FileDialog::OpenFramework, filter,
                                             QString(), IsEnglish());
  if (!path.isEmpty()) m_pApp->OpenDocumentFile(path);
}

void CMainFrame::OnRecentFile(int nIndex) {
  if (nIndex < 0 || nIndex >= m_pApp->RecentFiles().size()) return;
  const QString path = m_pApp->RecentFiles()[nIndex];
  if (!SaveModified()) return;
  // An entry whose file cannot be opened leaves the list (the fourth as well).
  if (!OpenFileInto(path)) m_pApp->RemoveFromRecentFileList(nIndex);
  RebuildRecentFiles();
}

bool CMainFrame::UpdateEmbeddedFile() {
  const QString path = m_pApp->m_strEmbeddedPath;
  if (path.isEmpty()) return false;
  CKvillSrvrItem* pItem =
      m_pDoc->m_pEmbeddedItem != nullptr ? m_pDoc->m_pEmbeddedItem : m_pDoc->OnGetEmbeddedItem();
  // The container's copy of the drawing is the item's native stream, written beside the
  // old file first so that a failed write leaves it whole.
  std::vector<std::uint8_t> bytes;
  {
    CWorkProgress progress(this, m_pViewWidget,
                           QString::fromUtf8(Messages().progressSaving).arg(FileNamePart(path)),
                           QString());
    CArchive ar(&bytes);
    pItem->Serialize(ar, CSerializeOptions{.fnProgress = progress.Callback()});
    ar.Flush();
  }
  // Its picture beside it, drawn by the item at the size the item reports.
  CSize ext;
  pItem->OnGetExtent(DVASPECT_CONTENT, &ext);
  const int cx = std::max<std::int64_t>(1, std::int64_t(ext.cx) * 96 / 1440);
  const int cy = std::max<std::int64_t>(1, -std::int64_t(ext.cy) * 96 / 1440);
  CSvgDC dc(CRect{0, 0, ext.cx, ext.cy}, cx, cy);
  CSize szReported;
  pItem->OnDraw(&dc, &szReported);
  dc.SetPhysicalSize(szReported);
  const std::string svg = dc.GetSvg();
  // Both files are complete on the disk before either replaces its old one, so a failure
  // of either write leaves both as they were.
  const QString svgPath = path + QStringLiteral(".svg");
  CSafeFile drawing(path), picture(svgPath);
  CSafeFile* pFailed = nullptr;
  if (!drawing.Open() || !drawing.Write(bytes) || !drawing.Finish()) {
    pFailed = &drawing;
  } else if (!picture.Open() || !picture.Write(svg.data(), svg.size()) || !picture.Finish() ||
             !picture.Commit()) {
    pFailed = &picture;
  } else if (!drawing.Commit()) {
    pFailed = &drawing;
  }
  if (pFailed != nullptr) {
    CShellUi::MessageBox(
        this, QString::fromUtf8(Messages().saveFailed).arg(pFailed->Target(), pFailed->Reason()),
        Utf8(Messages().errorCaption), CShellUi::kIconError);
    return false;
  }
  MarkSaved();
  return true;
}

void CMainFrame::RunKillProtocol() {
  if (m_pApp != nullptr) m_pApp->RunKillProtocol();
}

QString CMainFrame::ExportStartPath(const char* pszFolderKey, const char* pszTypeKey,
                                    const std::function<bool(const std::string&)>& isType,
                                    const QString& strDefaultType,
                                    const QString& strDefaultName) const {
  const CSettingsStore& store = m_pApp->Store();
  const auto folder = store.Read(pszFolderKey);
  QString dir;
  if (folder && !folder->empty() && QFileInfo(QString::fromStdString(*folder)).isDir()) {
    dir = QString::fromStdString(*folder);
  } else if (!m_pDoc->m_strPathName.empty()) {
    dir = QFileInfo(QString::fromStdString(m_pDoc->m_strPathName)).absolutePath();
  } else {
    dir = QDir::homePath();
  }
  const auto type = store.Read(pszTypeKey);
  const QString suffix = type && isType(*type) ? QString::fromStdString(*type) : strDefaultType;
  QString name = QFileInfo(QString::fromStdString(m_pDoc->m_strTitle)).completeBaseName();
  if (name.isEmpty()) name = strDefaultName;
  return QDir(dir).filePath(name + u'.' + suffix);
}

QString CMainFrame::InitialExportPath() const {
  return ExportStartPath(
      kExportFolderKey, kExportTypeKey,
      [](const std::string& t) { return t == "svg" || t == "png" || t == "pdf"; },
      QStringLiteral("svg"), QStringLiteral("picture"));
}

QString CMainFrame::AskExportPath(int nDialog, const char* pszFilter, const QString& strInitial,
                                  const char* pszFolderKey, const char* pszTypeKey) {
  m_pView->Cursor().m_bHoverSuppressed = 1;
  const QString path = CShellUi::GetFileName(this, static_cast<CShellUi::FileDialog>(nDialog),
                                             Utf8(pszFilter), strInitial, IsEnglish());
  if (path.isEmpty()) return path;
  const QFileInfo info(path);
  // The next export starts where this one went, whether or not it succeeds.
  if (m_pApp->WriteSetting(pszFolderKey, info.absolutePath().toStdString())) {
    m_pApp->WriteSetting(pszTypeKey, info.suffix().toLower().toStdString());
  }
  return path;
}

void CMainFrame::OnFileExportPicture() {
  const QString path =
      AskExportPath(static_cast<int>(CShellUi::FileDialog::ExportPicture), Messages().exportFilter,
                    InitialExportPath(), kExportFolderKey, kExportTypeKey);
  if (!path.isEmpty()) ExportPictureTo(path);
}

bool CMainFrame::ExportPictureTo(const QString& strPath) {
  std::string strError;
  int nStatus = 0;
  {
    CWorkProgress progress(
        this, m_pViewWidget,
        QString::fromUtf8(Messages().progressExporting).arg(FileNamePart(strPath)),
        Utf8(Messages().cancel));
    nStatus =
        ExportPicture(*m_pView, strPath.toStdString(), kExportDpi, &strError, progress.Callback());
  }
  // A cancelled export has written nothing and says nothing more.
  if (nStatus == kExportCancelled) return false;
  if (nStatus != 0) {
    CShellUi::MessageBox(
        this,
        QString::fromUtf8(Messages().exportFailed).arg(strPath, QString::fromStdString(strError)),
        Utf8(Messages().errorCaption), CShellUi::kIconError);
    return false;
  }
  return true;
}

void CMainFrame::OpenDroppedFiles(const QList<QUrl>& urls) {
  for (const QUrl& url : urls) {
    if (url.isLocalFile()) m_pApp->OpenDocumentFile(url.toLocalFile());
  }
  UpdateTitle();
}

bool CMainFrame::event(QEvent* pEvent) {
  if (pEvent->type() == QEvent::DragEnter || pEvent->type() == QEvent::DragMove) {
    auto* e = static_cast<QDragMoveEvent*>(pEvent);
    if (acceptDrops() && e->mimeData()->hasUrls()) {
      e->acceptProposedAction();
      return true;
    }
  } else if (pEvent->type() == QEvent::Drop) {
    auto* e = static_cast<QDropEvent*>(pEvent);
    if (acceptDrops() && e->mimeData()->hasUrls()) {
      OpenDroppedFiles(e->mimeData()->urls());
      e->acceptProposedAction();
      return true;
    }
  }
  return QMainWindow::event(pEvent);
}

// ---------------------------------------------------------------------------------------
// Printing

void CMainFrame::PrintTo(QPrinter* pPrinter) {
  QPainter painter(pPrinter);
  if (!painter.isActive()) return;
  CQtDC dc(&painter);
  m_pView->m_bDirectRender = 1;
  // Fitted to the page, the drawing prints at a zoom and scroll position of its own, which
  // the window gets back at once; it does not paint in between.
  std::optional<CViewport::CMappingScope> fitted;
  const std::optional<CRect> span =
      FitToPage() ? m_pView->Viewport().DrawingSpan() : std::optional<CRect>();
  if (span) {
    CViewport::CFitArea page;
    page.cx = painter.device()->width();
    page.cy = painter.device()->height();
    page.dpiX = std::max(1, dc.GetDeviceCaps(LOGPIXELSX));
    page.dpiY = std::max(1, dc.GetDeviceCaps(LOGPIXELSY));
    // An eighth of an inch keeps the strokes of the objects on the edges on the paper.
    page.dMargin = std::min(page.dpiX, page.dpiY) / 8.0;
    // A tiny drawing is magnified no more than Zoom In can; a large one shrinks as needed.
    page.dMinZoom = CViewport::kMinZoom;
    page.bWholeScale = true;
    fitted.emplace(m_pView->Viewport(), CViewport::FitSpan(*span, page));
  }
  m_pView->OnDraw(&dc);
}

void CMainFrame::OnFilePrint() {
  m_pView->m_bDirectRender = 1;
  QPrintDialog dlg(&m_printer, this);
  if (dlg.exec() == QDialog::Accepted) PrintTo(&m_printer);
}

void CMainFrame::OnFilePrintPreview() {
  m_pView->m_bDirectRender = 1;
  QPrintPreviewDialog dlg(&m_printer, this);
  connect(&dlg, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) { PrintTo(p); });
  dlg.exec();
}

void CMainFrame::OnFilePrintSetup() {
  QPageSetupDialog dlg(&m_printer, this);
  QCheckBox* pFit = AddCheckBoxAboveButtons(dlg, Utf8(res::Messages(m_lang).fitToPage));
  pFit->setChecked(FitToPage());
  if (dlg.exec() == QDialog::Accepted) SetFitToPage(pFit->isChecked());
}

bool CMainFrame::FitToPage() const { return m_pView->Settings().m_bFitToPage != 0; }

void CMainFrame::SetFitToPage(bool bOn) {
  std::int32_t& bFit = m_pView->Settings().m_bFitToPage;
  if ((bFit != 0) == bOn) return;
  bFit = bOn ? 1 : 0;
  m_pApp->WriteSetting(kFitToPageKey, bOn ? "1" : "0");
}
