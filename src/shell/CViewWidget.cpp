#include "shell/CViewWidget.h"

#include <QApplication>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>

#include "document/CKvillDoc.h"
#include "objects/CKVObject.h"
#include "platform/CInputWatch.h"
#include "platform/CQtClipboard.h"
#include "platform/CQtDC.h"
#include "platform/CTextMetrics.h"
#include "shell/CDDrawBar.h"
#include "shell/CInPlaceFrame.h"
#include "shell/CMainFrame.h"
#include "shell/CShellUi.h"
#include "shell/CStructureCommands.h"
#include "shell/CommandActions.h"
#include "shell/EntryDialog.h"
#include "shell/ExportPicture.h"
#include "view/CKvillView.h"

namespace {

// A white outline under a black line, so that a cursor shows on any background.
void DrawOutlined(QPainter& p, const QPainterPath& path) {
  p.setPen(QPen(Qt::white, 3));
  p.drawPath(path);
  p.setPen(QPen(Qt::black, 1));
  p.drawPath(path);
}

// The cross hair most cursors are built on, its centre the hot spot.
QPainterPath CrossPath() {
  QPainterPath cross;
  cross.moveTo(16, 4);
  cross.lineTo(16, 28);
  cross.moveTo(4, 16);
  cross.lineTo(28, 16);
  return cross;
}

void DrawRotateCursor(QPainter& p) {
  QPainterPath arc;
  arc.arcMoveTo(6, 6, 20, 20, 60);
  arc.arcTo(6, 6, 20, 20, 60, 280);
  arc.moveTo(26, 10);
  arc.lineTo(23, 16);
  arc.lineTo(20, 10);
  // The point the rotation follows is marked in the middle.
  arc.addEllipse(QPointF(16, 16), 1.5, 1.5);
  DrawOutlined(p, arc);
}

// An arrow with a plus beside it; the arrow's tip is the hot spot.
void DrawCopyCursor(QPainter& p) {
  QPainterPath arrow;
  arrow.moveTo(2, 2);
  arrow.lineTo(2, 20);
  arrow.lineTo(7, 15);
  arrow.lineTo(11, 23);
  arrow.lineTo(14, 22);
  arrow.lineTo(10, 14);
  arrow.lineTo(16, 14);
  arrow.closeSubpath();
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawPath(arrow);
  QPainterPath plus;
  plus.moveTo(24, 18);
  plus.lineTo(24, 28);
  plus.moveTo(19, 23);
  plus.lineTo(29, 23);
  DrawOutlined(p, plus);
}

// The cross hair in a hexagon: a ring template is placed here.
void DrawTemplateCursor(QPainter& p) {
  QPainterPath hex = CrossPath();
  QPolygonF poly;
  for (int i = 0; i < 6; ++i) {
    const double a = M_PI / 3 * i + M_PI / 6;
    poly << QPointF(16 + 8 * std::cos(a), 16 + 8 * std::sin(a));
  }
  poly << poly.first();
  hex.addPolygon(poly);
  DrawOutlined(p, hex);
}

// The cross hair with a circled plus or minus at its top right: a charge is placed here.
void DrawChargeCursor(QPainter& p, bool bPlus) {
  QPainterPath sign = CrossPath();
  sign.addEllipse(QPointF(25, 7), 5, 5);
  sign.moveTo(22, 7);
  sign.lineTo(28, 7);
  if (bPlus) {
    sign.moveTo(25, 4);
    sign.lineTo(25, 10);
  }
  DrawOutlined(p, sign);
}

}  // namespace

// The program's own cursors, drawn at run time on a 32 x 32 pixmap with a hot spot, at the
// screen's device pixel ratio so that a scaled screen shows them sharp.
QPixmap CViewWidget::ProgramCursor(int nCursor, qreal dpr, QPoint* pHotSpot) {
  QPixmap pm(qCeil(32 * dpr), qCeil(32 * dpr));
  pm.setDevicePixelRatio(dpr);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPoint hot(16, 16);
  switch (nCursor) {
    case IDI_ROTATE_CURSOR:
      DrawRotateCursor(p);
      break;
    case IDI_COPY_CURSOR:
      DrawCopyCursor(p);
      hot = QPoint(2, 2);
      break;
    case IDI_TEMPLATE_CURSOR:
      DrawTemplateCursor(p);
      break;
    case IDI_PLUS_CURSOR:
    case IDI_MINUS_CURSOR:
      DrawChargeCursor(p, nCursor == IDI_PLUS_CURSOR);
      break;
    default:
      DrawOutlined(p, CrossPath());
      break;
  }
  p.end();
  if (pHotSpot != nullptr) *pHotSpot = hot;
  return pm;
}

namespace {

QCursor DrawnCursor(int nCursor, qreal dpr) {
  QPoint hot;
  const QPixmap pm = CViewWidget::ProgramCursor(nCursor, dpr, &hot);
  return QCursor(pm, hot.x(), hot.y());
}

}  // namespace

