#include "controls/graph.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <vector>

#include "app/graph_geometry.h"
#include "controls/gulim_font.h"
#include "controls/windows_colour.h"

namespace vel {
namespace {

const QColor kGridColour(0, 80, 0);
constexpr int kLabelHeight = 40;
constexpr int kLineWidth = 2;

// A line through one point per column, two pixels wide as with a 2-pixel
// pen: each column is filled from the previous point's height to its own.
// Filled spans cost a fifth of what QPainter's wide-pen stroking does, and
// ten graphs repaint four times a second.
void DrawLine(QPainter& painter, const std::vector<GraphPoint>& points, const QColor& colour) {
  for (std::size_t i = 1; i < points.size(); ++i) {
    const auto [top, bottom] = std::minmax(points[i - 1].y, points[i].y);
    painter.fillRect(points[i].x - 1, top - 1, kLineWidth, bottom - top + kLineWidth, colour);
  }
}

}  // namespace

CGraph::CGraph(QWidget* parent)
    : QWidget(parent), labelFont_(GulimFont(kLabelHeight, QFont::Normal)) {
  // Every pixel comes from the off-screen picture.
  setAttribute(Qt::WA_OpaquePaintEvent);
  connect(&repaintTimer_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  repaintTimer_.start(kRepaintMs);
}

int CGraph::AddSeries(std::uint32_t colour) { return series_.Add(GraphHistory(colour)); }

void CGraph::RemoveSeries(int index) { series_.Remove(index); }

void CGraph::PushSample(int series, int value) {
  if (GraphHistory* history = series_.Find(series)) history->Push(value);
}

void CGraph::paintEvent(QPaintEvent*) {
  {
    QPainter painter(&buffer_.Start(*this, Qt::black));
    const GraphPicture picture = LayOutGraph(series_, width(), height());
    painter.setPen(QPen(kGridColour, 1));
    for (int y : picture.gridRows) {
      painter.drawLine(picture.plotLeft, y, picture.plotRight - 1, y);
    }
    for (int x : picture.gridColumns) {
      painter.drawLine(x, picture.plotTop, x, picture.plotBottom - 1);
    }
    painter.setFont(labelFont_);
    for (const GraphLine& line : picture.lines) {
      const QColor colour = WindowsColour(line.colour);
      DrawLine(painter, line.points, colour);
      if (line.label) {
        painter.setPen(colour);
        const QRect from(line.label->at.x, line.label->at.y, width(), height());
        painter.drawText(from, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         QString::fromStdString(line.label->text));
      }
    }
  }
  buffer_.Show(*this);
}

}  // namespace vel
