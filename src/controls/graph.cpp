#include "controls/graph.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cstring>
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
// Filled spans cost a fifth of what QPainter's wide-pen stroking does; all
// spans of a line within `area` go to the painter in one call.
void DrawLine(QPainter& painter, const std::vector<GraphPoint>& points, const QColor& colour,
              const QRect& area, std::vector<QRect>& spans) {
  spans.clear();
  for (std::size_t i = 1; i < points.size(); ++i) {
    const int x = points[i].x - 1;
    if (x + kLineWidth <= area.left() || x > area.right()) continue;
    const auto [top, bottom] = std::minmax(points[i - 1].y, points[i].y);
    spans.emplace_back(x, top - 1, kLineWidth, bottom - top + kLineWidth);
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(colour);
  painter.drawRects(spans.data(), static_cast<int>(spans.size()));
  painter.setBrush(Qt::NoBrush);
}

// Moves the pixels of columns [shift, right) of every row `shift` to the left.
void MoveLeft(QImage& image, int shift, int right) {
  const int bytesPerPixel = image.depth() / 8;
  for (int y = 0; y < image.height(); ++y) {
    uchar* row = image.scanLine(y);
    std::memmove(row, row + shift * bytesPerPixel,
                 static_cast<std::size_t>(right - shift) * bytesPerPixel);
  }
}

}  // namespace

CGraph::CGraph(QWidget* parent) : QWidget(parent), labels_(GulimFont(kLabelHeight, QFont::Normal)) {
  // Every pixel is painted.
  setAttribute(Qt::WA_OpaquePaintEvent);
  RepaintTicker::Of(kRepaintMs).Join(this, [this] {
    if (changed_) update();
  });
}

int CGraph::AddSeries(std::uint32_t colour) {
  changed_ = true;
  drawWhole_ = true;
  return series_.Add(GraphHistory(colour));
}

void CGraph::RemoveSeries(int index) {
  changed_ = true;
  drawWhole_ = true;
  series_.Remove(index);
}

void CGraph::PushSample(int series, int value) {
  GraphHistory* history = series_.Find(series);
  if (history == nullptr) return;
  history->Push(value);
  if (pushed_.size() <= static_cast<std::size_t>(series)) pushed_.resize(series + 1, 0);
  ++pushed_[static_cast<std::size_t>(series)];
  changed_ = true;
}

void CGraph::UpdatePicture() {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = size() * ratio;
  GraphUpdate plan;
  if (picture_.size() != pixels || ratio != 1.0) {
    picture_ = QImage(pixels, QImage::Format_RGB32);
    picture_.setDevicePixelRatio(ratio);
  } else if (!drawWhole_) {
    plan = PlanGraphUpdate(series_, pushed_, width());
  }
  const GraphPicture picture = LayOutGraph(series_, width(), height());
  if (plan.Partial()) {
    if (plan.shift > 0) {
      MoveLeft(picture_, plan.shift, picture.plotRight);
      DrawPicture(picture, QRect(0, 0, 1, height()));
    }
    DrawPicture(picture, QRect(plan.redrawFrom, 0, width() - plan.redrawFrom, height()));
  } else {
    DrawPicture(picture, rect());
  }
  std::fill(pushed_.begin(), pushed_.end(), 0);
  changed_ = false;
  drawWhole_ = false;
}

void CGraph::DrawPicture(const GraphPicture& picture, const QRect& area) {
  QPainter painter(&picture_);
  painter.setClipRect(area);
  painter.fillRect(area, Qt::black);
  std::vector<QLine> grid;
  grid.reserve(picture.gridRows.size() + picture.gridColumns.size());
  for (int y : picture.gridRows) grid.emplace_back(picture.plotLeft, y, picture.plotRight - 1, y);
  for (int x : picture.gridColumns) {
    if (x >= area.left() && x <= area.right()) {
      grid.emplace_back(x, picture.plotTop, x, picture.plotBottom - 1);
    }
  }
  painter.setPen(QPen(kGridColour, 1));
  painter.drawLines(grid.data(), static_cast<int>(grid.size()));
  std::vector<QRect> spans;
  for (const GraphLine& line : picture.lines) {
    const QColor colour = WindowsColour(line.colour);
    DrawLine(painter, line.points, colour, area, spans);
    if (line.label && line.label->at.x <= area.right()) {
      painter.setPen(colour);
      labels_.Draw(painter, QPoint(line.label->at.x, line.label->at.y),
                   QString::fromStdString(line.label->text));
    }
  }
}

void CGraph::paintEvent(QPaintEvent* event) {
  if (changed_ || picture_.size() != size() * devicePixelRatioF()) UpdatePicture();
  const QRect area = event->rect();
  const qreal ratio = devicePixelRatioF();
  QPainter painter(this);
  painter.drawImage(area, picture_, QRectF(area.topLeft() * ratio, area.size() * ratio));
}

}  // namespace vel
