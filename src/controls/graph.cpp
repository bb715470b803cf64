#include "controls/graph.h"

#include <QPainter>
#include <QPen>

#include "app/graph_geometry.h"
#include "controls/gulim_font.h"
#include "controls/windows_colour.h"

namespace vel {
namespace {

const QColor kGridColour(0, 80, 0);
constexpr int kLabelHeight = 40;
constexpr int kLinePen = 2;

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
      if (line.points.size() > 1) {
        polyline_.resize(static_cast<int>(line.points.size()));
        for (int i = 0; i < polyline_.size(); ++i) {
          polyline_[i] = QPoint(line.points[static_cast<std::size_t>(i)].x,
                                line.points[static_cast<std::size_t>(i)].y);
        }
        painter.setPen(QPen(colour, kLinePen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(polyline_);
      }
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
