#pragma once

#include <QFont>

namespace vel {

// The program's font for values and labels: 굴림체 where it is installed,
// otherwise NanumGothicCoding, so that Korean always shows. `cellHeight`
// is the height of a line (ascent plus descent) in pixels; `weight` runs
// from 100 to 900 and gets the nearest face the font has.
QFont GulimFont(int cellHeight, int weight);

}  // namespace vel
