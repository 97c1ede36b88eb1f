#include "shell/CBitmapButton.h"

#include <QPainter>

#include "shell/ButtonPictures.h"

CBitmapButton::CBitmapButton(QWidget* pParent) : QAbstractButton(pParent) {
  setFocusPolicy(Qt::StrongFocus);
}

void CBitmapButton::AutoLoad(int nId, const std::string& strCaption, QSize sizePicture) {
  m_nId = nId;
  m_strCaption = strCaption;
  m_sizePicture = sizePicture;
  m_dDrawnRatio = 0.0;
  setObjectName(QString::fromStdString(strCaption));
  setFixedSize(sizePicture);
}

void CBitmapButton::SetState(bool bPressed) {
  if (m_bState == bPressed) return;
  m_bState = bPressed;
  update();
}

const QImage& CBitmapButton::Picture(bool bPressed) {
  const qreal dRatio = devicePixelRatioF();
  if (dRatio != m_dDrawnRatio) {
    m_pictures[0] = DrawButtonPicture(m_strCaption, false, m_sizePicture, dRatio);
    m_pictures[1] = DrawButtonPicture(m_strCaption, true, m_sizePicture, dRatio);
    m_dDrawnRatio = dRatio;
  }
  return m_pictures[bPressed ? 1 : 0];
}

void CBitmapButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), Picture(ShowsPressed()));
  if (hasFocus()) {
    // The focus rectangle, dotted, inside the edge.
    QPen pen(Qt::black, 1, Qt::DotLine);
    painter.setPen(pen);
    painter.drawRect(rect().adjusted(3, 3, -4, -4));
  }
}
