#include "rides/fit_activity.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "rides/fit_file_writer.h"
#include "rides/ride_time.h"

namespace vel {
namespace {

// FIT counts time from 1989-12-31 00:00:00 UTC.
constexpr std::int64_t kFitEpochUnixSeconds = 631065600;

constexpr std::uint16_t kFileIdMessage = 0;
constexpr std::uint16_t kSessionMessage = 18;
constexpr std::uint16_t kLapMessage = 19;
constexpr std::uint16_t kRecordMessage = 20;
constexpr std::uint16_t kEventMessage = 21;
constexpr std::uint16_t kActivityMessage = 34;

constexpr std::uint8_t kTimestampField = 253;
constexpr std::uint8_t kTimeInHeartRateZoneField = 65;  // of the session
constexpr std::uint8_t kTimeInPowerZoneField = 68;
constexpr std::uint8_t kMessageIndexField = 254;

// Enumerations of FIT's profile.
constexpr std::uint32_t kFileActivity = 4;
constexpr std::uint32_t kManufacturerDevelopment = 255;
constexpr std::uint32_t kEventTimer = 0;
constexpr std::uint32_t kEventSession = 8;
constexpr std::uint32_t kEventLap = 9;
constexpr std::uint32_t kEventActivity = 26;
constexpr std::uint32_t kEventTypeStart = 0;
constexpr std::uint32_t kEventTypeStop = 1;
constexpr std::uint32_t kEventTypeStopAll = 4;
constexpr std::uint32_t kSportCycling = 2;
constexpr std::uint32_t kSubSportIndoorCycling = 6;
constexpr std::uint32_t kLapTriggerSessionEnd = 7;
constexpr std::uint32_t kSessionTriggerActivityEnd = 0;
constexpr std::uint32_t kActivityManual = 0;

// Who wrote the file: the program, as a development product. The serial
// number is fixed so that two exports of one ride are the same file.
constexpr std::uint32_t kProduct = 1;
constexpr std::uint32_t kSerialNumber = 0x56454C31;  // "VEL1"

constexpr std::uint32_t kMostUint8 = 0xFE;
constexpr std::uint32_t kMostUint16 = 0xFFFE;
constexpr std::uint32_t kMostUint32 = 0xFFFFFFFE;

constexpr double kMmPerSecondPerKmH = 1000 / 3.6;

// A date_time of FIT: whole seconds, held to what the field can say.
std::uint32_t FitTime(std::int64_t utcMs) {
  const std::int64_t seconds = WholeSeconds(utcMs) - kFitEpochUnixSeconds;
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(seconds, 0, kMostUint32));
}

// `value` × `scale` rounded half away from zero, held to [0, most]; none
// for a value that is not a finite number, which no sensor measured.
std::optional<std::uint32_t> Scaled(double value, double scale, std::uint32_t most) {
  if (!std::isfinite(value)) return std::nullopt;
  const double scaled = value * scale;
  if (!(scaled > 0)) return 0;
  if (scaled >= most) return most;
  return static_cast<std::uint32_t>(std::llround(scaled));
}

template <typename T>
std::optional<std::uint32_t> Scaled(const std::optional<T>& value, double scale,
                                    std::uint32_t most) {
  if (!value) return std::nullopt;
  return Scaled(static_cast<double>(*value), scale, most);
}

// The fields of one message, those with a value.
class Fields {
 public:
  Fields& Add(std::uint8_t field, FitType type, std::optional<std::uint32_t> value) {
    if (value) values_.push_back({field, type, *value, {}});
    return *this;
  }
  Fields& AddArray(std::uint8_t field, std::vector<std::uint32_t> elements) {
    values_.push_back({field, FitType::kUint32, 0, std::move(elements)});
    return *this;
  }
  const std::vector<FitValue>& Values() const { return values_; }

