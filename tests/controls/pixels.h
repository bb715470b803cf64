#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>
#include <string>

namespace vel::test {

// What a widget shows, as it would be copied to the screen.
inline QImage Grab(QWidget& widget) {
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// The pixels of a row or column as letters: K black, W white, R red,
// Y yellow, B blue, C cyan, G the graph's grid green; '.' anything else.
inline char Letter(QRgb pixel) {
  switch (pixel & 0xFFFFFF) {
    case 0x000000: return 'K';
    case 0xFFFFFF: return 'W';
    case 0xFF0000: return 'R';
    case 0xFFFF00: return 'Y';
    case 0x0000FF: return 'B';
    case 0x00FFFF: return 'C';
    case 0x005000: return 'G';
    default: return '.';
  }
}
inline std::string Row(const QImage& image, int y) {
  std::string letters;
  for (int x = 0; x < image.width(); ++x) letters += Letter(image.pixel(x, y));
  return letters;
}
inline std::string Column(const QImage& image, int x) {
  std::string letters;
  for (int y = 0; y < image.height(); ++y) letters += Letter(image.pixel(x, y));
  return letters;
}

// How many pixels of `area` are exactly `rgb`.
inline int CountOf(const QImage& image, const QRect& area, QRgb rgb) {
  int count = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      count += (image.pixel(x, y) & 0xFFFFFF) == (rgb & 0xFFFFFF);
    }
  }
  return count;
}

}  // namespace vel::test