CViewWidget::CViewWidget(CMainFrame* pFrame, QWidget* pParent)
    : QWidget(pParent),
      m_pFrame(pFrame),
      m_pClient(new QWidget(this)),
      m_pBlink(new QTimer(this)),
      m_pInputWatch(std::make_unique<CInputWatch>()) {
  m_pBars[SB_HORZ] = new QScrollBar(Qt::Horizontal, this);
  m_pBars[SB_VERT] = new QScrollBar(Qt::Vertical, this);
  auto* layout = new QGridLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(m_pClient, 0, 0);
  layout->addWidget(m_pBars[SB_VERT], 0, 1);
  layout->addWidget(m_pBars[SB_HORZ], 1, 0);
  for (int bar : {SB_HORZ, SB_VERT}) {
    m_pBars[bar]->hide();
    m_pBars[bar]->setFocusPolicy(Qt::NoFocus);
    connect(m_pBars[bar], &QScrollBar::actionTriggered, this,
            [this, bar](int action) { OnScrollAction(bar, action); });
    connect(m_pBars[bar], &QScrollBar::sliderReleased, this, [this, bar] {
      if (m_pView == nullptr) return;
      const int pos = m_pBars[bar]->sliderPosition();
      if (bar == SB_HORZ) {
        m_pView->OnHScroll(SB_THUMBPOSITION, pos);
        m_pView->OnHScroll(SB_ENDSCROLL, pos);
      } else {
        m_pView->OnVScroll(SB_THUMBPOSITION, pos);
        m_pView->OnVScroll(SB_ENDSCROLL, pos);
      }
      m_pBars[bar]->setSliderPosition(m_bars[bar].nPos);
    });
  }
  // The client paints itself entirely from the back buffer.
  m_pClient->setAttribute(Qt::WA_OpaquePaintEvent);
  m_pClient->setAttribute(Qt::WA_NoSystemBackground);
  m_pClient->setFocusPolicy(Qt::StrongFocus);
  m_pClient->setMouseTracking(true);
  m_pClient->installEventFilter(this);
  setFocusProxy(m_pClient);

  const int flash = QApplication::cursorFlashTime();
  m_pBlink->setInterval(flash > 0 ? flash / 2 : 530);
  connect(m_pBlink, &QTimer::timeout, this, [this] {
    m_bCaretPhase = !m_bCaretPhase;
    m_pClient->update(QRect(m_ptCaret, m_szCaret));
  });
}

CViewWidget::~CViewWidget() {
  for (auto& [id, timer] : m_timers) timer->stop();
}

int CViewWidget::SystemUiLanguage() {
  return QLocale::system().language() == QLocale::Czech ? 1029 : 1033;
}

// ---------------------------------------------------------------------------------------
// Geometry

CRect CViewWidget::GetClientRect() {
  // Computed from the bars that are shown now, so a bar shown a moment ago counts at once,
  // as it does for a window whose scroll bars are part of its frame.
  int cx = width();
  int cy = height();
  if (m_pBars[SB_VERT]->isVisibleTo(this)) cx -= m_pBars[SB_VERT]->sizeHint().width();
  if (m_pBars[SB_HORZ]->isVisibleTo(this)) cy -= m_pBars[SB_HORZ]->sizeHint().height();
  return CRect{0, 0, std::max(cx, 0), std::max(cy, 0)};
}

CRect CViewWidget::GetWindowRect() {
  const QPoint tl = mapToGlobal(QPoint(0, 0));
  return CRect{tl.x(), tl.y(), tl.x() + width(), tl.y() + height()};
}

