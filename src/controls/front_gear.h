#pragma once

#include "controls/gear_indicator.h"

namespace vel {

// The chainrings: the largest at the right edge.
class CFrontGear : public CGearIndicator {
  Q_OBJECT

 public:
  explicit CFrontGear(QWidget* parent = nullptr);
};

}  // namespace vel
