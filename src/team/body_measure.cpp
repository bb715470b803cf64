#include "team/body_measure.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vel {
namespace {

// Digits only; more of them than a long long holds read as the largest, so
// that a value too large is seen as such rather than as 0.
long long ReadDecimal(const std::string& text) {
  long long n = 0;
  const auto read = std::from_chars(text.data(), text.data() + text.size(), n);
  if (read.ec == std::errc::result_out_of_range) return std::numeric_limits<long long>::max();
  return n;
}

}  // namespace

std::optional<float> ReadWholeAndTenths(const std::string& whole, const std::string& tenths) {
  if (whole.empty() && tenths.empty()) return std::nullopt;
  return static_cast<float>(static_cast<double>(ReadDecimal(whole)) +
                            static_cast<double>(ReadDecimal(tenths)) * 0.1);
}

std::pair<std::string, std::string> ShowWholeAndTenths(float value) {
  const long long inTenths = std::llround(static_cast<double>(value) * 10.0);
  return {std::to_string(inTenths / 10), std::to_string(inTenths % 10)};
}

}  // namespace vel
