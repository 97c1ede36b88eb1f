#include "shell/CInPlaceFrame.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWindow>
#include <cstdio>

#include "objects/CKVObject.h"
#include "platform/CInPlaceSite.h"
#include "resources/CommandIds.h"
#include "resources/Resources.h"
#include "shell/CDDrawBar.h"
#include "shell/CMainFrame.h"
#include "view/CKvillView.h"
#include "shell/CResizeBar.h"
#include "shell/CViewWidget.h"
#include "shell/CommandActions.h"

namespace {

// Takes a window of ours out of the container's window it was put in. A container that
// went away took its windows, ours among them, with it: there is nothing left to move.
void LeaveSite(QWidget* pWidget, std::unique_ptr<QWindow>& pSite) {
  pWidget->hide();
  if (pSite->type() == Qt::ForeignWindow && !CInPlaceSite::Exists(pSite->winId())) {
    // The site's stand-in still counts our window among its children; it is let go
    // rather than deleted with them.
    static_cast<void>(pSite.release());
    return;
  }
  pWidget->windowHandle()->setParent(nullptr);
}

// Qt gives every popup of a widget (a menu, a tooltip) the widget's window as its transient
// parent, and warns when that window lives inside another window, as ours do inside the
// container's. Such a popup rightly has no transient parent; while the frame is there the
// warning about our own windows is dropped, and every other message goes where it went.
QtMessageHandler g_previousHandler = nullptr;
int g_nFiltering = 0;

void DropEmbeddedTransientWarnings(QtMsgType type, const QMessageLogContext& context,
                                   const QString& strMessage) {
  if (type == QtWarningMsg && strMessage.endsWith(QLatin1String("must be a top level window.")) &&
      (strMessage.contains(QLatin1String("CInPlaceFrameWindow")) ||
       strMessage.contains(QLatin1String("InPlaceBarsWindow")))) {
    return;
  }
  if (g_previousHandler != nullptr) {
    g_previousHandler(type, context, strMessage);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, strMessage)));
  }
}

void FilterEmbeddedTransientWarnings(bool bOn) {
  if (bOn && g_nFiltering++ == 0) {
    g_previousHandler = qInstallMessageHandler(DropEmbeddedTransientWarnings);
  } else if (!bOn && --g_nFiltering == 0) {
    qInstallMessageHandler(g_previousHandler);
    g_previousHandler = nullptr;
  }
}

// Puts a window of ours into a container's window, at its top-left corner.
void EnterSite(QWidget* pWidget, QWindow* pSite) {
  pWidget->winId();
  pWidget->windowHandle()->setParent(pSite);
  pWidget->move(0, 0);
}

}  // namespace

CInPlaceFrame::CInPlaceFrame(CMainFrame* pMainFrame)
    : QWidget(nullptr, Qt::FramelessWindowHint), m_pMainFrame(pMainFrame) {
  setObjectName(QStringLiteral("CInPlaceFrame"));
  setWindowTitle(QStringLiteral("Valendra"));
  qApp->installEventFilter(this);
  FilterEmbeddedTransientWarnings(true);
}

CInPlaceFrame::~CInPlaceFrame() {
  qApp->removeEventFilter(this);
  Leave();
  if (m_pBars && m_pBars->isWindow()) delete m_pBars.data();
  FilterEmbeddedTransientWarnings(false);
}

bool CInPlaceFrame::Create(std::unique_ptr<QWindow> pSite) {
  if (!pSite || m_pSite) return false;
  m_pSite = std::move(pSite);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->setContentsMargins(0, 0, 0, 0);
  pLayout->setSpacing(0);
  m_pResizeBar = new CResizeBar(this);
  pLayout->addWidget(m_pResizeBar, 1);
  m_pResizeBar->m_fnResized = [this](QSize sz) {
    if (m_fnSizeChanged) m_fnSizeChanged(sz * devicePixelRatio());
  };

  // The view leaves the main frame for the time of the editing; the Draw bar comes to the
  // frame's side.
  m_pViewWidget = m_pMainFrame->ViewWidget();
  m_pMainFrame->takeCentralWidget();
  m_pResizeBar->SetClient(m_pViewWidget);
  m_pViewWidget->show();
  m_pViewWidget->SetInPlaceFrame(this);
  m_pMainFrame->DrawBar()->SetInPlaceFrame(this, [this] { TakeKeyboard(); });

  setAcceptDrops(true);
  setMinimumSize(kMinimumSize);
  const QSize szSite = CInPlaceSite::Size(*m_pSite);
  resize(szSite.isEmpty() ? kDefaultSize : szSite.expandedTo(kMinimumSize));
  EnterSite(this, m_pSite.get());
  m_bInSite = true;
  return true;
}