CRect CViewWidget::GetMainWindowRect() {
  const QRect r = window()->frameGeometry();
  return CRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

CPoint CViewWidget::GetCursorPos() {
  if (m_pInputWatch->TakePointerNews()) {
    const QPoint p = QCursor::pos();
    m_ptPointer = CPoint{p.x(), p.y()};
  }
  return m_ptPointer;
}

int CViewWidget::GetPixelsPerInchX() { return logicalDpiX(); }
int CViewWidget::GetPixelsPerInchY() { return logicalDpiY(); }

// ---------------------------------------------------------------------------------------
// Surfaces

QImage* CViewWidget::ImageOf(CDC* pDC) {
  const auto it = m_surfaces.find(pDC);
  return it == m_surfaces.end() ? nullptr : it->second.pImage;
}

qreal CViewWidget::PixelRatio() const { return m_pClient->devicePixelRatioF(); }

QSize CViewWidget::PixelsOf(QSize logical) const {
  const qreal dpr = PixelRatio();
  return QSize(qCeil(logical.width() * dpr), qCeil(logical.height() * dpr));
}

CDC* CViewWidget::GetDC() {
  if (m_nWindowSurfaces == 0) {
    const CRect rc = GetClientRect();
    // The window's surface has as many pixels as the screen shows, so that on a scaled
    // screen the drawing is drawn at the screen's resolution and not enlarged afterwards;
    // the view still works in the window's own (device-independent) pixels.
    const QSize size = PixelsOf(QSize(std::max(rc.right, 1), std::max(rc.bottom, 1)));
    if (m_imgScreen.size() != size || m_imgScreen.devicePixelRatio() != PixelRatio()) {
      m_imgScreen = QImage(size, QImage::Format_ARGB32_Premultiplied);
      m_imgScreen.setDevicePixelRatio(PixelRatio());
      m_imgScreen.fill(Qt::white);
    }
    m_imgScreen.setDotsPerMeterX(qRound(GetPixelsPerInchX() / 0.0254));
    m_imgScreen.setDotsPerMeterY(qRound(GetPixelsPerInchY() / 0.0254));
    m_screenPainter.begin(&m_imgScreen);
  }
  ++m_nWindowSurfaces;
  // Each surface starts from the painter's plain state and gives it back when it goes, so
  // one that is out while another draws finds its own state again.
  m_screenPainter.save();
  m_screenPainter.resetTransform();
  Surface s;
  s.pImage = &m_imgScreen;
  s.pDC = std::make_unique<CQtDC>(&m_screenPainter);
  CDC* pDC = s.pDC.get();
  m_surfaces.emplace(pDC, std::move(s));
  return pDC;
}

void CViewWidget::FreeWindowSurface(CDC* pDC) {
  const auto it = m_surfaces.find(pDC);
  if (it == m_surfaces.end() || it->second.pImage != &m_imgScreen) return;
  m_surfaces.erase(it);
  if (m_screenPainter.isActive()) m_screenPainter.restore();
  if (--m_nWindowSurfaces == 0 && m_screenPainter.isActive()) m_screenPainter.end();
}

void CViewWidget::ReleaseDC(CDC* pDC) {
  FreeWindowSurface(pDC);
  m_pClient->update();
}

namespace {

// A bitmap beyond this many pixels is refused as GDI would refuse it; the caller reports
// the failure (or paints without a buffer) instead of exhausting memory.
bool IsBitmapSizeRefused(int cx, int cy) {
  constexpr qint64 kMaxPixels = qint64(1) << 28;
  return cx > 32767 || cy > 32767 || qint64(cx) * cy > kMaxPixels;
}

}  // namespace

CDC* CViewWidget::AddMemorySurface(Surface s, CDC* pCompatible) {
  const QImage* pCompat = ImageOf(pCompatible);
  const int dpmX = pCompat ? pCompat->dotsPerMeterX() : qRound(GetPixelsPerInchX() / 0.0254);
  const int dpmY = pCompat ? pCompat->dotsPerMeterY() : qRound(GetPixelsPerInchY() / 0.0254);
  s.pImage->setDotsPerMeterX(dpmX);
  s.pImage->setDotsPerMeterY(dpmY);
  s.pDC = std::make_unique<CQtDC>(s.pImage);
  CDC* pDC = s.pDC.get();
  m_surfaces.emplace(pDC, std::move(s));
  return pDC;
}

CDC* CViewWidget::CreateMemoryDC(CDC* pCompatible, int cxPixels, int cyPixels) {
  const int cx = std::max(cxPixels, 1);
  const int cy = std::max(cyPixels, 1);
  if (IsBitmapSizeRefused(cx, cy)) return nullptr;
  Surface s;
  // A bitmap as large as the window's pixels, like the window's surface.
  const qreal dpr = PixelRatio();
  const QSize pixels = PixelsOf(QSize(cx, cy));
  if (m_pSpareImage && m_pSpareImage->size() == pixels &&
      m_pSpareImage->devicePixelRatio() == dpr) {
    s.pOwnImage = std::move(m_pSpareImage);
  } else {
    m_pSpareImage.reset();
    s.pOwnImage = std::make_unique<QImage>(pixels, QImage::Format_ARGB32_Premultiplied);
    if (s.pOwnImage->isNull()) return nullptr;
    s.pOwnImage->setDevicePixelRatio(dpr);
  }
  // A new bitmap is blank paper, whatever the last user of a kept one drew on it.
  s.pOwnImage->fill(Qt::white);
  s.pImage = s.pOwnImage.get();
  return AddMemorySurface(std::move(s), pCompatible);
}

CDC* CViewWidget::OpenBackBuffer(CDC* pCompatible, int cxPixels, int cyPixels, bool& bKept) {
  bKept = false;
  const int cx = std::max(cxPixels, 1);
  const int cy = std::max(cyPixels, 1);
  if (IsBitmapSizeRefused(cx, cy)) return nullptr;
  const qreal dpr = PixelRatio();
  const QSize pixels = PixelsOf(QSize(cx, cy));
  bKept = m_imgBack.size() == pixels && m_imgBack.devicePixelRatio() == dpr;
  if (!bKept) {
    m_imgBack = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    if (m_imgBack.isNull()) return nullptr;
    m_imgBack.setDevicePixelRatio(dpr);
    m_imgBack.fill(Qt::white);
  }
  Surface s;
  s.pImage = &m_imgBack;
  return AddMemorySurface(std::move(s), pCompatible);
}

bool CViewWidget::ClipToPixels(CDC* pDC, const std::vector<CRect>& rcPixels) {
  auto* pQt = dynamic_cast<CQtDC*>(pDC);
  if (pQt == nullptr || ImageOf(pDC) == nullptr) return false;
  return pQt->ClipToPixels(rcPixels);
}

void CViewWidget::DeleteMemoryDC(CDC* pDC) {
  const auto it = m_surfaces.find(pDC);
  if (it == m_surfaces.end()) return;
  // The surface lets go of its bitmap before the bitmap is kept for the next one.
  it->second.pDC.reset();
  // Window-sized bitmaps are kept; a large export bitmap is not held on to.
  constexpr qint64 kMaxSparePixels = qint64(1) << 24;
  std::unique_ptr<QImage> pImage = std::move(it->second.pOwnImage);
  m_surfaces.erase(it);
  if (pImage && qint64(pImage->width()) * pImage->height() <= kMaxSparePixels) {
    m_pSpareImage = std::move(pImage);
  }
}

void CViewWidget::FillSolidRect(CDC* pDC, const CRect& rcPixels, COLORREF cr) {
  auto* pQt = dynamic_cast<CQtDC*>(pDC);
  if (pQt == nullptr || pQt->GetPainter() == nullptr) return;
  QPainter* p = pQt->GetPainter();
  p->save();
  p->resetTransform();
  p->setCompositionMode(QPainter::CompositionMode_Source);
  const QRect r =
      QRect(QPoint(rcPixels.left, rcPixels.top), QPoint(rcPixels.right, rcPixels.bottom))
          .normalized()
          .adjusted(0, 0, -1, -1);
  p->fillRect(r, QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr)));
  p->restore();
}

void CViewWidget::BitBlt(CDC* pDest, int x, int y, int cx, int cy, CDC* pSrc, int xSrc, int ySrc) {
  auto* pQtDest = dynamic_cast<CQtDC*>(pDest);
  const QImage* pSrcImage = ImageOf(pSrc);
  if (pQtDest == nullptr || pQtDest->GetPainter() == nullptr || pSrcImage == nullptr) return;
  // The block in device pixels of each surface; both are given in their logical units.
  const CPoint d0 = pDest->LPtoDP(CPoint{x, y});
  const CPoint d1 = pDest->LPtoDP(CPoint{x + cx, y + cy});
  const CPoint s0 = pSrc->LPtoDP(CPoint{xSrc, ySrc});
  const QRect dest = QRect(QPoint(d0.x, d0.y), QPoint(d1.x, d1.y)).normalized();
  // The source rectangle is in the source bitmap's own pixels.
  const qreal dpr = pSrcImage->devicePixelRatio();
  const QRectF src(s0.x * dpr, s0.y * dpr, dest.width() * dpr, dest.height() * dpr);
  QPainter* p = pQtDest->GetPainter();
  p->save();
  p->resetTransform();
  p->setCompositionMode(QPainter::CompositionMode_Source);
  p->drawImage(QRectF(dest), *pSrcImage, src);
  p->restore();
}

