#include "app/ride_history.h"

#include <cmath>
#include <exception>

#include "common/string_printf.h"
#include "rides/ride_time.h"

namespace vel {
namespace {

constexpr char kNone[] = "-";

std::string Figure(const std::optional<double>& value, const char* format) {
  return value ? StringPrintf(format, *value) : std::string(kNone);
}

std::string Figure(const std::optional<int>& value, const char* format) {
  return value ? StringPrintf(format, *value) : std::string(kNone);
}

std::string Started(std::int64_t utcMs) {
  const auto local = LocalTimeAt(utcMs);
  if (!local) return kNone;
  return StringPrintf("%04d-%02d-%02d %02d:%02d", local->tm_year + 1900, local->tm_mon + 1,
                      local->tm_mday, local->tm_hour, local->tm_min);
}

}  // namespace

const std::array<const char*, RideHistory::kColumns> RideHistory::kColumnTitles = {
    "날짜", "멤버", "라이딩 시간", "거리(km)", "평균 파워(W)", "평균 심박(bpm)", "칼로리(kcal)"};

RideHistory::RideHistory(std::filesystem::path storeFile) : file_(std::move(storeFile)) {}

RideHistory::~RideHistory() = default;

RideStore* RideHistory::Store() {
  if (!store_) store_ = std::make_unique<RideStore>(file_);
  return store_.get();
}

bool RideHistory::Refresh() {
  error_.clear();
  try {
    members_ = Store()->Members();
    rides_ = Store()->List(filter_);
    return true;
  } catch (const std::exception& e) {
    store_.reset();
    members_.clear();
    rides_.clear();
    error_ = e.what();
    return false;
  }
}

void RideHistory::Filter(std::optional<std::uint64_t> memberId) { filter_ = memberId; }

std::array<std::string, RideHistory::kColumns> RideHistory::RowTexts(const RideListing& ride) {
  return {Started(ride.startUtcMs),
          ride.memberName,
          ClockText(ride.ridingSeconds) + (ride.open ? " (기록 중)" : ""),
          StringPrintf("%.2f", ride.distanceKm),
          Figure(ride.avgPower, "%.0f"),
          Figure(ride.avgHeartRate, "%.0f"),
          Figure(ride.kcal, "%.0f")};
}

std::optional<RideHistory::Selected> RideHistory::Load(std::int64_t id) {
  try {
    auto stored = Store()->Load(id);
    if (!stored) return std::nullopt;
    const RideSummary summary = Summarise(stored->ride, stored->body);
    return Selected{std::move(*stored), summary};
  } catch (const std::exception& e) {
    error_ = e.what();
    return std::nullopt;
  }
}

std::vector<std::pair<std::string, std::string>> RideHistory::SummaryLines(const RideSummary& s) {
  std::string kcal = Figure(s.kcal, "%.0f kcal");
  if (s.caloriesFrom == RideSummary::CaloriesFrom::kPower) kcal += " (파워)";
  if (s.caloriesFrom == RideSummary::CaloriesFrom::kHeartRate) kcal += " (심박)";
  return {
      {"시작", Started(s.startUtcMs)},
      {"라이딩 시간", ClockText(s.ridingSeconds)},
      {"경과 시간", ClockText(s.elapsedSeconds)},
      {"거리", StringPrintf("%.2f km", s.distanceKm)},
      {"평균 / 최고 속도",
       Figure(s.avgSpeed, "%.1f") + " / " + Figure(s.maxSpeed, "%.1f") + " km/h"},
      {"평균 / 최고 케이던스",
       Figure(s.avgCadence, "%.0f") + " / " + Figure(s.maxCadence, "%d") + " rpm"},
      {"평균 / 최고 심박",
       Figure(s.avgHeartRate, "%.0f") + " / " + Figure(s.maxHeartRate, "%d") + " bpm"},
      {"평균 / 최고 파워", Figure(s.avgPower, "%.0f") + " / " + Figure(s.maxPower, "%d") + " W"},
      {"NP", Figure(s.normalizedPower, "%.0f W")},
      {"일", Figure(s.workKj, "%.1f kJ")},
      {"칼로리", kcal},
  };
}

std::vector<ExportedRide> RideHistory::Export(const std::vector<std::int64_t>& ids,
                                              RideFileFormat format,
                                              const std::filesystem::path& folder) {
  try {
    return ExportRides(*Store(), ids, format, folder);
  } catch (const std::exception& e) {
    std::vector<ExportedRide> failed;
    for (const std::int64_t id : ids) failed.push_back({id, {}, e.what()});
    return failed;
  }
}

std::string RideHistory::ExportMessage(const std::vector<ExportedRide>& exported,
                                       const std::filesystem::path& folder) {
  std::size_t written = 0;
  std::string errors;
  for (const ExportedRide& ride : exported) {
    if (!ride.file.empty()) {
      ++written;
    } else if (errors.empty()) {
      errors = ride.error;
    }
  }
  std::string text = StringPrintf("%zu개의 기록을 내보냈습니다.\n%s", written, folder.c_str());
  if (written < exported.size()) {
    text += StringPrintf("\n%zu개는 내보내지 못했습니다: %s", exported.size() - written,
                         errors.c_str());
  }
  return text;
}

bool RideHistory::Delete(const std::vector<std::int64_t>& ids) {
  try {
    for (const std::int64_t id : ids) Store()->Delete(id);
    return true;
  } catch (const std::exception& e) {
    error_ = e.what();
    return false;
  }
}

std::string RideHistory::DeleteQuestion(std::size_t rides) {
  return StringPrintf("선택한 기록 %zu개를 삭제할까요?", rides);
}

}  // namespace vel
