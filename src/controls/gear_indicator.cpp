#include "controls/gear_indicator.h"

#include <QPainter>

#include "app/gear_bars.h"
#include "controls/repaint_ticker.h"

namespace vel {
namespace {

const QColor kOutline(0, 0, 255);
const QColor kBar(255, 255, 0);
const QColor kHighlight(255, 0, 0);

}  // namespace

CGearIndicator::CGearIndicator(GearIndicator side, QWidget* parent) : QWidget(parent), side_(side) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  // A tick repaints only what changed: the bars stay as they are for most
  // of a ride.
  RepaintTicker::Of(kRepaintMs).Join(this, [this] {
    if (!changed_) return;
    changed_ = false;
    update();
  });
}

void CGearIndicator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  painter.setPen(QPen(kOutline, 1));
  for (const GearBar& bar : LayOutGearBars(side_, count_, selected_, width(), height())) {
    painter.setBrush(bar.highlighted ? kHighlight : kBar);
    // A 1-pixel outline on the bar's own edge pixels, filled inside.
    painter.drawRect(bar.left, bar.top, bar.right - bar.left - 1, bar.bottom - bar.top - 1);
  }
}

}  // namespace vel
