#include "app/class_results.h"

#include "common/string_printf.h"
#include "rides/ride_time.h"

namespace vel {
namespace {

constexpr char kNone[] = "-";

std::string AvgMax(const std::optional<double>& avg, const std::optional<int>& max,
                   const char* unit) {
  if (!avg) return kNone;
  return StringPrintf("%.0f / %d %s", *avg, max.value_or(0), unit);
}

}  // namespace

const std::array<const char*, kClassResultColumns> kClassResultTitles = {
    "순위",   "이름",   "라이딩 시간", "거리", "평균 / 최고 파워", "평균 / 최고 심박",
    "칼로리", "심박 존"};

ClassResults MakeClassResults(const std::vector<ClassRide>& rides, RankBy by,
                              std::int64_t endedUtcMs) {
  ClassResults results;
  results.rankedBy = by;
  results.title = "클래스 결과";
  if (const auto local = LocalTimeAt(endedUtcMs)) {
    results.title += StringPrintf("  %04d-%02d-%02d %02d:%02d", local->tm_year + 1900,
                                  local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min);
  }
  for (const RankedRider& ranked : RankClass(rides, by)) {
    const RideSummary& s = rides[ranked.index].summary;
    ClassResultRow row;
    row.place = ranked.place;
    row.name = ranked.name;
    row.ridingTime = ClockText(s.ridingSeconds);
    row.distance = StringPrintf("%.2f km", s.distanceKm);
    row.power = AvgMax(s.avgPower, s.maxPower, "W");
    row.heartRate = AvgMax(s.avgHeartRate, s.maxHeartRate, "bpm");
    row.kcal = s.kcal ? StringPrintf("%.0f kcal", *s.kcal) : kNone;
    row.ranked = RankValueText(ranked.value, by);
    if (s.ridingSeconds > 0) {
      for (int z = 1; z <= kHeartRateZones; ++z) {
        row.heartRateZoneShares[static_cast<std::size_t>(z - 1)] =
            s.heartRateZoneSeconds[static_cast<std::size_t>(z)] / s.ridingSeconds;
      }
      for (int z = 0; z < kPowerZones; ++z) {
        row.powerZoneShares[static_cast<std::size_t>(z)] =
            s.powerZoneSeconds[static_cast<std::size_t>(z)] / s.ridingSeconds;
      }
    }
    results.rows.push_back(std::move(row));
  }
  return results;
}

std::string ClassResultsFileName(std::int64_t endedUtcMs) {
  const auto local = LocalTimeAt(endedUtcMs);
  if (!local) return "class.png";
  return StringPrintf("class-%04d%02d%02d-%02d%02d.png", local->tm_year + 1900, local->tm_mon + 1,
                      local->tm_mday, local->tm_hour, local->tm_min);
}

}  // namespace vel
