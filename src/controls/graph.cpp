#include "controls/graph.h"

#include <QPainter>
#include <QPen>
#include <algorithm>
#include <vector>

#include "app/graph_geometry.h"
#include "controls/gulim_font.h"
#include "controls/repaint_ticker.h"
#include "controls/windows_colour.h"

namespace vel {
namespace {

const QColor kGridColour(0, 80, 0);
constexpr int kLabelHeight = 40;
constexpr int kLineWidth = 2;

// A line through one point per column, two pixels wide as with a 2-pixel
// pen: each column is filled from the previous point's height to its own.
// Filled spans cost a fifth of what QPainter's wide-pen stroking does, and
// ten graphs repaint four times a second; all spans of a line go to the
// painter in one call.
void DrawLine(QPainter& painter, const std::vector<GraphPoint>& points, const QColor& colour,
              std::vector<QRect>& spans) {
  spans.clear();
  for (std::size_t i = 1; i < points.size(); ++i) {
    const auto [top, bottom] = std::minmax(points[i - 1].y, points[i].y);
    spans.emplace_back(points[i].x - 1, top - 1, kLineWidth, bottom - top + kLineWidth);
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawRects(spans.data(), static_cast<int>(spans.size()));
  painter.setBrush(Qt::NoBrush);
}

}  // namespace

CGraph::CGraph(QWidget* parent)
    : QWidget(parent), labelFont_(GulimFont(kLabelHeight, QFont::Normal)) {
  // Every pixel is painted.
  setAttribute(Qt::WA_OpaquePaintEvent);
  RepaintTicker::Of(kRepaintMs).Join(this, [this] {
    if (!changed_) return;
    changed_ = false;
    update();
  });
}

int CGraph::AddSeries(std::uint32_t colour) {
  changed_ = true;
  return series_.Add(GraphHistory(colour));
}

void CGraph::RemoveSeries(int index) {
  changed_ = true;
  series_.Remove(index);
}

void CGraph::PushSample(int series, int value) {
  GraphHistory* history = series_.Find(series);
  if (history == nullptr) return;
  history->Push(value);
  changed_ = true;
}

void CGraph::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  const GraphPicture picture = LayOutGraph(series_, width(), height());
  std::vector<QLine> grid;
  grid.reserve(picture.gridRows.size() + picture.gridColumns.size());
  for (int y : picture.gridRows) grid.emplace_back(picture.plotLeft, y, picture.plotRight - 1, y);
  for (int x : picture.gridColumns) {
    grid.emplace_back(x, picture.plotTop, x, picture.plotBottom - 1);
  }
  painter.setPen(QPen(kGridColour, 1));
  painter.drawLines(grid.data(), static_cast<int>(grid.size()));
  painter.setFont(labelFont_);
  std::vector<QRect> spans;
  for (const GraphLine& line : picture.lines) {
    const QColor colour = WindowsColour(line.colour);
    DrawLine(painter, line.points, colour, spans);
    if (line.label) {
      painter.setPen(colour);
      const QRect from(line.label->at.x, line.label->at.y, width(), height());
      painter.drawText(from, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                       QString::fromStdString(line.label->text));
    }
  }
}

}  // namespace vel
