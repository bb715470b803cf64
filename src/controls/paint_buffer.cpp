#include "controls/paint_buffer.h"

#include <QPainter>

namespace vel {

QPixmap& PaintBuffer::Start(const QWidget& widget, const QColor& background) {
  const qreal ratio = widget.devicePixelRatioF();
  const QSize pixels = widget.size() * ratio;
  if (pixmap_.size() != pixels) {
    pixmap_ = QPixmap(pixels);
    pixmap_.setDevicePixelRatio(ratio);
  }
  pixmap_.fill(background);
  return pixmap_;
}

void PaintBuffer::Show(QWidget& widget) const { QPainter(&widget).drawPixmap(0, 0, pixmap_); }

}  // namespace vel
