#include "rides/rider_settings.h"

#include <cmath>
#include <ctime>

namespace vel {

std::string RefusedRiderSettings(const RiderSettings& s, int thisYear) {
  if (s.maxHeartRate &&
      (*s.maxHeartRate < kLowestMaxHeartRate || *s.maxHeartRate > kHighestMaxHeartRate)) {
    return "최대 심박은 100에서 240 사이로 입력해 주세요.";
  }
  if (s.ftp && (*s.ftp < kLowestFtp || *s.ftp > kHighestFtp)) {
    return "FTP는 30에서 2000 와트 사이로 입력해 주세요.";
  }
  if (s.birthYear && (*s.birthYear < kEarliestBirthYear || *s.birthYear > thisYear)) {
    return "태어난 해는 1900년부터 올해까지로 입력해 주세요.";
  }
  return "";
}

std::optional<int> AgeIn(const RiderSettings& settings, int thisYear) {
  if (!settings.birthYear || *settings.birthYear > thisYear) return std::nullopt;
  return thisYear - *settings.birthYear;
}

std::optional<MaxHeartRate> EffectiveMaxHeartRate(const RiderSettings& settings, int thisYear) {
  if (settings.maxHeartRate) return MaxHeartRate{*settings.maxHeartRate, false};
  const auto age = AgeIn(settings, thisYear);
  if (!age) return std::nullopt;
  return MaxHeartRate{static_cast<int>(std::lround(208 - 0.7 * *age)), true};
}

int ThisYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_year + 1900;
}

}  // namespace vel