void CInPlaceFrame::AddAction(QAction* pAction) {
  const int id = pAction->data().toInt();
  connect(pAction, &QAction::triggered, this, [this, id] { OnCommand(id); });
  m_actions[id].push_back(pAction);
}

void CInPlaceFrame::BuildControlBars() {
  const res::Language lang = m_pMainFrame->Language();
  m_pBars = new QWidget(nullptr, Qt::FramelessWindowHint);
  m_pBars->setObjectName(QStringLiteral("InPlaceBars"));
  // The buttons name themselves while the drawing has the keyboard, as a toolbar does.
  m_pBars->setAttribute(Qt::WA_AlwaysShowToolTips);
  auto* pRow = new QHBoxLayout(m_pBars);
  pRow->setContentsMargins(0, 0, 0, 0);
  pRow->setSpacing(0);

  m_pMenuBar = new QMenuBar(m_pBars);
  m_pMenuBar->setNativeMenuBar(false);
  for (const res::MenuItem& top : res::MenuBar(res::kSetInPlace, lang)) {
    // The separators between the popups mark where a container merges its own menus in.
    if (top.kind != res::MenuItemKind::Popup) continue;
    QMenu* pMenu = m_pMenuBar->addMenu(QString::fromUtf8(top.text));
    AddMenuItems(pMenu, top.items, lang, [this](QMenu*, QAction* a) { AddAction(a); });
    connect(pMenu, &QMenu::aboutToShow, this, [this] {
      m_pMainFrame->View()->Cursor().m_bHoverSuppressed = 1;
      UpdateCommandUi();
    });
  }
  for (int id : {cmd::kViewToolbar, cmd::kViewDrawBar}) {
    for (QAction* a : m_actions[id]) a->setCheckable(true);
  }

  m_pToolBar = new QToolBar(QString::fromUtf8(res::kToolBarWindowText), m_pBars);
  m_pToolBar->setObjectName(QStringLiteral("ToolBar"));
  m_pToolBar->setMovable(false);
  AddToolButtons(m_pToolBar, res::kSetInPlace, lang, [this](QAction* a) { AddAction(a); });

  pRow->addWidget(m_pMenuBar);
  pRow->addWidget(m_pToolBar);
  pRow->addStretch(1);
}

bool CInPlaceFrame::CreateControlBars(std::unique_ptr<QWindow> pToolBarSite) {
  if (m_pBars || !m_pSite) return false;
  BuildControlBars();
  m_pToolBarSite = std::move(pToolBarSite);
  if (m_pToolBarSite) {
    const QSize szArea = CInPlaceSite::Size(*m_pToolBarSite);
    m_pBars->resize(szArea.isEmpty() ? m_pBars->sizeHint() : szArea);
    EnterSite(m_pBars, m_pToolBarSite.get());
  } else {
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, m_pBars);
  }
  UpdateCommandUi();
  return true;
}

void CInPlaceFrame::Activate() {
  if (!m_bInSite) return;
  show();
  if (m_pBars && m_pBars->isWindow()) m_pBars->show();
  m_pViewWidget->setFocus();
  m_bActive = true;
  // The double click that activated the drawing meant to work on it: Esc and typing go to
  // it from the start.
  TakeKeyboard();
  UpdateCommandUi();
}

void CInPlaceFrame::TakeKeyboard() {
  if (!m_bActive) return;
  CInPlaceSite::TakeKeyboard(winId());
  activateWindow();
}

void CInPlaceFrame::Deactivate() {
  if (!m_bActive || m_bDeactivating) return;
  m_bDeactivating = true;
  const bool bUpdated = m_pMainFrame->UpdateEmbeddedFile();
  Leave();
  m_bActive = false;
  if (m_fnDeactivated) m_fnDeactivated(bUpdated);
}

