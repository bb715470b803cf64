#pragma once

#include <optional>
#include <string>
#include <utility>

namespace vel {

// Heights and weights are typed as a whole number and tenths in two
// digit-only boxes. Both empty: no value. Otherwise whole + tenths x 0.1,
// an empty box counting 0, at single precision ("175" and "" give 175.0,
// "" and "5" give 0.5).
std::optional<float> ReadWholeAndTenths(const std::string& whole, const std::string& tenths);

// The two boxes for a stored value, such that reading them back gives the
// same value: the whole part and one digit of tenths (rounded).
std::pair<std::string, std::string> ShowWholeAndTenths(float value);

}  // namespace vel
