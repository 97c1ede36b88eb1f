#include "shell/CDDrawBar.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QRegion>
#include <QScreen>
#include <QWidget>

#include "objects/CKVObject.h"
#include "resources/WindowMessages.h"
#include "shell/CAromatic.h"
#include "shell/CCouple.h"
#include "shell/CIndexes.h"
#include "shell/CMainButton.h"
#include "shell/CSymbol1.h"
#include "shell/CSymbol2.h"
#include "view/CKvillView.h"
#include "view/IViewHost.h"

namespace {

// The platform's placement record of a window shown normally.
constexpr std::int32_t kPlacementLength = 44;
constexpr std::int32_t kShowNormal = 1;

// The Draw bar's window: a caption without system menu or close box, a fixed client area
// of 192 x 12 dialog units. Every event for it or its buttons passes the bar's filter
// first; Esc, moves and the loss of activation go to the bar.
class CDrawBarWindow : public QWidget {
 public:
  CDrawBarWindow(CDDrawBar* pBar, QWidget* pOwner)
      : QWidget(pOwner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_pBar(pBar) {
    // The bar names its buttons while the drawing has the focus, as a toolbar does.
    setAttribute(Qt::WA_AlwaysShowToolTips);
  }

  bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
    if (IsInputEvent(pEvent->type())) m_pBar->OnFilterEvent();
    return QWidget::eventFilter(pWatched, pEvent);
  }

 protected:
  bool event(QEvent* pEvent) override {
    if (IsInputEvent(pEvent->type())) m_pBar->OnFilterEvent();
    if (pEvent->type() == QEvent::WindowDeactivate) {
      const bool bResult = QWidget::event(pEvent);
      m_pBar->OnKillFocus();
      return bResult;
    }
    return QWidget::event(pEvent);
  }
  void keyPressEvent(QKeyEvent* pEvent) override {
    if (pEvent->key() == Qt::Key_Escape) {
      m_pBar->OnCancel();
      return;
    }
    QWidget::keyPressEvent(pEvent);
  }
  void moveEvent(QMoveEvent* pEvent) override {
    QWidget::moveEvent(pEvent);
    m_pBar->OnMoved();
  }

 private:
  static bool IsInputEvent(QEvent::Type type) {
    switch (type) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Enter:
      case QEvent::HoverMove:
      case QEvent::Wheel:
        return true;
      default:
        return false;
    }
  }

  CDDrawBar* m_pBar;
};

}  // namespace

CDDrawBar::CDDrawBar(CDrawBarLinks links) : m_links(std::move(links)) {
  m_palettes[static_cast<int>(res::PaletteKind::Indexes)] = std::make_unique<CIndexes>();
  m_palettes[static_cast<int>(res::PaletteKind::Symbol1)] = std::make_unique<CSymbol1>();
  m_palettes[static_cast<int>(res::PaletteKind::Symbol2)] = std::make_unique<CSymbol2>();
  m_palettes[static_cast<int>(res::PaletteKind::Couple)] = std::make_unique<CCouple>();
  m_palettes[static_cast<int>(res::PaletteKind::Aromatic)] = std::make_unique<CAromatic>();
}

CDrawBarLinks CDDrawBar::LinksForView(CKvillView& view, std::array<std::int32_t, 11>& wpDrawBar,
                                      QWidget* pOwner, std::function<void(bool)> fnCheckMark,
                                      res::Language lang) {
  CDrawBarLinks links;
  CKvillView* pView = &view;
  links.fnPost = [pView](int nMessage) { pView->Window().PostMessage(nMessage, 0, 0); };
  links.pDrawBarActive = &view.Cursor().m_bDrawBarActive;
  links.pDrawBarPlaced = &view.Settings().m_bDrawBarPlaced;
  links.pDrawBarVisible = &view.Settings().m_bDrawBarVisible;
  links.pPlacement = &wpDrawBar;
  links.fnCheckMark = std::move(fnCheckMark);
  links.pOwner = pOwner;
  links.lang = lang;
  return links;
}

CDDrawBar::~CDDrawBar() {
  // The palettes go first, then the bar, as the view lets go of them.
  for (auto& p : m_palettes) p.reset();
  DestroyWindow();
}