 private:
  std::vector<FitValue> values_;
};

// Seconds in zones as the session's array of ms, `leading` zeros first.
template <std::size_t N>
std::vector<std::uint32_t> ZoneMilliseconds(const std::array<double, N>& seconds, int leading) {
  std::vector<std::uint32_t> ms(static_cast<std::size_t>(leading), 0);
  for (const double s : seconds) ms.push_back(Scaled(s, 1000, kMostUint32).value_or(0));
  return ms;
}

// The summary's figures, which the lap and the session both carry under
// numbers of their own.
struct SummaryField {
  std::uint8_t lapField;
  std::uint8_t sessionField;
  FitType type;
  std::optional<std::uint32_t> value;
};

std::vector<SummaryField> SummaryFields(const RideSummary& s) {
  using T = FitType;
  return {
      {7, 7, T::kUint32, Scaled(s.elapsedSeconds, 1000, kMostUint32)},
      {8, 8, T::kUint32, Scaled(s.ridingSeconds, 1000, kMostUint32)},
      {9, 9, T::kUint32, Scaled(s.distanceKm, 100000, kMostUint32)},
      {11, 11, T::kUint16, Scaled(s.kcal, 1, kMostUint16)},
      {13, 14, T::kUint16, Scaled(s.avgSpeed, kMmPerSecondPerKmH, kMostUint16)},
      {14, 15, T::kUint16, Scaled(s.maxSpeed, kMmPerSecondPerKmH, kMostUint16)},
      {15, 16, T::kUint8, Scaled(s.avgHeartRate, 1, kMostUint8)},
      {16, 17, T::kUint8, Scaled(s.maxHeartRate, 1, kMostUint8)},
      {17, 18, T::kUint8, Scaled(s.avgCadence, 1, kMostUint8)},
      {18, 19, T::kUint8, Scaled(s.maxCadence, 1, kMostUint8)},
      {19, 20, T::kUint16, Scaled(s.avgPower, 1, kMostUint16)},
      {20, 21, T::kUint16, Scaled(s.maxPower, 1, kMostUint16)},
      {33, 34, T::kUint16, Scaled(s.normalizedPower, 1, kMostUint16)},
      {41, 48, T::kUint32, Scaled(s.workKj, 1000, kMostUint32)},
  };
}

// What happens at one moment of the ride, in the order the file tells it.
struct Moment {
  enum Kind { kStop, kStart, kRecord };  // at one ms: a span ends before the next begins
  std::int64_t offsetMs;
  Kind kind;
  std::size_t sample;  // for a record
};

std::vector<Moment> MomentsOf(const Ride& ride) {
  std::vector<Moment> moments;
  moments.reserve(ride.spans.size() * 2 + ride.samples.size());
  for (const RidingSpan& span : ride.spans) {
    moments.push_back({span.beginMs, Moment::kStart, 0});
    moments.push_back({span.endMs, Moment::kStop, 0});
  }
  for (std::size_t i = 0; i < ride.samples.size(); ++i) {
    moments.push_back({ride.samples[i].offsetMs, Moment::kRecord, i});
  }
  // FIT wants its timestamps in order; a ride's are, but sorting costs
  // little and keeps a file readable should a stored ride not be.
  std::stable_sort(moments.begin(), moments.end(), [](const Moment& a, const Moment& b) {
    return a.offsetMs != b.offsetMs ? a.offsetMs < b.offsetMs : a.kind < b.kind;
  });
  return moments;
}

void WriteRecord(FitFileWriter& file, std::uint32_t timestamp, const RideSample& sample) {
  Fields fields;
  fields.Add(kTimestampField, FitType::kUint32, timestamp)
      .Add(3, FitType::kUint8, Scaled(sample.heartRate, 1, kMostUint8))
      .Add(4, FitType::kUint8, Scaled(sample.cadence, 1, kMostUint8))
      .Add(5, FitType::kUint32, Scaled(sample.distance, 100000, kMostUint32))
      .Add(6, FitType::kUint16, Scaled(sample.speed, kMmPerSecondPerKmH, kMostUint16))
      .Add(7, FitType::kUint16, Scaled(sample.power, 1, kMostUint16));
  file.Write(kRecordMessage, fields.Values());
}

void WriteTimerEvent(FitFileWriter& file, std::uint32_t timestamp, std::uint32_t eventType) {
  Fields fields;
  fields.Add(kTimestampField, FitType::kUint32, timestamp)
      .Add(0, FitType::kEnum, kEventTimer)
      .Add(1, FitType::kEnum, eventType)
      .Add(4, FitType::kUint8, 0);  // event group
  file.Write(kEventMessage, fields.Values());
}

}  // namespace

