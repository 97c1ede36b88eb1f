#include "shell/CAboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtMath>
#include <cmath>

namespace {

// A benzene ring, the program's picture.
// Drawn at the screen's device pixel ratio, so that it is sharp on a scaled screen.
QPixmap RingPicture(qreal dpr) {
  QPixmap pm(qCeil(40 * dpr), qCeil(42 * dpr));
  pm.setDevicePixelRatio(dpr);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 2));
  QPolygonF hex;
  for (int i = 0; i < 6; ++i) {
    const double a = M_PI / 3 * i + M_PI / 6;
    hex << QPointF(20 + 17 * std::cos(a), 21 + 17 * std::sin(a));
  }
  p.drawPolygon(hex);
  p.drawEllipse(QPointF(20, 21), 9, 9);
  return pm;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* pParent, res::Language lang) : QDialog(pParent) {
  setObjectName(QStringLiteral("CAboutDlg"));
  setWindowTitle(QString::fromUtf8(res::Messages(lang).aboutCaption));
  auto* picture = new QLabel(this);
  picture->setPixmap(
      RingPicture(pParent != nullptr ? pParent->devicePixelRatioF() : qApp->devicePixelRatio()));
  auto* text = new QVBoxLayout;
  for (const char* line : res::AboutLines(lang))
    text->addWidget(new QLabel(QString::fromUtf8(line), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* row = new QHBoxLayout(this);
  row->addWidget(picture, 0, Qt::AlignTop);
  row->addLayout(text, 1);
  row->addWidget(buttons, 0, Qt::AlignTop);
}
