#pragma once

#include <cstdint>

namespace vel {

// A sensor's battery as ANT+ reports it, in bits 4 to 6 of a status byte:
// the heart-rate strap's page 7 (byte 3), the bike speed and cadence
// sensors' page 4 (byte 3) and the common page 0x52 (byte 7) of the
// others. 0, 6 and 7 tell nothing.
enum class BatteryStatus : int {
  kUnknown = 0,
  kNew = 1,
  kGood = 2,
  kOk = 3,
  kLow = 4,
  kCritical = 5,
};

BatteryStatus BatteryStatusOf(std::uint8_t statusByte);

// The page numbers that carry it, and where.
inline constexpr std::uint8_t kHeartRateBatteryPage = 7;
inline constexpr std::uint8_t kBikeSensorBatteryPage = 4;
inline constexpr std::uint8_t kCommonBatteryPage = 0x52;
inline constexpr int kProfileBatteryByte = 3;  // of pages 7 and 4
inline constexpr int kCommonBatteryByte = 7;   // of page 0x52

// A decoder's battery: reported to its panel as an event when it is first
// known and each time it changes, not with every page. The decoder's
// receive loop only.
class BatteryReport {
 public:
  void Saw(BatteryStatus status, int uiid, int deviceType);
  BatteryStatus Last() const { return last_; }

 private:
  BatteryStatus last_ = BatteryStatus::kUnknown;
};

}  // namespace vel
