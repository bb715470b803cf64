#include "controls/class_results_picture.h"

#include <QPainter>
#include <algorithm>
#include <array>

#include "controls/gulim_font.h"
#include "controls/windows_colour.h"

namespace vel {
namespace {

const QColor kBackground(20, 20, 24);
const QColor kText(235, 235, 235);
const QColor kDim(150, 150, 160);
const QColor kRule(60, 60, 70);

// Of the picture's width, column by column.
constexpr std::array<double, kClassResultColumns> kColumnShares = {0.05, 0.14, 0.12, 0.10,
                                                                   0.17, 0.19, 0.10, 0.13};

}  // namespace

QImage DrawClassResults(const ClassResults& results, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(kBackground);
  QPainter painter(&image);
  const int margin = size.width() / 40;
  const int rows = std::max<int>(static_cast<int>(results.rows.size()), 5);
  const int titleHeight = size.height() / 10;
  const int rowHeight = (size.height() - titleHeight - 2 * margin) / (rows + 1);
  painter.setPen(kText);
  painter.setFont(GulimFont(titleHeight * 7 / 10, QFont::Bold));
  painter.drawText(QRect(margin, margin / 2, size.width() - 2 * margin, titleHeight),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(results.title + "  ·  " + RankByName(results.rankedBy)));
  const int width = size.width() - 2 * margin;
  std::array<int, kClassResultColumns + 1> x{};
  x[0] = margin;
  for (std::size_t c = 0; c < kColumnShares.size(); ++c) {
    x[c + 1] = x[c] + static_cast<int>(kColumnShares[c] * width);
  }
  int y = margin / 2 + titleHeight;
  // As large as a row allows while "178 / 205 bpm" fits its column.
  const int byWidth = size.width() / 56;
  const QFont head = GulimFont(std::min(rowHeight * 5 / 10, byWidth * 8 / 10), QFont::Bold);
  const QFont body = GulimFont(std::min(rowHeight * 6 / 10, byWidth), QFont::Normal);
  painter.setFont(head);
  painter.setPen(kDim);
  for (std::size_t c = 0; c < kClassResultTitles.size(); ++c) {
    painter.drawText(QRect(x[c], y, x[c + 1] - x[c] - 6, rowHeight),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(kClassResultTitles[c]));
  }
  y += rowHeight;
  painter.setFont(body);
  for (const ClassResultRow& row : results.rows) {
    painter.setPen(kRule);
    painter.drawLine(margin, y, size.width() - margin, y);
    painter.setPen(kText);
    const std::array<std::string, kClassResultColumns - 1> cells = {std::to_string(row.place),
                                                                    row.name,
                                                                    row.ridingTime,
                                                                    row.distance,
                                                                    row.power,
                                                                    row.heartRate,
                                                                    row.kcal};
    for (std::size_t c = 0; c < cells.size(); ++c) {
      const QRect cell(x[c], y, x[c + 1] - x[c] - 6, rowHeight);
      painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                       painter.fontMetrics().elidedText(QString::fromStdString(cells[c]),
                                                        Qt::ElideRight, cell.width()));
    }
    // The riding time by heart-rate zone, as one bar.
    const int barLeft = x[kClassResultColumns - 1];
    const int barWidth = x[kClassResultColumns] - barLeft - 6;
    int at = barLeft;
    for (int z = 1; z <= kHeartRateZones; ++z) {
      const double share = row.heartRateZoneShares[static_cast<std::size_t>(z - 1)];
      const int wide = static_cast<int>(share * barWidth);
      painter.fillRect(at, y + rowHeight / 4, wide, rowHeight / 2,
                       WindowsColour(HeartRateZoneOf(z).colour));
      at += wide;
    }
    y += rowHeight;
  }
  return image;
}

}  // namespace vel
