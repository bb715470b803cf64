#pragma once

#include <QImage>
#include <QSize>

#include "app/class_results.h"

namespace vel {

// The class summary drawn as a picture, to be shown and kept as a PNG: the
// title, a row a rider in the order of the ranking with its figures, and a
// bar of the riding time in each heart-rate zone in the zones' colours.
QImage DrawClassResults(const ClassResults& results, QSize size);

}  // namespace vel
