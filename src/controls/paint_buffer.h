#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace vel {

// Double buffering for the drawn controls: a control paints a whole
// picture off screen and copies it to the window in one go, so a repaint
// never flickers. The picture is kept between paints.
class PaintBuffer {
 public:
  // The picture at the widget's size, filled with `background`.
  QPixmap& Start(const QWidget& widget, const QColor& background);
  // Copies the picture onto the widget; call from its paint event.
  void Show(QWidget& widget) const;

 private:
  QPixmap pixmap_;
};

}  // namespace vel
