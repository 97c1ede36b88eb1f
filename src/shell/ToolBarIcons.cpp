#include "shell/ToolBarIcons.h"

#include <QPainter>
#include <QPainterPath>

#include "resources/CommandIds.h"

namespace {

void Page(QPainter& p, const QRectF& r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 3, r.top());
  path.lineTo(r.right(), r.top() + 3);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setBrush(Qt::white);
  p.drawPath(path);
}

void Disk(QPainter& p, const QColor& body) {
  p.setBrush(body);
  p.drawRect(QRectF(1.5, 1.5, 12, 12));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(4.5, 1.5, 6, 4));
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(QRectF(3.5, 8.5, 8, 5));
}

void Magnifier(QPainter& p, int sign) {
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
  p.setPen(QPen(QColor(90, 60, 20), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(10, 10), QPointF(14, 13.5));
  p.setPen(QPen(Qt::black, 1.2));
  if (sign != 0) p.drawLine(QPointF(4.5, 6.5), QPointF(8.5, 6.5));
  if (sign > 0) p.drawLine(QPointF(6.5, 4.5), QPointF(6.5, 8.5));
  if (sign == 0) {
    p.drawLine(QPointF(6.5, 4.3), QPointF(6.5, 8.8));
    p.drawLine(QPointF(5.5, 5), QPointF(6.5, 4.3));
  }
}

void CurvedArrow(QPainter& p, bool bLeft) {
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(20, 60, 160), 1.6));
  QPainterPath arc;
  if (bLeft) {
    arc.moveTo(4, 6);
    arc.cubicTo(8, 1, 15, 4, 12, 12);
  } else {
    arc.moveTo(12, 6);
    arc.cubicTo(8, 1, 1, 4, 4, 12);
  }
  p.drawPath(arc);
  p.setBrush(QColor(20, 60, 160));
  p.setPen(Qt::NoPen);
  QPolygonF head;
  if (bLeft) {
    head << QPointF(1, 6.5) << QPointF(6.5, 3) << QPointF(6, 9);
  } else {
    head << QPointF(15, 6.5) << QPointF(9.5, 3) << QPointF(10, 9);
  }
  p.drawPolygon(head);
}

void Mirror(QPainter& p, bool bVertical) {
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(40, 120, 40));
  QPolygonF a, b;
  if (bVertical) {
    // Mirrored about a vertical axis: left and right.
    a << QPointF(1, 12) << QPointF(6.5, 12) << QPointF(6.5, 3);
    b << QPointF(15, 12) << QPointF(9.5, 12) << QPointF(9.5, 3);
    p.drawPolygon(a);
    p.setBrush(Qt::white);
    p.drawPolygon(b);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawLine(QPointF(8, 0.5), QPointF(8, 14.5));
  } else {
    a << QPointF(2, 1) << QPointF(2, 6.5) << QPointF(13, 6.5);
    b << QPointF(2, 14) << QPointF(2, 8.5) << QPointF(13, 8.5);
    p.drawPolygon(a);
    p.setBrush(Qt::white);
    p.drawPolygon(b);
    p.setPen(QPen(Qt::black, 1, Qt::DotLine));
    p.drawLine(QPointF(0.5, 7.5), QPointF(15.5, 7.5));
  }
}

void Folder(QPainter& p) {
  p.setBrush(QColor(240, 200, 80));
  p.drawRect(QRectF(1.5, 4.5, 12, 8));
  p.setBrush(QColor(250, 225, 130));
  p.drawPolygon(
      QPolygonF({QPointF(1.5, 12.5), QPointF(4.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 12.5)}));
}

// The disk with a green plus: a copy is saved.
void DiskWithPlus(QPainter& p) {
  Disk(p, QColor(40, 80, 170));
  p.setPen(QPen(QColor(0, 130, 0), 2));
  p.drawLine(QPointF(12.5, 9), QPointF(12.5, 15));
  p.drawLine(QPointF(9.5, 12), QPointF(15.5, 12));
}

// An arrow going back into a document: the container is brought up to date.
void UpdateArrow(QPainter& p) {
  CurvedArrow(p, false);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(6.5, 9.5, 6, 4));
}

void Scissors(QPainter& p) {
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(4.5, 11.5), 2.5, 2.5);
  p.drawEllipse(QPointF(11.5, 11.5), 2.5, 2.5);
  p.drawLine(QPointF(6, 9.5), QPointF(11, 1));
  p.drawLine(QPointF(10, 9.5), QPointF(5, 1));
}

// Two pages; copying the selection alone marks a dotted frame on the front one.
void Copies(QPainter& p, bool bSelection) {
  Page(p, QRectF(1.5, 1.5, 8, 10));
  Page(p, QRectF(6.5, 4.5, 8, 10));
  if (bSelection) {
    p.setPen(QPen(QColor(200, 0, 0), 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(8.5, 7.5, 4, 4));
  }
}

void Clipboard(QPainter& p) {
  p.setBrush(QColor(170, 120, 60));
  p.drawRect(QRectF(1.5, 2.5, 10, 12));
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(QRectF(4.5, 0.5, 4, 3));
  Page(p, QRectF(7.5, 6.5, 7, 8));
}

void Printer(QPainter& p) {
  Page(p, QRectF(4.5, 0.5, 7, 5));
  p.setBrush(QColor(160, 160, 160));
  p.drawRect(QRectF(1.5, 5.5, 13, 6));
  Page(p, QRectF(4.5, 9.5, 7, 5));
}

void QuestionMark(QPainter& p) {
  p.setBrush(QColor(250, 250, 200));
  p.drawEllipse(QRectF(1.5, 0.5, 13, 13));
  QFont f;
  f.setPixelSize(11);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(20, 60, 160));
  p.drawText(QRectF(1.5, 0.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

void Draw(QPainter& p, int id) {
  p.setPen(QPen(Qt::black, 1));
  switch (id) {
    case cmd::kFileNew:
      Page(p, QRectF(3.5, 1.5, 9, 12));
      break;
    case cmd::kFileOpen:
      Folder(p);
      break;
    case cmd::kFileSave:
      Disk(p, QColor(40, 80, 170));
      break;
    case cmd::kFileSaveCopyAs:
      DiskWithPlus(p);
      break;
    case cmd::kFileUpdate:
      UpdateArrow(p);
      break;
    case cmd::kEditCut:
      Scissors(p);
      break;
    case cmd::kEditCopy:
    case cmd::kEditCopySelection:
      Copies(p, id == cmd::kEditCopySelection);
      break;
    case cmd::kEditPaste:
      Clipboard(p);
      break;
    case cmd::kEditUndo:
      CurvedArrow(p, true);
      break;
    case cmd::kEditRedo:
      CurvedArrow(p, false);
      break;
    case cmd::kZoomIn:
      Magnifier(p, 1);
      break;
    case cmd::kZoomOut:
      Magnifier(p, -1);
      break;
    case cmd::kZoomDefault:
      Magnifier(p, 0);
      break;
    case cmd::kMirrorVertical:
      Mirror(p, true);
      break;
    case cmd::kMirrorHorizontal:
      Mirror(p, false);
      break;
    case cmd::kFilePrint:
      Printer(p);
      break;
    case cmd::kAppAbout:
      QuestionMark(p);
      break;
    default:
      p.drawRect(QRectF(2.5, 2.5, 10, 10));
      break;
  }
}

}  // namespace

QIcon ToolBarIcon(int nCommand) {
  QIcon icon;
  for (int scale : {1, 2}) {
    QPixmap pm(16 * scale, 15 * scale);
    pm.setDevicePixelRatio(scale);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    Draw(p, nCommand);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}
