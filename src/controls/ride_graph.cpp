#include "controls/ride_graph.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

#include "app/ride_graph_layout.h"
#include "controls/windows_colour.h"

namespace vel {
namespace {

const QColor kGridColour(0, 80, 0);
const QColor kMarkColour(160, 160, 160);
constexpr int kLineWidth = 2;

}  // namespace

CRideGraph::CRideGraph(QWidget* parent) : QWidget(parent) {
  setMinimumSize(360, 160);
  setAutoFillBackground(false);
}

void CRideGraph::SetRide(const Ride& ride) {
  ride_ = ride;
  update();
}

void CRideGraph::Clear() {
  ride_ = Ride{};
  update();
}

void CRideGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  if (ride_.samples.empty()) return;
  const RideGraphPicture picture = LayOutRideGraph(ride_, width(), height());
  painter.setFont(font());
  for (const auto& mark : picture.valueMarks) {
    painter.setPen(QPen(kGridColour, 1));
    painter.drawLine(picture.plotLeft, mark.at, picture.plotRight - 1, mark.at);
    painter.setPen(kMarkColour);
    painter.drawText(QRect(0, mark.at - 8, picture.plotLeft - 4, 16),
                     Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(mark.text));
  }
  for (const auto& mark : picture.timeMarks) {
    painter.setPen(QPen(kGridColour, 1));
    painter.drawLine(mark.at, picture.plotTop, mark.at, picture.plotBottom - 1);
    painter.setPen(kMarkColour);
    // Within the widget: the marks at either end keep their text whole.
    QRect text(mark.at - 30, picture.plotBottom + 2, 60, height() - picture.plotBottom);
    if (text.right() >= width()) text.moveRight(width() - 1);
    painter.drawText(
        text, (text.center().x() == mark.at ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignTop,
        QString::fromStdString(mark.text));
  }
  // Which colour is which, as on the panels.
  static const char* const kNames[] = {"속도", "케이던스", "심박", "파워"};
  int right = picture.plotRight - 4;
  for (int i = static_cast<int>(picture.lines.size()) - 1; i >= 0; --i) {
    const QString name = QString::fromUtf8(kNames[i]);
    const int wide = painter.fontMetrics().horizontalAdvance(name);
    painter.setPen(WindowsColour(picture.lines[static_cast<std::size_t>(i)].colour));
    painter.drawText(QRect(right - wide, picture.plotTop + 2, wide, painter.fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignTop, name);
    right -= wide + 10;
  }
  painter.setRenderHint(QPainter::Antialiasing);
  for (const auto& line : picture.lines) {
    painter.setPen(QPen(WindowsColour(line.colour), kLineWidth));
    for (const auto& run : line.runs) {
      if (run.size() == 1) {
        painter.drawPoint(run.front().x, run.front().y);
        continue;
      }
      QPainterPath path(QPointF(run.front().x, run.front().y));
      for (std::size_t i = 1; i < run.size(); ++i) path.lineTo(run[i].x, run[i].y);
      painter.drawPath(path);
    }
  }
}

}  // namespace vel
