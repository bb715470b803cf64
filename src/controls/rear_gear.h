#pragma once

#include "controls/gear_indicator.h"

namespace vel {

// The sprockets: the largest at the left edge.
class CRearGear : public CGearIndicator {
  Q_OBJECT

 public:
  explicit CRearGear(QWidget* parent = nullptr);
};

}  // namespace vel
