#include "controls/number_text.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <cstring>

namespace vel {

NumberText::NumberText(const QFont& font) : font_(font) {
  // The glyphs a layout of the characters picks, fallback fonts included:
  // they must all come from one font for one run.
  QTextLayout layout(QString::fromLatin1(kCharacters, kCount), font_);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.size() != 1 || runs.front().glyphIndexes().size() != kCount) return;
  raw_ = runs.front().rawFont();
  const QVector<quint32> glyphs = runs.front().glyphIndexes();
  const QVector<QPointF> advances = raw_.advancesForGlyphIndexes(glyphs);
  if (advances.size() != kCount) return;
  for (int i = 0; i < kCount; ++i) {
    glyphs_[static_cast<std::size_t>(i)] = glyphs[i];
    advances_[static_cast<std::size_t>(i)] = advances[i].x();
  }
  ascent_ = QFontMetricsF(font_).ascent();
  usable_ = true;
}

void NumberText::Draw(QPainter& painter, QPoint topLeft, const QString& text) const {
  QVector<quint32> glyphs;
  QVector<QPointF> positions;
  glyphs.reserve(text.size());
  positions.reserve(text.size());
  qreal x = 0;
  for (const QChar c : text) {
    const char* at = c.unicode() < 128 && c.unicode() != 0
                         ? std::strchr(kCharacters, static_cast<char>(c.unicode()))
                         : nullptr;
    if (!usable_ || at == nullptr) {
      painter.setFont(font_);
      painter.drawText(QRect(topLeft, QSize(1 << 20, 1 << 20)),
                       Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
      return;
    }
    const auto k = static_cast<std::size_t>(at - kCharacters);
    glyphs.push_back(glyphs_[k]);
    positions.push_back(QPointF(x, 0));
    x += advances_[k];
  }
  if (glyphs.isEmpty()) return;
  QGlyphRun run;
  run.setRawFont(raw_);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  painter.drawGlyphRun(QPointF(topLeft.x(), topLeft.y() + ascent_), run);
}

}  // namespace vel