void CViewWidget::SetBitmapDimension(CDC*, CSize) {}

void CViewWidget::Invalidate() {
  m_bRenderPending = true;
  m_pClient->update();
}

void CViewWidget::ValidateParentRect(const CRect&) {}

void CViewWidget::PaintClient(QPaintEvent*) {
  const CRect rc = GetClientRect();
  if (m_imgScreen.size() != PixelsOf(QSize(rc.right, rc.bottom)) ||
      m_imgScreen.devicePixelRatio() != PixelRatio()) {
    m_bRenderPending = true;
  }
  if (m_bRenderPending && m_pView != nullptr && rc.right > 0 && rc.bottom > 0 && !IsBusy()) {
    m_bRenderPending = false;
    CDC* pDC = GetDC();
    // Mapped as every surface the view draws on, so that the copy of its buffer lands on
    // the window (what was drawn over the last one, such as the hover frame, goes).
    m_pView->OnPrepareDC(pDC);
    m_pView->OnDraw(pDC);
    FreeWindowSurface(pDC);
  }
  QPainter p(m_pClient);
  if (m_imgScreen.isNull()) {
    p.fillRect(m_pClient->rect(), Qt::white);
  } else {
    p.drawImage(0, 0, m_imgScreen);
  }
  if (m_pFrame != nullptr) m_pFrame->PaintOverlay(p);
  if (m_bCaretShown && m_bCaretPhase && m_bCaretCreated) {
    // The caret inverts what lies under it.
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.fillRect(QRect(m_ptCaret, m_szCaret), Qt::white);
  }
  if (m_pFrame != nullptr) m_pFrame->OnViewPainted();
}

// ---------------------------------------------------------------------------------------
// Scroll bars

void CViewWidget::ApplyScrollRange(int nBar) {
  const BarState& s = m_bars[nBar];
  const int page = std::max(s.nPage, 0);
  const int top = page > 0 ? std::max(s.nMin, s.nMax - page + 1) : std::max(s.nMin, s.nMax);
  QSignalBlocker block(m_pBars[nBar]);
  m_pBars[nBar]->setRange(s.nMin, top);
  m_pBars[nBar]->setPageStep(std::max(page, 1));
  m_pBars[nBar]->setSingleStep(std::max(page / 10, 1));
  m_pBars[nBar]->setSliderPosition(s.nPos);
}

void CViewWidget::ShowScrollBar(int nBar, bool bShow) {
  if (nBar != SB_HORZ && nBar != SB_VERT) return;
  m_pBars[nBar]->setVisible(bShow);
}

void CViewWidget::SetScrollRange(int nBar, int nMin, int nMax, bool) {
  if (nBar != SB_HORZ && nBar != SB_VERT) return;
  m_bars[nBar].nMin = nMin;
  m_bars[nBar].nMax = nMax;
  ApplyScrollRange(nBar);
}

void CViewWidget::SetScrollPage(int nBar, int nPage) {
  if (nBar != SB_HORZ && nBar != SB_VERT) return;
  m_bars[nBar].nPage = nPage;
  ApplyScrollRange(nBar);
}

void CViewWidget::SetScrollPos(int nBar, int nPos, bool) {
  if (nBar != SB_HORZ && nBar != SB_VERT) return;
  m_bars[nBar].nPos = nPos;
  QSignalBlocker block(m_pBars[nBar]);
  m_pBars[nBar]->setSliderPosition(nPos);
}

void CViewWidget::OnScrollAction(int nBar, int nAction) {
  if (m_pView == nullptr) return;
  int code = -1;
  switch (nAction) {
    case QAbstractSlider::SliderSingleStepSub:
      code = SB_LINEUP;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      code = SB_LINEDOWN;
      break;
    case QAbstractSlider::SliderPageStepSub:
      code = SB_PAGEUP;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      code = SB_PAGEDOWN;
      break;
    case QAbstractSlider::SliderToMinimum:
      code = SB_TOP;
      break;
    case QAbstractSlider::SliderToMaximum:
      code = SB_BOTTOM;
      break;
    case QAbstractSlider::SliderMove:
      code = SB_THUMBTRACK;
      break;
    default:
      return;
  }
  // Only a dragged thumb has a position to report; with any other code the view takes a
  // position other than 0 for one to jump to, and a line step from the top (position 1)
  // would jump back to the top.
  const int pos = code == SB_THUMBTRACK ? m_pBars[nBar]->sliderPosition() : 0;
  if (nBar == SB_HORZ) {
    m_pView->OnHScroll(code, pos);
  } else {
    m_pView->OnVScroll(code, pos);
  }
  // The view decides where the thumb stands; the bar must not move it on its own.
  m_pBars[nBar]->setSliderPosition(m_bars[nBar].nPos);
}

// ---------------------------------------------------------------------------------------
// Caret and cursors

void CViewWidget::CreateSolidCaret(int cx, int cy) {
  m_szCaret = QSize(std::max(cx, 1), std::max(cy, 1));
  m_bCaretCreated = true;
  m_bCaretShown = false;
}

void CViewWidget::SetCaretPos(CPoint ptClient) {
  const QRect old(m_ptCaret, m_szCaret);
  m_ptCaret = QPoint(ptClient.x, ptClient.y);
  m_pClient->update(old);
  m_pClient->update(QRect(m_ptCaret, m_szCaret));
}

