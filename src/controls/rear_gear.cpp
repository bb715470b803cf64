#include "controls/rear_gear.h"

namespace vel {

CRearGear::CRearGear(QWidget* parent) : CGearIndicator(GearIndicator::kRear, parent) {}

}  // namespace vel
