#include "controls/class_ranking_strip.h"

#include <QPainter>
#include <algorithm>

#include "common/room.h"
#include "controls/gulim_font.h"

namespace vel {
namespace {

const QColor kBackground(12, 12, 16);
const QColor kText(235, 235, 235);
const QColor kFirst(255, 200, 40);

}  // namespace

CClassRankingStrip::CClassRankingStrip(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumHeight(48);
}

void CClassRankingStrip::Show(std::vector<RankedRider> ranked, RankBy by) {
  ranked_ = std::move(ranked);
  by_ = by;
  update();
}

void CClassRankingStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  // As many cells as a room has riders, so a place stays where it is.
  const int cells = kRiderPanels;
  const int cellWidth = width() / cells;
  const int line = height() / 2;
  // As large as a line allows and a cell can hold "10 라이더10" or a value.
  const int byWidth = static_cast<int>(cellWidth / 6.5);
  const QFont name = GulimFont(std::max(8, std::min(line * 8 / 10, byWidth)), QFont::Bold);
  const QFont value = GulimFont(std::max(8, std::min(line * 7 / 10, byWidth)), QFont::Normal);
  for (std::size_t i = 0; i < ranked_.size() && static_cast<int>(i) < cells; ++i) {
    const RankedRider& rider = ranked_[i];
    const QRect top(static_cast<int>(i) * cellWidth + 4, 0, cellWidth - 8, line);
    const QRect bottom(top.x(), line, top.width(), height() - line);
    painter.setPen(rider.place == 1 ? kFirst : kText);
    painter.setFont(name);
    const QString label =
        QStringLiteral("%1 %2").arg(rider.place).arg(QString::fromStdString(rider.name));
    painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(label, Qt::ElideRight, top.width()));
    painter.setFont(value);
    painter.drawText(bottom, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     QString::fromStdString(RankValueText(rider.value, by_)));
  }
}

}  // namespace vel