bool CDDrawBar::Create() {
  if (!m_pWindow.isNull()) return false;
  auto pWindow = std::make_unique<CDrawBarWindow>(this, m_links.pOwner);
  pWindow->setObjectName(QStringLiteral("DrawBar"));
  pWindow->setWindowTitle(QString::fromUtf8(res::DrawBarCaption(m_links.lang)));
  pWindow->setFixedSize(res::DialogUnitsToPixelsX(res::kDrawBarCx),
                        res::DialogUnitsToPixelsY(res::kDrawBarCy));
  const QSize sizeButton(res::DialogUnitsToPixelsX(res::kDrawBarButtonCx),
                         res::DialogUnitsToPixelsY(res::kDrawBarButtonCy));
  int i = 0;
  for (const res::DrawBarButton& row : res::DrawBarButtons()) {
    auto* pButton = new CMainButton(pWindow.get());
    pButton->AutoLoad(row.id, row.caption, sizeButton);
    pButton->move(res::DialogUnitsToPixelsX(row.x), 0);
    pButton->setToolTip(
        QString::fromStdString(res::TooltipText(row.english, row.czech, m_links.lang)));
    pButton->installEventFilter(pWindow.get());
    const res::DrawBarButton* pRow = &row;
    QObject::connect(pButton, &QAbstractButton::clicked, pWindow.get(), [this, pRow] {
      if (pRow->hasPalette) {
        OnPaletteButton(pRow->palette);
      } else {
        OnFormula();
      }
    });
    m_buttons[static_cast<std::size_t>(i++)] = pButton;
  }
  // The template's place: the top-left corner of the owner's client area.
  pWindow->move(DefaultPosition());
  m_pWindow = pWindow.release();
  if (m_links.pDrawBarActive != nullptr) *m_links.pDrawBarActive = 0;
  return true;
}

void CDDrawBar::DestroyWindow() {
  if (!m_pWindow) return;
  // The window's own events must not reach the bar while it goes.
  QWidget* pWindow = m_pWindow.data();
  m_pWindow = nullptr;
  m_buttons.fill(nullptr);
  pWindow->hide();
  delete pWindow;
}

void CDDrawBar::CreatePlaced() {
  DestroyWindow();
  Create();
  if (m_links.pDrawBarPlaced != nullptr && *m_links.pDrawBarPlaced == 1 &&
      m_links.pPlacement != nullptr) {
    SetWindowPlacement(*m_links.pPlacement);
  }
  if (!ClientAreaVisible()) {
    DestroyWindow();
    Create();
  }
}

void CDDrawBar::OnDrawBarCommand() {
  if (!m_pWindow || m_bClosed == 1) {
    const bool bFirst = !m_pWindow;
    if (m_links.fnCheckMark) m_links.fnCheckMark(true);
    CreatePlaced();
    if (bFirst) {
      if (m_links.pDrawBarPlaced != nullptr) *m_links.pDrawBarPlaced = 1;
      if (m_links.pPlacement != nullptr) *m_links.pPlacement = GetWindowPlacement();
    }
    if (m_links.pDrawBarVisible != nullptr) *m_links.pDrawBarVisible = 1;
    m_pWindow->show();
    m_bClosed = 0;
    return;
  }
  if (m_links.fnCheckMark) m_links.fnCheckMark(false);
  if (m_links.pPlacement != nullptr) *m_links.pPlacement = GetWindowPlacement();
  DestroyWindow();
  m_bClosed = 1;
  if (m_links.pDrawBarVisible != nullptr) *m_links.pDrawBarVisible = 0;
}

void CDDrawBar::HidePalettes() {
  for (auto& p : m_palettes) {
    if (p && p->IsWindow()) p->Hide();
  }
}

void CDDrawBar::ClearLatches() {
  if (m_pWindow.isNull()) return;  // the buttons went with the window
  for (CMainButton* p : m_buttons) {
    if (p != nullptr) p->m_bLatched = 0;
  }
}

void CDDrawBar::ReleaseButtons() {
  if (m_pWindow.isNull()) return;
  for (CMainButton* p : m_buttons) {
    if (p != nullptr) p->SetState(false);
  }
}

void CDDrawBar::Reset() {
  ClearLatches();
  HidePalettes();
  ReleaseButtons();
}

void CDDrawBar::RecordPlacement() {
  if (IsWindow() && m_links.pPlacement != nullptr) *m_links.pPlacement = GetWindowPlacement();
}

void CDDrawBar::PumpMessages() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CDDrawBar::Post(int nMessage) {
  if (m_links.fnPost) m_links.fnPost(nMessage);
}

void CDDrawBar::OnFormula() {
  HidePalettes();
  PumpMessages();
  Post(msg::kEndEdit);
  ClearLatches();
  if (CMainButton* p = Button(res::DrawBarButtons()[0].id)) {
    p->m_bLatched = 1;
    ReleaseButtons();
    p->SetState(true);
  }
  Post(res::DrawBarButtons()[0].message);
}

