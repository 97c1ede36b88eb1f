#include "CPictureSite.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The placeholder of a drawing that has no picture yet.
constexpr QSize kPlaceholderSize{240, 120};

}  // namespace

CPictureSite::CPictureSite(QWidget* pParent) : QWidget(pParent) {
  setObjectName(QStringLiteral("PictureSite"));
  setToolTip(tr("Double-click to edit the drawing"));
}

bool CPictureSite::Load(const QString& strSvgPath) {
  m_bHasPicture = QFileInfo::exists(strSvgPath) && m_renderer.load(strSvgPath);
  setFixedSize(PictureSize());
  m_bAnnounce = true;
  update();
  return m_bHasPicture;
}

QSize CPictureSite::PictureSize() const {
  return m_bHasPicture ? m_renderer.defaultSize().expandedTo(QSize(1, 1)) : kPlaceholderSize;
}

WId CPictureSite::BeginEditing(QSize sz) {
  m_pEditSite = new QWidget(this);
  m_pEditSite->setObjectName(QStringLiteral("EditSite"));
  m_pEditSite->setAttribute(Qt::WA_NativeWindow);
  ResizeEditing(sz);
  m_pEditSite->show();
  return m_pEditSite->winId();
}

void CPictureSite::ResizeEditing(QSize sz) {
  if (m_pEditSite == nullptr) return;
  setFixedSize(sz);
  m_pEditSite->setGeometry(QRect(QPoint(0, 0), sz));
}

void CPictureSite::EndEditing() {
  delete m_pEditSite;
  m_pEditSite = nullptr;
}

void CPictureSite::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (IsEditing()) return;  // the editor's window covers the site
  p.fillRect(rect(), Qt::white);
  if (m_bHasPicture) {
    m_renderer.render(&p, QRectF(rect()));
  } else {
    p.setPen(QPen(Qt::gray, 1, Qt::DashLine));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.drawText(rect(), Qt::AlignCenter, tr("Double-click to edit the drawing"));
  }
  if (m_bHover) {
    // The frame a word processor shows around an object the pointer is over.
    p.setPen(QPen(QColor(0, 120, 215), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
  }
  if (m_bAnnounce) {
    m_bAnnounce = false;
    emit pictureShown(QRect(mapToGlobal(QPoint(0, 0)), size()));
  }
}

void CPictureSite::mouseDoubleClickEvent(QMouseEvent* pEvent) {
  if (pEvent->button() == Qt::LeftButton && !IsEditing()) emit editRequested();
}

void CPictureSite::enterEvent(QEnterEvent*) {
  m_bHover = true;
  update();
}

void CPictureSite::leaveEvent(QEvent*) {
  m_bHover = false;
  update();
}
