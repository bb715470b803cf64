#include "controls/number_text.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "controls/gulim_font.h"

namespace vel {
namespace {

QImage Written(const QFont& font, const QString& text, bool cached) {
  QImage image(320, 80, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setPen(QColor(255, 0, 0));
  if (cached) {
    NumberText(font).Draw(painter, QPoint(3, 5), text);
  } else {
    painter.setFont(font);
    painter.drawText(QRect(3, 5, 400, 400), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     text);
  }
  return image;
}

// The panels' numbers must look as drawText writes them; other texts are
// handed to it.
TEST(NumberTextTest, NumbersLookAsDrawTextWritesThem) {
  for (const QFont& font : {GulimFont(40, QFont::Normal), GulimFont(32, QFont::Black)}) {
    for (const char* text : {"  25.9", " 1234", "00:01:29", "-1", "0.51", "속도 :"}) {
      const QString shown = QString::fromUtf8(text);
      EXPECT_EQ(Written(font, shown, true), Written(font, shown, false)) << text;
    }
  }
}

}  // namespace
}  // namespace vel
