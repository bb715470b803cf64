#include "controls/custom_static.h"

#include <QPainter>
#include <QResizeEvent>

#include "controls/gulim_font.h"

namespace vel {

CCustomStatic::CCustomStatic(QWidget* parent)
    : QWidget(parent), textPainter_(GulimFont(height(), QFont::Black)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CCustomStatic::SetText(const QString& text) {
  // The board sets every value at every reading; most are what they were.
  if (text == text_) return;
  text_ = text;
  update();
}

void CCustomStatic::resizeEvent(QResizeEvent* event) {
  if (event->size().height() != event->oldSize().height()) {
    textPainter_ = NumberText(GulimFont(event->size().height(), QFont::Black));
  }
  QWidget::resizeEvent(event);
}

void CCustomStatic::paintEvent(QPaintEvent*) {
  // The window's backing store is the off-screen picture: nothing flickers.
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.setPen(QColor(255, 0, 0));
  textPainter_.Draw(painter, QPoint(0, 0), text_);
}

}  // namespace vel
