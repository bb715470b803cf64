#include "ui/vel_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace vel {

namespace {

QPixmap Draw(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 64.0, size / 64.0);
  // The wheel: a red disk with a dark rim.
  painter.setPen(QPen(QColor(0x80, 0x10, 0x10), 4));
  painter.setBrush(QColor(0xE0, 0x20, 0x20));
  painter.drawEllipse(QRectF(4, 4, 56, 56));
  // The "V".
  QPainterPath v;
  v.moveTo(18, 18);
  v.lineTo(32, 48);
  v.lineTo(46, 18);
  painter.setPen(QPen(Qt::white, 8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(v);
  return pixmap;
}

}  // namespace

QIcon VelIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64, 128}) icon.addPixmap(Draw(size));
  return icon;
}

}  // namespace vel
