#include "app/ride_graph_layout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>

#include "common/string_printf.h"
#include "sensors/sensor_kinds.h"

namespace vel {
namespace {

constexpr int kLeftMargin = 40;
constexpr int kBottomMargin = 22;
constexpr int kMargin = 6;
constexpr int kValueStep = 50;
// Minutes between time marks, the fewest that leave at most eight.
constexpr std::array<int, 9> kMinuteSteps = {1, 2, 5, 10, 15, 20, 30, 60, 120};
constexpr int kMostTimeMarks = 8;
// Samples further apart than this are not one line: the clock stood.
constexpr std::int64_t kLongestStepMs = 1500;

struct Series {
  std::uint32_t colour;
  std::function<std::optional<double>(const RideSample&)> value;
};

const std::array<Series, 4>& AllSeries() {
  static const std::array<Series, 4> series = {{
      {series_colour::kSpeed, [](const RideSample& s) { return s.speed; }},
      {series_colour::kCadence,
       [](const RideSample& s) {
         return s.cadence ? std::optional<double>(*s.cadence) : std::nullopt;
       }},
      {series_colour::kHeartRate,
       [](const RideSample& s) {
         return s.heartRate ? std::optional<double>(*s.heartRate) : std::nullopt;
       }},
      {series_colour::kPower,
       [](const RideSample& s) {
         return s.power ? std::optional<double>(*s.power) : std::nullopt;
       }},
  }};
  return series;
}

}  // namespace

RideGraphPicture LayOutRideGraph(const Ride& ride, int width, int height) {
  RideGraphPicture picture;
  picture.plotLeft = kLeftMargin;
  picture.plotTop = kMargin;
  picture.plotRight = std::max(picture.plotLeft + 1, width - kMargin);
  picture.plotBottom = std::max(picture.plotTop + 1, height - kBottomMargin);
  const int plotWidth = picture.plotRight - picture.plotLeft;
  const int plotHeight = picture.plotBottom - picture.plotTop;

  double highest = 0;
  for (const RideSample& s : ride.samples) {
    for (const Series& series : AllSeries())
      highest = std::max(highest, series.value(s).value_or(0));
  }
  const int top =
      std::max(kValueStep, static_cast<int>(std::ceil(highest / kValueStep)) * kValueStep);
  const std::int64_t lastMs = std::max<std::int64_t>(
      {ride.ElapsedMs(), ride.samples.empty() ? 0 : ride.samples.back().offsetMs, 1});
  const auto x = [&](std::int64_t ms) {
    return picture.plotLeft + static_cast<int>(static_cast<double>(ms) * (plotWidth - 1) /
                                               static_cast<double>(lastMs));
  };
  const auto y = [&](double value) {
    return picture.plotBottom - 1 -
           static_cast<int>(
               std::lround(std::clamp(value, 0.0, double(top)) * (plotHeight - 1) / top));
  };

  const int valueStep = top <= 200 ? kValueStep : top <= 500 ? 100 : 250;
  for (int v = 0; v <= top; v += valueStep) {
    picture.valueMarks.push_back({std::to_string(v), y(v)});
  }
  const int minutes = static_cast<int>(lastMs / 60000);
  const int step = *std::find_if(kMinuteSteps.begin(), std::prev(kMinuteSteps.end()),
                                 [&](int m) { return minutes / m <= kMostTimeMarks; });
  for (int m = 0; static_cast<std::int64_t>(m) * 60000 <= lastMs; m += step) {
    picture.timeMarks.push_back({StringPrintf("%d:%02d", m / 60, m % 60), x(m * 60000LL)});
  }

  for (const Series& series : AllSeries()) {
    RideGraphPicture::Line line{series.colour, {}};
    bool inRun = false;
    std::int64_t previousMs = 0;
    for (const RideSample& s : ride.samples) {
      const auto value = series.value(s);
      // A gap, or the clock's pause, breaks the line.
      if (!value || s.offsetMs - previousMs > kLongestStepMs) inRun = false;
      previousMs = s.offsetMs;
      if (!value) continue;
      if (!inRun) line.runs.emplace_back();
      inRun = true;
      line.runs.back().push_back({x(s.offsetMs), y(*value)});
    }
    picture.lines.push_back(std::move(line));
  }
  return picture;
}

}  // namespace vel
