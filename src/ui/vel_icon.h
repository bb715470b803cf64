#pragma once

#include <QIcon>

namespace vel {

// The program's icon: a white "V" on a red wheel, drawn at every size a
// window needs (the desktop entry's picture, packaging/vel.svg, is the same
// drawing).
QIcon VelIcon();

}  // namespace vel