std::vector<std::uint8_t> FitActivityFile(const Ride& ride, const RideSummary& summary) {
  FitFileWriter file;
  const std::uint32_t start = FitTime(ride.startUtcMs);

  Fields fileId;
  fileId.Add(0, FitType::kEnum, kFileActivity)
      .Add(1, FitType::kUint16, kManufacturerDevelopment)
      .Add(2, FitType::kUint16, kProduct)
      .Add(3, FitType::kUint32z, kSerialNumber)
      .Add(4, FitType::kUint32, start);
  file.Write(kFileIdMessage, fileId.Values());

  std::int64_t endMs = ride.ElapsedMs();
  for (const Moment& moment : MomentsOf(ride)) {
    endMs = std::max(endMs, moment.offsetMs);
    const std::uint32_t at = FitTime(MsAfter(ride.startUtcMs, moment.offsetMs));
    switch (moment.kind) {
      case Moment::kStart: WriteTimerEvent(file, at, kEventTypeStart); break;
      case Moment::kStop: WriteTimerEvent(file, at, kEventTypeStopAll); break;
      case Moment::kRecord: WriteRecord(file, at, ride.samples[moment.sample]); break;
    }
  }

  const std::int64_t endUtcMs = MsAfter(ride.startUtcMs, endMs);
  const std::uint32_t end = FitTime(endUtcMs);
  const std::vector<SummaryField> figures = SummaryFields(summary);

  Fields lap;
  lap.Add(kTimestampField, FitType::kUint32, end)
      .Add(kMessageIndexField, FitType::kUint16, 0)
      .Add(0, FitType::kEnum, kEventLap)
      .Add(1, FitType::kEnum, kEventTypeStop)
      .Add(2, FitType::kUint32, start)
      .Add(24, FitType::kEnum, kLapTriggerSessionEnd)
      .Add(25, FitType::kEnum, kSportCycling)
      .Add(39, FitType::kEnum, kSubSportIndoorCycling);
  for (const SummaryField& figure : figures) lap.Add(figure.lapField, figure.type, figure.value);
  file.Write(kLapMessage, lap.Values());

  Fields session;
  session.Add(kTimestampField, FitType::kUint32, end)
      .Add(kMessageIndexField, FitType::kUint16, 0)
      .Add(0, FitType::kEnum, kEventSession)
      .Add(1, FitType::kEnum, kEventTypeStop)
      .Add(2, FitType::kUint32, start)
      .Add(5, FitType::kEnum, kSportCycling)
      .Add(6, FitType::kEnum, kSubSportIndoorCycling)
      .Add(25, FitType::kUint16, 0)  // first lap index
      .Add(26, FitType::kUint16, 1)  // laps
      .Add(28, FitType::kEnum, kSessionTriggerActivityEnd);
  for (const SummaryField& figure : figures) {
    session.Add(figure.sessionField, figure.type, figure.value);
  }
  // Time in each zone, as FIT counts them: index 0 is below zone 1, which
  // for power is nothing (zone 1 starts at 0 W).
  if (summary.hasHeartRateZones) {
    session.AddArray(kTimeInHeartRateZoneField, ZoneMilliseconds(summary.heartRateZoneSeconds, 0));
  }
  if (summary.hasPowerZones) {
    session.AddArray(kTimeInPowerZoneField, ZoneMilliseconds(summary.powerZoneSeconds, 1));
  }
  file.Write(kSessionMessage, session.Values());

  // The local time lets a reader show the ride's hours as the studio saw
  // them; without the zone's offset it is left out.
  std::optional<std::uint32_t> localEnd;
  if (const auto local = LocalTimeAt(endUtcMs)) {
    localEnd = FitTime(MsAfter(endUtcMs, static_cast<std::int64_t>(local->tm_gmtoff) * 1000));
  }
  Fields activity;
  activity.Add(kTimestampField, FitType::kUint32, end)
      .Add(0, FitType::kUint32, Scaled(summary.ridingSeconds, 1000, kMostUint32))
      .Add(1, FitType::kUint16, 1)  // sessions
      .Add(2, FitType::kEnum, kActivityManual)
      .Add(3, FitType::kEnum, kEventActivity)
      .Add(4, FitType::kEnum, kEventTypeStop)
      .Add(5, FitType::kUint32, localEnd);
  file.Write(kActivityMessage, activity.Values());

  return file.Finish();
}

}  // namespace vel
