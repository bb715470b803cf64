#include "controls/custom_static.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

#include "controls/gulim_font.h"
#include "controls/pixels.h"

namespace vel {
namespace {

// Rows of the image holding a pixel of pure red.
std::pair<int, int> RedRows(const QImage& image) {
  int first = -1, last = -1;
  for (int y = 0; y < image.height(); ++y) {
    if (test::CountOf(image, QRect(0, y, image.width(), 1), 0xFF0000) == 0) continue;
    if (first < 0) first = y;
    last = y;
  }
  return {first, last};
}

TEST(CustomStaticTest, RedTextOnWhiteAsTallAsTheControl) {
  CCustomStatic value;
  value.resize(240, 60);
  value.SetText(QStringLiteral("88.8"));
  const QImage image = test::Grab(value);
  int other = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      other += c.red() != 255 || c.green() != c.blue();  // red, white or a blend of them
    }
  }
  EXPECT_EQ(other, 0);
  const auto [first, last] = RedRows(image);
  EXPECT_LT(first, 60 / 4);
  EXPECT_GT(last, 60 / 2) << "digits reach from near the top to the baseline";
  EXPECT_EQ(test::Column(image, 239), std::string(60, 'W'));
}

TEST(CustomStaticTest, KoreanTextHasGlyphs) {
  const QFont font = GulimFont(40, QFont::Black);
  EXPECT_TRUE(QFontInfo(font).family() == QStringLiteral("굴림체") ||
              QFontInfo(font).family() == QStringLiteral("NanumGothicCoding"))
      << QFontInfo(font).family().toStdString();
  EXPECT_TRUE(QFontMetrics(font).inFontUcs4(U'속'));
  EXPECT_NEAR(QFontMetrics(font).height(), 40, 1);

  CCustomStatic label;
  label.resize(200, 40);
  label.SetText(QStringLiteral("라이더1"));
  EXPECT_GT(test::CountOf(test::Grab(label), QRect(0, 0, 200, 40), 0xFF0000), 200);
}

}  // namespace
}  // namespace vel
