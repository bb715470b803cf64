#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QPoint>
#include <QRawFont>
#include <QString>
#include <QVector>
#include <array>

class QPainter;

namespace vel {

// Numbers written in one font many times a second (the panels' values, the
// graphs' labels): their glyphs and advances are looked up once, so a
// number is put on the painter as a run of cached glyphs without the text
// layout and shaping QPainter::drawText does for every call. Digits,
// spaces, '.', '-' and ':' are written so; any other text goes to drawText.
class NumberText {
 public:
  explicit NumberText(const QFont& font);

  // Writes `text` with its top-left corner at `topLeft`, as drawText with
  // Qt::AlignLeft | Qt::AlignTop on one line would, in the painter's pen
  // colour.
  void Draw(QPainter& painter, QPoint topLeft, const QString& text) const;

 private:
  static constexpr char kCharacters[] = "0123456789 .-:";
  static constexpr int kCount = sizeof kCharacters - 1;

  QFont font_;
  QRawFont raw_;
  bool usable_ = false;  // every character has a glyph of its own
  std::array<quint32, kCount> glyphs_{};
  std::array<qreal, kCount> advances_{};
  qreal ascent_ = 0;
};

}  // namespace vel