void CDDrawBar::OnPaletteButton(res::PaletteKind kind) {
  CPaletteDialog* pPalette = Palette(kind);
  const res::DrawBarButton& row = res::DrawBarButtonOf(kind);
  if (!pPalette->IsWindow()) {
    pPalette->Create(m_links.pOwner, m_links.lang, [this](int nMessage) {
      if (m_pInPlaceFrame && m_fnActivateInPlace) m_fnActivateInPlace();
      m_links.fnPost(nMessage);
    });
  }
  HidePalettes();
  PumpMessages();
  if (row.message != 0) Post(row.message);
  ClearLatches();
  // The handlers above may have let the bar's window go (a pumped command, say).
  if (!m_pWindow) return;
  if (CMainButton* p = Button(row.id)) {
    p->m_bLatched = 1;
    ReleaseButtons();
    p->SetState(true);
  }
  const QRect rcBar = m_pWindow->frameGeometry();
  pPalette->ShowAt(QPoint(rcBar.left() + row.offset, rcBar.top() + rcBar.height()));
}

void CDDrawBar::OnCancel() { Post(msg::kEndEdit); }

void CDDrawBar::OnMoved() {
  HidePalettes();
  ClearLatches();
  ReleaseButtons();
}

void CDDrawBar::OnKillFocus() { m_bClosed = 1; }

void CDDrawBar::OnFilterEvent() {
  if (m_links.pDrawBarActive != nullptr) *m_links.pDrawBarActive = 1;
}

std::array<std::int32_t, 11> CDDrawBar::GetWindowPlacement() const {
  std::array<std::int32_t, 11> wp{kPlacementLength, 0, kShowNormal, -1, -1, -1, -1, 0, 0, 0, 0};
  if (!m_pWindow) return wp;
  const QPoint pt = m_pWindow->pos();
  const QSize size = m_pWindow->frameGeometry().size();
  wp[7] = pt.x();
  wp[8] = pt.y();
  wp[9] = pt.x() + size.width();
  wp[10] = pt.y() + size.height();
  return wp;
}

void CDDrawBar::SetWindowPlacement(const std::array<std::int32_t, 11>& wp) {
  if (!m_pWindow) return;
  // The bar keeps its size; the normal rectangle's corner places it.
  m_pWindow->move(wp[7], wp[8]);
}

void CDDrawBar::SetInPlaceFrame(QWidget* pFrame, std::function<void()> fnActivate) {
  m_pInPlaceFrame = pFrame;
  m_fnActivateInPlace = pFrame != nullptr ? std::move(fnActivate) : nullptr;
}

QPoint CDDrawBar::DefaultPosition() const {
  if (m_pInPlaceFrame) {
    constexpr int kGap = 8;
    const QRect rcFrame(m_pInPlaceFrame->mapToGlobal(QPoint(0, 0)), m_pInPlaceFrame->size());
    const int cx = res::DialogUnitsToPixelsX(res::kDrawBarCx);
    const QScreen* pScreen = m_pInPlaceFrame->screen();
    const QRect rcScreen = pScreen != nullptr ? pScreen->availableGeometry() : rcFrame;
    QPoint pt(rcFrame.right() + 1 + kGap, rcFrame.top());
    if (pt.x() + cx > rcScreen.right() + 1) pt.setX(rcFrame.left() - kGap - cx);
    if (pt.x() < rcScreen.left()) pt = rcFrame.topLeft();
    return pt;
  }
  QWidget* pOwner = m_links.pOwner;
  if (pOwner == nullptr) return QPoint(0, 0);
  // The client area is the drawing area: here the menu bar and the toolbars lie outside
  // it, and a bar placed at the window's top would hide the toolbar's first buttons.
  if (auto* pFrame = qobject_cast<QMainWindow*>(pOwner)) {
    if (QWidget* pCentral = pFrame->centralWidget()) return pCentral->mapToGlobal(QPoint(0, 0));
  }
  return pOwner->mapToGlobal(QPoint(0, 0));
}

bool CDDrawBar::ClientAreaVisible() const {
  if (!m_pWindow) return false;
  // Where the client area will be: the window's own place plus the frame's offset.
  const QRect rcFrame = m_pWindow->frameGeometry();
  const QRect rcGeometry = m_pWindow->geometry();
  const QPoint ptClient = m_pWindow->pos() + (rcGeometry.topLeft() - rcFrame.topLeft());
  const QRect rcClient(ptClient, m_pWindow->size());
  QRegion screens;
  for (QScreen* pScreen : QGuiApplication::screens()) screens += pScreen->geometry();
  return screens.intersected(rcClient) == QRegion(rcClient);
}

CMainButton* CDDrawBar::Button(int nId) const {
  if (m_pWindow.isNull()) return nullptr;
  for (CMainButton* p : m_buttons) {
    if (p != nullptr && p->GetDlgCtrlID() == nId) return p;
  }
  return nullptr;
}

CPaletteDialog* CDDrawBar::Palette(res::PaletteKind kind) const {
  return m_palettes[static_cast<std::size_t>(kind)].get();
}
