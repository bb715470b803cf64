#include "team/body_measure.h"

#include <charconv>
#include <cmath>

namespace vel {
namespace {

long long ReadDecimal(const std::string& text) {
  long long n = 0;
  std::from_chars(text.data(), text.data() + text.size(), n);
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
