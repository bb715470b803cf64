#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace vel {

// The colour of heart-rate zone 0: none.
inline constexpr std::uint32_t kNoZoneColour = 0xFFFFFFFF;

// One training zone: from `fromPercent` of the rider's reference (maximum
// heart rate, or FTP) up to the next zone's, its colour (0x00BBGGRR) and
// its short name.
struct TrainingZone {
  int number;
  double fromPercent;
  std::uint32_t colour;
  const char* name;
};

// Heart rate by percent of the maximum: 50-60, 60-70, 70-80, 80-90, 90 and
// more; below 50 is zone 0, with no colour. A zone takes its lower edge:
// 60 % is zone 2.
inline constexpr int kHeartRateZones = 5;
inline constexpr std::array<TrainingZone, kHeartRateZones + 1> kHeartRateZoneTable = {{
    {0, 0, kNoZoneColour, ""},
    {1, 50, 0xA0A0A0, "회복"},
    {2, 60, 0xE08A2E, "지구력"},
    {3, 70, 0x3CB44B, "템포"},
    {4, 80, 0x00A5FF, "역치"},
    {5, 90, 0x3030E0, "최대"},
}};

// Power by percent of FTP: up to 55, 56-75, 76-90, 91-105, 106-120,
// 121-150, over 150. A zone ends on its upper edge: 55 % is zone 1, a
// little more is zone 2.
inline constexpr int kPowerZones = 7;
inline constexpr std::array<TrainingZone, kPowerZones> kPowerZoneTable = {{
    {1, 0, 0xA0A0A0, "회복"},
    {2, 55, 0xE08A2E, "지구력"},
    {3, 75, 0x3CB44B, "템포"},
    {4, 90, 0x00D7FF, "역치"},
    {5, 105, 0x008CFF, "VO2max"},
    {6, 120, 0x3030E0, "무산소"},
    {7, 150, 0xB03090, "근파워"},
}};

// Where a value stands against its reference.
struct ZoneReading {
  int zone = 0;
  double percent = 0;
};

// None without a reference (no maximum heart rate, no FTP) or for a
// reference of 0 and below.
std::optional<ZoneReading> HeartRateZone(int heartRate, std::optional<int> maxHeartRate);
std::optional<ZoneReading> PowerZone(int power, std::optional<int> ftp);

// The zone's entry of its table.
const TrainingZone& HeartRateZoneOf(int zone);
const TrainingZone& PowerZoneOf(int zone);

}  // namespace vel