void CViewWidget::ShowCaret() {
  if (!m_bCaretCreated) return;
  m_bCaretShown = true;
  m_bCaretPhase = true;
  m_pBlink->start();
  m_pClient->update(QRect(m_ptCaret, m_szCaret));
}

void CViewWidget::HideCaret() {
  m_bCaretShown = false;
  m_pBlink->stop();
  m_pClient->update(QRect(m_ptCaret, m_szCaret));
}

void CViewWidget::DestroyCaret() {
  HideCaret();
  m_bCaretCreated = false;
}

QCursor CViewWidget::CursorFor(int nCursor) const {
  switch (nCursor) {
    case IDC_ARROW:
      return Qt::ArrowCursor;
    case IDC_IBEAM:
      return Qt::IBeamCursor;
    case IDC_WAIT:
      return Qt::WaitCursor;
    case IDC_CROSS:
      return Qt::CrossCursor;
    case IDC_SIZENWSE:
      return Qt::SizeFDiagCursor;
    case IDC_SIZENESW:
      return Qt::SizeBDiagCursor;
    case IDC_SIZEWE:
      return Qt::SizeHorCursor;
    case IDC_SIZENS:
      return Qt::SizeVerCursor;
    case IDC_SIZEALL:
      return Qt::SizeAllCursor;
    default:
      return DrawnCursor(nCursor, PixelRatio());
  }
}

void CViewWidget::SetCursor(int nCursor) {
  if (nCursor == m_nCursor) return;
  m_nCursor = nCursor;
  m_pClient->setCursor(CursorFor(nCursor));
}

void CViewWidget::BeginWaitCursor() {
  if (m_nWaitDepth++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CViewWidget::EndWaitCursor() {
  if (m_nWaitDepth > 0 && --m_nWaitDepth == 0) QApplication::restoreOverrideCursor();
}

bool CViewWidget::IsKeyDown(int nVirtualKey) {
  if (nVirtualKey == VK_CONTROL || nVirtualKey == VK_LCONTROL) {
    if (m_pInputWatch->TakeKeyboardNews()) {
      m_bCtrlDown = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
    }
    return m_bCtrlDown;
  }
  return false;
}

void CViewWidget::SetCapture() {
  if (m_pClient->isVisible()) m_pClient->grabMouse();
}

void CViewWidget::ReleaseCapture() {
  if (QWidget::mouseGrabber() == m_pClient) m_pClient->releaseMouse();
}

// ---------------------------------------------------------------------------------------
// Timers and messages

void CViewWidget::SetTimer(int nId, int nMilliseconds) {
  QTimer*& timer = m_timers[nId];
  if (timer == nullptr) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, nId] { OnTimerElapsed(nId); });
  }
  timer->start(std::max(nMilliseconds, 0));
}

void CViewWidget::KillTimer(int nId) {
  const auto it = m_timers.find(nId);
  if (it != m_timers.end()) it->second->stop();
}

bool CViewWidget::IsTimerRunning(int nId) const {
  const auto it = m_timers.find(nId);
  return it != m_timers.end() && it->second->isActive();
}

void CViewWidget::OnTimerElapsed(int nId) {
  // The view's timers repeat until they are killed, so a tick let pass comes again.
  if (IsBusy()) return;
  if (m_pFrame != nullptr && m_pFrame->OnViewTimer(nId)) return;
  if (m_pView != nullptr) m_pView->OnTimer(nId);
}

void CViewWidget::PostMessage(int nMessage, std::intptr_t wParam, std::intptr_t lParam) {
  QMetaObject::invokeMethod(
      this,
      [this, nMessage, wParam, lParam] {
        if (IsBusy()) {
          m_heldMessages.push_back({nMessage, wParam, lParam});
        } else if (m_pView != nullptr) {
          m_pView->OnPostedMessage(nMessage, wParam, lParam);
        }
      },
      Qt::QueuedConnection);
}

void CViewWidget::SetBusy(bool bBusy) {
  if (bBusy) {
    ++m_nBusy;
    return;
  }
  if (m_nBusy == 0 || --m_nBusy > 0) return;
  // What waited is delivered in the order it came, after the work.
  std::vector<PostedMessage> held;
  held.swap(m_heldMessages);
  for (const PostedMessage& m : held) PostMessage(m.nMessage, m.wParam, m.lParam);
  m_pClient->update();
}

int CViewWidget::MessageBox(const std::string& strText, const std::string& strCaption,
                            unsigned nFlags, bool bOwned) {
  return CShellUi::MessageBox(bOwned ? this : nullptr, QString::fromStdString(strText),
                              QString::fromStdString(strCaption), nFlags);
}

namespace {

QPointer<QMenu> g_pOpenContextMenu;

}  // namespace

QMenu* CViewWidget::OpenContextMenu() { return g_pOpenContextMenu.data(); }

int CViewWidget::TrackPopupMenu(int nMenuId, CPoint ptScreen,
                                const std::vector<CMenuCheck>& checks) {
  const res::Language lang = m_pFrame != nullptr ? m_pFrame->Language() : res::Language::English;
  const res::MenuItem* pPopup = res::ContextMenu(nMenuId, lang);
  if (pPopup == nullptr) return 0;
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("ContextMenu%1").arg(nMenuId));
  std::map<int, QAction*> actions;
  AddMenuItems(&menu, pPopup->items, lang,
               [&actions](QMenu*, QAction* a) { actions[a->data().toInt()] = a; });
  for (const CMenuCheck& c : checks) {
    const auto it = actions.find(c.nCommand);
    if (it == actions.end()) continue;
    it->second->setCheckable(true);
    it->second->setChecked(c.bChecked);
  }
  g_pOpenContextMenu = &menu;
  QAction* pChosen = menu.exec(QPoint(ptScreen.x, ptScreen.y));
  g_pOpenContextMenu = nullptr;
  const int nId = pChosen != nullptr ? pChosen->data().toInt() : 0;
  if (nId != 0) {
    // The choice arrives as a command sent to the view window, after the menu is gone.
    QMetaObject::invokeMethod(
        this,
        [this, nId] {
          if (m_pView != nullptr) m_pView->OnWindowCommand(nId);
        },
        Qt::QueuedConnection);
  }
  return nId;
}