void CInPlaceFrame::Leave() {
  if (!m_bInSite) return;
  m_bInSite = false;
  CDDrawBar* pDrawBar = m_pMainFrame->DrawBar();
  pDrawBar->HidePalettes();
  if (QWidget* pBarWindow = pDrawBar->GetWindow()) pBarWindow->hide();
  LeaveSite(this, m_pSite);
  if (m_pBars && m_pBars->isWindow() && m_pToolBarSite) LeaveSite(m_pBars, m_pToolBarSite);
  // The view goes back to the main frame.
  m_pViewWidget->SetInPlaceFrame(nullptr);
  pDrawBar->SetInPlaceFrame(nullptr);
  m_pMainFrame->setCentralWidget(m_pViewWidget);
}

std::vector<QAction*> CInPlaceFrame::Actions(int nId) const {
  const auto it = m_actions.find(nId);
  return it != m_actions.end() ? it->second : std::vector<QAction*>{};
}

void CInPlaceFrame::OnCommand(int nId) {
  // The view carries out the Toolbar command too: in place it shows or hides this frame's
  // toolbar and leaves the main window's setting as it was.
  m_pMainFrame->OnCommand(nId);
  UpdateCommandUi();
}

void CInPlaceFrame::UpdateCommandUi() {
  for (auto& [id, actions] : m_actions) {
    const bool bEnabled = m_pMainFrame->IsCommandEnabled(id);
    for (QAction* a : actions) a->setEnabled(bEnabled);
  }
  const bool bToolBarShown = m_pToolBar != nullptr && !m_pToolBar->isHidden();
  for (QAction* a : m_actions[cmd::kViewToolbar]) a->setChecked(bToolBarShown);
  const QAction* pDrawBarItem = m_pMainFrame->MenuAction(cmd::kViewDrawBar);
  const bool bDrawBarShown = pDrawBarItem != nullptr && pDrawBarItem->isChecked();
  for (QAction* a : m_actions[cmd::kViewDrawBar]) a->setChecked(bDrawBarShown);
}

bool CInPlaceFrame::event(QEvent* pEvent) {
  if (pEvent->type() == QEvent::StatusTip) {
    // The prompts of the toolbar and the menus go to the container's status line.
    if (m_fnStatusText) m_fnStatusText(static_cast<QStatusTipEvent*>(pEvent)->tip());
    return true;
  }
  return QWidget::event(pEvent);
}

bool CInPlaceFrame::eventFilter(QObject* pWatched, QEvent* pEvent) {
  const QEvent::Type type = pEvent->type();
  if (type == QEvent::StatusTip && m_pBars && pWatched == m_pBars.data() && m_pBars->isWindow()) {
    if (m_fnStatusText) m_fnStatusText(static_cast<QStatusTipEvent*>(pEvent)->tip());
    return true;
  }
  if (type == QEvent::MouseButtonPress && m_bActive) {
    // A window inside another program's window is given the keyboard by nobody else: a
    // click in the drawing takes it, as a click in a window of its own would. (Qt counts
    // the frame as active all the while, so it is asked every time.)
    auto* w = qobject_cast<QWidget*>(pWatched);
    if (w != nullptr && w->window() == this) TakeKeyboard();
  }
  if ((type == QEvent::KeyPress || type == QEvent::ShortcutOverride) && m_bActive) {
    // Accelerator table 4, for keys pressed anywhere in the frame or in its bars.
    auto* w = qobject_cast<QWidget*>(pWatched);
    const bool bOurs = w != nullptr && (w->window() == this || (m_pBars && w->window() == m_pBars));
    if (bOurs && QApplication::activePopupWidget() == nullptr) {
      auto* k = static_cast<QKeyEvent*>(pEvent);
      const int id = res::TranslateAccelerator(res::kSetInPlace, k->key(), k->modifiers());
      if (id != 0) {
        k->accept();
        if (type == QEvent::KeyPress) OnCommand(id);
        return true;
      }
    }
  }
  return QWidget::eventFilter(pWatched, pEvent);
}

void CInPlaceFrame::dragEnterEvent(QDragEnterEvent* pEvent) {
  pEvent->setDropAction(Qt::IgnoreAction);
  pEvent->ignore();
}

void CInPlaceFrame::dragMoveEvent(QDragMoveEvent* pEvent) {
  pEvent->setDropAction(Qt::IgnoreAction);
  pEvent->ignore();
}

void CInPlaceFrame::dropEvent(QDropEvent* pEvent) {
  pEvent->setDropAction(Qt::IgnoreAction);
  pEvent->ignore();
}
