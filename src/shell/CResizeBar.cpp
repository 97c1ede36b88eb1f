#include "shell/CResizeBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace {

// Which sides a handle moves: -1 the left (top) side, +1 the right (bottom) side, 0 none.
struct HandleSides {
  int dx;
  int dy;
};

constexpr HandleSides kSides[CResizeBar::kHandleCount] = {
    {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0},
};

}  // namespace

CResizeBar::CResizeBar(QWidget* pParent) : QWidget(pParent) {
  setObjectName(QStringLiteral("ResizeBar"));
  setMouseTracking(true);
  auto* pLayout = new QVBoxLayout(this);
  pLayout->setContentsMargins(kBorder, kBorder, kBorder, kBorder);
  pLayout->setSpacing(0);
}

void CResizeBar::SetClient(QWidget* pClient) { layout()->addWidget(pClient); }

QRect CResizeBar::HandleRect(int nHandle) const {
  if (nHandle < 0 || nHandle >= kHandleCount) return {};
  const HandleSides s = kSides[nHandle];
  const int x = s.dx < 0 ? 0 : s.dx > 0 ? width() - kBorder : (width() - kBorder) / 2;
  const int y = s.dy < 0 ? 0 : s.dy > 0 ? height() - kBorder : (height() - kBorder) / 2;
  return QRect(x, y, kBorder, kBorder);
}

int CResizeBar::HandleAt(QPoint pt) const {
  for (int i = 0; i < kHandleCount; ++i) {
    if (HandleRect(i).contains(pt)) return i;
  }
  return kNone;
}

QSize CResizeBar::ResizedBy(QSize sz, int nHandle, QPoint delta, QSize szMin) {
  if (nHandle < 0 || nHandle >= kHandleCount) return sz;
  const HandleSides s = kSides[nHandle];
  const int cx = sz.width() + s.dx * delta.x();
  const int cy = sz.height() + s.dy * delta.y();
  return QSize(std::max(cx, szMin.width()), std::max(cy, szMin.height()));
}

void CResizeBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect();
  p.fillRect(r, palette().window());
  // The border: thin diagonal hatching, the look of an object being edited in place.
  const QBrush hatch(palette().windowText().color(), Qt::BDiagPattern);
  p.fillRect(QRect(0, 0, r.width(), kBorder), hatch);
  p.fillRect(QRect(0, r.height() - kBorder, r.width(), kBorder), hatch);
  p.fillRect(QRect(0, kBorder, kBorder, r.height() - 2 * kBorder), hatch);
  p.fillRect(QRect(r.width() - kBorder, kBorder, kBorder, r.height() - 2 * kBorder), hatch);
  for (int i = 0; i < kHandleCount; ++i) p.fillRect(HandleRect(i), palette().windowText());
}

void CResizeBar::ShowHandleCursor(int nHandle) {
  switch (nHandle) {
    case kTopLeft:
    case kBottomRight:
      setCursor(Qt::SizeFDiagCursor);
      break;
    case kTopRight:
    case kBottomLeft:
      setCursor(Qt::SizeBDiagCursor);
      break;
    case kTop:
    case kBottom:
      setCursor(Qt::SizeVerCursor);
      break;
    case kLeft:
    case kRight:
      setCursor(Qt::SizeHorCursor);
      break;
    default:
      unsetCursor();
      break;
  }
}

void CResizeBar::mousePressEvent(QMouseEvent* pEvent) {
  const int nHandle = HandleAt(pEvent->position().toPoint());
  if (pEvent->button() != Qt::LeftButton || nHandle == kNone) {
    QWidget::mousePressEvent(pEvent);
    return;
  }
  m_nTracking = nHandle;
  m_ptStart = pEvent->globalPosition().toPoint();
  m_szStart = window()->size();
}

void CResizeBar::mouseMoveEvent(QMouseEvent* pEvent) {
  if (m_nTracking == kNone) {
    ShowHandleCursor(HandleAt(pEvent->position().toPoint()));
    return;
  }
  const QPoint delta = pEvent->globalPosition().toPoint() - m_ptStart;
  window()->resize(ResizedBy(m_szStart, m_nTracking, delta, window()->minimumSize()));
}

void CResizeBar::mouseReleaseEvent(QMouseEvent* pEvent) {
  if (m_nTracking == kNone || pEvent->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(pEvent);
    return;
  }
  m_nTracking = kNone;
  if (window()->size() != m_szStart && m_fnResized) m_fnResized(window()->size());
}