void CViewWidget::RouteCommand(int nId) {
  if (m_pInPlaceFrame != nullptr) {
    m_pInPlaceFrame->OnCommand(nId);
  } else if (m_pFrame != nullptr) {
    m_pFrame->OnCommand(nId);
  } else if (m_pView != nullptr) {
    m_pView->OnCommand(nId);
  }
}

QToolBar* CViewWidget::FrameToolBar() const {
  if (m_pInPlaceFrame != nullptr) return m_pInPlaceFrame->ToolBar();
  return m_pFrame != nullptr ? m_pFrame->ToolBar() : nullptr;
}

void CViewWidget::ShowToolBar(bool bShow) {
  if (QToolBar* pBar = FrameToolBar()) pBar->setVisible(bShow);
}

bool CViewWidget::IsToolBarShown() {
  const QToolBar* pBar = FrameToolBar();
  return pBar != nullptr && !pBar->isHidden();
}

void CViewWidget::RecordDrawBarPlacement() {
  if (CDDrawBar* pBar = DrawBar()) pBar->RecordPlacement();
}

int CViewWidget::GetUserDefaultUILanguage() { return SystemUiLanguage(); }

unsigned CViewWidget::RegisterClipboardFormat(const std::string& strName) {
  const auto it = m_clipboardFormats.find(strName);
  if (it != m_clipboardFormats.end()) return it->second;
  // Registered formats are numbered from 0xC000 up, one number per name.
  const unsigned n = 0xC000 + static_cast<unsigned>(m_clipboardFormats.size());
  m_clipboardFormats.emplace(strName, n);
  return n;
}

void CViewWidget::EndStartingUp() {
  if (m_pFrame != nullptr) m_pFrame->m_bStartingUp = 0;
}

void CViewWidget::ShowMainWindow(int nShowCommand) {
  if (m_pFrame == nullptr) return;
  // Show commands given one after another in one handler (maximize, then restore at once)
  // end in the last one: only that is applied, once control is back in the event loop, so
  // the window neither flickers nor is left with a state the window system reports late.
  const bool bPending = m_nPendingShow != 0;
  m_nPendingShow = nShowCommand;
  if (bPending) return;
  QTimer::singleShot(0, this, [this] {
    const int nShow = m_nPendingShow;
    m_nPendingShow = 0;
    if (nShow == SW_MAXIMIZE) {
      m_pFrame->showMaximized();
    } else if (nShow == SW_SHOWNORMAL) {
      m_pFrame->showNormal();
    } else {
      m_pFrame->show();
    }
  });
}

IClipboard* CViewWidget::GetClipboard() {
  // The pictures of a copy are drawn as the export draws them, and its molecules written,
  // when a program asks.
  if (!m_pClipboard)
    m_pClipboard = std::make_unique<CQtClipboard>(
        ClipboardPicture, ClipboardStructures, [this](const QMimeData* pData, CPoint ptCentre) {
          // Structures from other programs, when the clipboard holds no drawing.
          CStructureCommands* pStructure = StructureCommands();
          return pStructure != nullptr ? pStructure->PasteObjects(pData, ptCentre) : CObList{};
        });
  return m_pClipboard.get();
}

void CViewWidget::RunKillProtocol() {
  if (m_pFrame != nullptr) m_pFrame->RunKillProtocol();
}

void CViewWidget::UpdateAllItems() {
  if (m_pFrame != nullptr) m_pFrame->UpdateEmbeddedFile();
}

bool CViewWidget::DoFileSaveAs() { return m_pFrame != nullptr && m_pFrame->SaveAs(); }

bool CViewWidget::DoFileSave() { return m_pFrame != nullptr && m_pFrame->SaveToOwnPath(); }

bool CViewWidget::OpenFileAtStart(const std::string& strPath) {
  return m_pFrame != nullptr && m_pFrame->OpenFileInto(QString::fromStdString(strPath));
}

CDDrawBar* CViewWidget::DrawBar() const {
  return m_pFrame != nullptr ? m_pFrame->DrawBar() : nullptr;
}

CStructureCommands* CViewWidget::StructureCommands() const {
  return m_pFrame != nullptr ? m_pFrame->StructureCommands() : nullptr;
}

// ---------------------------------------------------------------------------------------
// The frame's commands

void CViewWidget::NewFile() {
  if (m_pFrame != nullptr) m_pFrame->OnFileNew();
}

void CViewWidget::OpenFile() {
  if (m_pFrame != nullptr) m_pFrame->OnFileOpen();
}

void CViewWidget::SaveFile() {
  if (m_pFrame != nullptr) m_pFrame->OnFileSave();
}

void CViewWidget::SaveCopyAs() {
  if (m_pFrame != nullptr) m_pFrame->SaveCopyAs();
}

void CViewWidget::OpenRecentFile(int nIndex) {
  if (m_pFrame != nullptr) m_pFrame->OnRecentFile(nIndex);
}

bool CViewWidget::HasRecentFiles() { return m_pFrame != nullptr && m_pFrame->HasRecentFiles(); }

void CViewWidget::ExportPicture() {
  if (m_pFrame != nullptr) m_pFrame->OnFileExportPicture();
}

void CViewWidget::OpenFramework() {
  if (m_pFrame != nullptr) m_pFrame->OnFrameworkOpen();
}

void CViewWidget::SaveFramework() {
  if (m_pFrame != nullptr) m_pFrame->OnFileSaveFramework();
}

