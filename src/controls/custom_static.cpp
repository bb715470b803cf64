#include "controls/custom_static.h"

#include <QPainter>
#include <QResizeEvent>

#include "controls/gulim_font.h"

namespace vel {

CCustomStatic::CCustomStatic(QWidget* parent)
    : QWidget(parent), font_(GulimFont(height(), QFont::Black)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CCustomStatic::SetText(const QString& text) {
  text_ = text;
  update();
}

void CCustomStatic::resizeEvent(QResizeEvent* event) {
  if (event->size().height() != event->oldSize().height()) {
    font_ = GulimFont(event->size().height(), QFont::Black);
  }
  QWidget::resizeEvent(event);
}

void CCustomStatic::paintEvent(QPaintEvent*) {
  {
    QPainter painter(&buffer_.Start(*this, Qt::white));
    painter.setFont(font_);
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text_);
  }
  buffer_.Show(*this);
}

}  // namespace vel
