#include "ui/dialog_font.h"

#include "controls/gulim_font.h"

namespace vel {

QFont DialogFont() {
  // A line of 16 pixels: 9-point text on a 96-dpi screen.
  constexpr int kLineHeight = 16;
  return GulimFont(kLineHeight, QFont::Normal);
}

}  // namespace vel