bool CViewWidget::IsEmbeddedWindow() {
  return m_pFrame != nullptr && m_pFrame->ResourceSet() == res::kSetEmbedded;
}

void CViewWidget::PrintSetup() {
  if (m_pFrame != nullptr) m_pFrame->OnFilePrintSetup();
}

void CViewWidget::Print() {
  if (m_pFrame != nullptr) m_pFrame->OnFilePrint();
}

void CViewWidget::PrintPreview() {
  if (m_pFrame != nullptr) m_pFrame->OnFilePrintPreview();
}

void CViewWidget::ShowAbout() {
  if (m_pFrame != nullptr) m_pFrame->OnAbout();
}

void CViewWidget::Exit() {
  if (m_pFrame != nullptr) m_pFrame->close();
}

void CViewWidget::ToggleStatusBar() {
  if (m_pFrame != nullptr) m_pFrame->OnViewStatusBar();
}

void CViewWidget::ToggleDrawBar() {
  if (CDDrawBar* pBar = DrawBar()) pBar->OnDrawBarCommand();
}

void CViewWidget::SwitchLanguage(int nLanguageId) {
  if (m_pFrame != nullptr) m_pFrame->OnLanguage(nLanguageId);
}

void CViewWidget::ExportStructure() {
  if (CStructureCommands* p = StructureCommands()) p->OnExportStructure();
}

void CViewWidget::CopyAsSmiles() {
  if (CStructureCommands* p = StructureCommands()) p->CopyAsSmiles();
}

void CViewWidget::CopyAsInchi() {
  if (CStructureCommands* p = StructureCommands()) p->CopyAsInchi();
}

void CViewWidget::CheckStructure() {
  if (CStructureCommands* p = StructureCommands()) p->CheckStructure();
}

void CViewWidget::CleanStructure() {
  if (CStructureCommands* p = StructureCommands()) p->CleanStructure();
}

void CViewWidget::ShowZoom(double dZoom) {
  if (m_pFrame != nullptr) m_pFrame->ShowZoom(dZoom);
}

void CViewWidget::KeepSetting(const char* pszRecord, const char* pszValue) {
  if (m_pFrame != nullptr) m_pFrame->KeepSetting(pszRecord, pszValue);
}

bool CViewWidget::CanCleanStructure() {
  CStructureCommands* p = StructureCommands();
  return p != nullptr && p->CanClean();
}

void CViewWidget::ResetDrawBar() {
  if (CDDrawBar* pBar = DrawBar()) pBar->Reset();
}

void CViewWidget::DeactivateInPlace() {
  if (m_pInPlaceFrame != nullptr) m_pInPlaceFrame->Deactivate();
}

void CViewWidget::ClearDrawBarLatches() {
  if (CDDrawBar* pBar = DrawBar()) pBar->ClearLatches();
}

void CViewWidget::ReleaseDrawBarButtons() {
  if (CDDrawBar* pBar = DrawBar()) pBar->ReleaseButtons();
}

void CViewWidget::MessageBeep() { QApplication::beep(); }

namespace {

// Inverts the frame of a rectangle of the window's pixels on an image: one window pixel
// wide, which is as many of the image's pixels as its device pixel ratio says.
void InvertFrame(QImage& img, QRect r) {
  const qreal dpr = img.devicePixelRatio();
  const int k = std::max(1, qRound(dpr));
  r = r.normalized();
  r = QRect(QPoint(qFloor(r.left() * dpr), qFloor(r.top() * dpr)),
            QSize(std::max(1, (r.width() - 1) * k + k), std::max(1, (r.height() - 1) * k + k)))
          .intersected(img.rect());
  if (r.isEmpty()) return;
  auto invert = [&img](int x, int y) {
    QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
    line[x] = (line[x] & 0xFF000000u) | (~line[x] & 0x00FFFFFFu);
  };
  // Each pixel of the frame once: the top and bottom bands whole, the sides between them.
  const int nBand = std::min(k, (r.height() + 1) / 2);
  const int nSide = std::min(k, (r.width() + 1) / 2);
  for (int i = 0; i < nBand; ++i) {
    for (int x = r.left(); x <= r.right(); ++x) {
      invert(x, r.top() + i);
      if (r.bottom() - i != r.top() + i) invert(x, r.bottom() - i);
    }
  }
  for (int y = r.top() + nBand; y <= r.bottom() - nBand; ++y) {
    for (int i = 0; i < nSide; ++i) {
      invert(r.left() + i, y);
      if (r.right() - i != r.left() + i) invert(r.right() - i, y);
    }
  }
}

QRect PixelRect(const CRect& rc) {
  return QRect(QPoint(rc.left, rc.top), QPoint(rc.right, rc.bottom)).normalized();
}

}  // namespace

void CViewWidget::DrawDragRect(CDC* pDC, const CRect& rcPixels, const CRect* prcLast) {
  QImage* pImage = ImageOf(pDC);
  if (pImage == nullptr || pImage->format() != QImage::Format_ARGB32_Premultiplied) return;
  auto* pQt = dynamic_cast<CQtDC*>(pDC);
  // What the surface's painter has drawn so far must be in the image before it is inverted.
  // The back buffer's painter draws straight into the image's pixels and stays active: the
  // other window surfaces that share it keep their saved states.
  QPainter* p = pQt != nullptr ? pQt->GetPainter() : nullptr;
  if (p == &m_screenPainter) p = nullptr;
  if (p != nullptr && p->isActive()) p->end();
  if (prcLast != nullptr) InvertFrame(*pImage, PixelRect(*prcLast));
  InvertFrame(*pImage, PixelRect(rcPixels));
  if (p != nullptr) p->begin(pImage);
  m_pClient->update();
}

