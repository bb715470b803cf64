#include "controls/gulim_font.h"

#include <QFontMetricsF>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace vel {

QFont GulimFont(int cellHeight, int weight) {
  QFont font;
  font.setFamilies({QStringLiteral("굴림체"), QStringLiteral("NanumGothicCoding")});
  font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 1, 1000)));
  // Qt sizes a font by its em; the line must be `cellHeight` tall.
  constexpr int kProbe = 100;
  font.setPixelSize(kProbe);
  const qreal probeHeight = QFontMetricsF(font).height();
  const qreal scale = probeHeight > 0 ? kProbe / probeHeight : 1.0;
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(cellHeight * scale))));
  return font;
}

}  // namespace vel
