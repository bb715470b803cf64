#include "controls/class_tile.h"

#include <QFontMetrics>
#include <QPainter>

#include "app/class_tile_layout.h"
#include "controls/gulim_font.h"
#include "controls/windows_colour.h"

namespace vel {
namespace {

const QColor kBackground(24, 24, 28);
const QColor kText(235, 235, 235);
const QColor kDim(150, 150, 160);
const QColor kWarning(255, 90, 70);

QColor ZoneColour(std::uint32_t colour, const QColor& otherwise) {
  return colour == kNoZoneColour ? otherwise : WindowsColour(colour);
}

void Draw(QPainter& painter, const ClassTileLayout::Box& box, const std::string& text,
          const QColor& colour, int flags, int weight = QFont::Normal) {
  if (text.empty()) return;
  QFont font = GulimFont(box.fontPixels, weight);
  painter.setFont(font);
  painter.setPen(colour);
  const QRect rect(box.x, box.y, box.width, box.height);
  const QString shown =
      painter.fontMetrics().elidedText(QString::fromStdString(text), Qt::ElideRight, box.width);
  painter.drawText(rect, flags | Qt::TextSingleLine, shown);
}

}  // namespace

CClassTile::CClassTile(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(120, 140);
}

void CClassTile::Show(const PanelTile& tile) {
  tile_ = tile;
  update();
}

void CClassTile::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), kBackground);
  if (!tile_.seated) return;
  const ClassTileLayout layout = LayOutClassTile(width(), height());
  const ClassTileTexts texts = ClassTileTextsOf(tile_);
  const QColor heartColour =
      tile_.heartRateZone ? ZoneColour(HeartRateZoneOf(tile_.heartRateZone->zone).colour, kText)
                          : kText;
  const QColor powerColour =
      tile_.powerZone ? ZoneColour(PowerZoneOf(tile_.powerZone->zone).colour, kText) : kText;
  if (tile_.heartRateZone && tile_.heartRateZone->zone > 0) {
    painter.fillRect(0, 0, width(), layout.zoneBar, heartColour);
  }
  // The name gives way to the riding time on its right.
  ClassTileLayout::Box name = layout.name;
  name.width -= QFontMetrics(GulimFont(layout.time.fontPixels, QFont::Normal))
                    .horizontalAdvance(QString::fromStdString(texts.time + "  "));
  Draw(painter, name, texts.name, kText, Qt::AlignLeft | Qt::AlignVCenter, QFont::Bold);
  Draw(painter, layout.time, texts.time, kDim, Qt::AlignRight | Qt::AlignVCenter);
  Draw(painter, layout.heartRate, texts.heartRate, heartColour, Qt::AlignLeft | Qt::AlignVCenter,
       QFont::Bold);
  Draw(painter, layout.heartRateUnit, texts.heartRateUnit, kDim, Qt::AlignRight | Qt::AlignBottom);
  Draw(painter, layout.heartRateZone, texts.heartRateZone, heartColour,
       Qt::AlignLeft | Qt::AlignVCenter);
  Draw(painter, layout.power, texts.power, powerColour, Qt::AlignLeft | Qt::AlignVCenter,
       QFont::Bold);
  Draw(painter, layout.powerZone, texts.powerZone, kDim, Qt::AlignRight | Qt::AlignVCenter);
  Draw(painter, layout.figures1, texts.figures1, kText, Qt::AlignLeft | Qt::AlignVCenter);
  Draw(painter, layout.figures2, texts.figures2, kText, Qt::AlignLeft | Qt::AlignVCenter);
  Draw(painter, layout.badge, texts.badge, kWarning, Qt::AlignLeft | Qt::AlignVCenter, QFont::Bold);
}

}  // namespace vel