int CViewWidget::DoEntryDialog(const CEntryDialogText& text) {
  return CEntryDialog::Run(m_pView, text, window());
}

void CViewWidget::FocusEntryField() {
  if (CEntryDialog* pDialog = CEntryDialog::Open()) pDialog->FocusField();
}

void CViewWidget::SetEntryFieldText(const std::string& strText) {
  if (CEntryDialog* pDialog = CEntryDialog::Open()) pDialog->SetFieldText(strText);
}

bool CViewWidget::ChooseColor(COLORREF crInitial, COLORREF& crChosen) {
  const QColor initial(GetRValue(crInitial), GetGValue(crInitial), GetBValue(crInitial));
  // Cancelled, the dialog answers with an invalid colour.
  const QColor chosen = QColorDialog::getColor(initial, window());
  if (!chosen.isValid()) return false;
  crChosen = RGB(chosen.red(), chosen.green(), chosen.blue());
  return true;
}

// ---------------------------------------------------------------------------------------
// Events of the client area

int CViewWidget::VirtualKeyOf(int nQtKey) {
  if (nQtKey >= Qt::Key_A && nQtKey <= Qt::Key_Z) return 0x41 + (nQtKey - Qt::Key_A);
  if (nQtKey >= Qt::Key_0 && nQtKey <= Qt::Key_9) return 0x30 + (nQtKey - Qt::Key_0);
  if (nQtKey >= Qt::Key_F1 && nQtKey <= Qt::Key_F24) return 0x70 + (nQtKey - Qt::Key_F1);
  switch (nQtKey) {
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Shift:
      return 0x10;
    case Qt::Key_Control:
      return 0x11;
    case Qt::Key_Alt:
      return 0x12;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_Space:
      return 0x20;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
    case Qt::Key_Insert:
      return 0x2D;
    case Qt::Key_Delete:
      return 0x2E;
    default:
      return 0;
  }
}

unsigned CViewWidget::MouseFlagsOf(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  unsigned flags = 0;
  if (buttons.testFlag(Qt::LeftButton)) flags |= MK_LBUTTON;
  if (buttons.testFlag(Qt::RightButton)) flags |= MK_RBUTTON;
  if (modifiers.testFlag(Qt::ShiftModifier)) flags |= MK_SHIFT;
  if (modifiers.testFlag(Qt::ControlModifier)) flags |= MK_CONTROL;
  return flags;
}

void CViewWidget::OnKeyPress(QKeyEvent* pEvent) {
  if (m_pView == nullptr) return;
  if (pEvent->key() == Qt::Key_F10 && pEvent->modifiers() == Qt::ShiftModifier) {
    // Shift+F10 is the menu key of keyboards without one.
    m_pView->OnContextMenu(CPoint{-1, -1});
    return;
  }
  // Accelerators have been taken by the frame already; the rest is a key and its text.
  const int vk = VirtualKeyOf(pEvent->key());
  if (vk != 0) m_pView->OnKeyDown(vk);
  if (m_pView == nullptr) return;
  const QString text = pEvent->text();
  for (const char32_t ch : text.toUcs4()) {
    m_pView->OnChar(CTextMetrics::EncodeChar(ch, m_pView->TypingCodePage()));
  }
}

bool CViewWidget::eventFilter(QObject* pWatched, QEvent* pEvent) {
  if (pWatched != m_pClient) return QWidget::eventFilter(pWatched, pEvent);
  switch (pEvent->type()) {
    case QEvent::Paint:
      PaintClient(static_cast<QPaintEvent*>(pEvent));
      return true;
    case QEvent::Resize:
      m_bRenderPending = true;
      if (m_pView != nullptr) m_pView->OnSize();
      return false;
    case QEvent::Wheel: {
      const int delta = static_cast<QWheelEvent*>(pEvent)->angleDelta().y();
      if (delta != 0 && m_pView != nullptr) m_pView->OnMouseWheel(delta);
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      if (m_pView == nullptr) return false;
      auto* e = static_cast<QMouseEvent*>(pEvent);
      const QPoint pos = e->position().toPoint();
      const CPoint pt{pos.x(), pos.y()};
      const unsigned flags = MouseFlagsOf(e->buttons(), e->modifiers());
      if (pEvent->type() == QEvent::MouseMove) {
        m_pView->OnMouseMove(flags, pt);
      } else if (e->button() == Qt::LeftButton) {
        if (pEvent->type() == QEvent::MouseButtonPress) {
          m_pClient->setFocus(Qt::MouseFocusReason);
          m_pView->OnLButtonDown(flags, pt);
        } else if (pEvent->type() == QEvent::MouseButtonRelease) {
          m_pView->OnLButtonUp(flags, pt);
        } else {
          m_pView->OnLButtonDblClk(flags, pt);
        }
      }
      return true;
    }
    case QEvent::Leave:
      if (m_pView != nullptr) m_pView->OnMouseLeave();
      return false;
    case QEvent::KeyPress:
      OnKeyPress(static_cast<QKeyEvent*>(pEvent));
      return true;
    case QEvent::FocusIn:
      if (m_pView != nullptr) m_pView->OnSetFocus();
      return false;
    case QEvent::FocusOut:
      if (m_pView != nullptr) m_pView->OnKillFocus();
      return false;
    case QEvent::ContextMenu: {
      if (m_pView == nullptr) return true;
      auto* e = static_cast<QContextMenuEvent*>(pEvent);
      // The keyboard's menu key asks for the menu at the selection, not at the pointer.
      if (e->reason() == QContextMenuEvent::Keyboard) {
        m_pView->OnContextMenu(CPoint{-1, -1});
      } else {
        m_pView->OnContextMenu(CPoint{e->globalPos().x(), e->globalPos().y()});
      }
      return true;
    }
    default:
      return false;
  }
}

QDialog* CViewWidget::EntryDialog() { return CEntryDialog::Open(); }
