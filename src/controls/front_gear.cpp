#include "controls/front_gear.h"

namespace vel {

CFrontGear::CFrontGear(QWidget* parent) : CGearIndicator(GearIndicator::kFront, parent) {}

}  // namespace vel
