#include "app/panel_readings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/panel_member.h"
#include "common/string_printf.h"
#include "common/verify.h"

namespace vel {
namespace {

// A jump of more than this over a speed shown is a glitch.
constexpr double kSpikeKmh = 100.0;

int Sample(double value) { return static_cast<int>(std::clamp(value, 0.0, 9999.0)); }

}  // namespace

const std::array<PanelReadings::Measure, 4> PanelReadings::kMeasures = {{
    {EventHeader::kSpeed, PanelValue::kSpeed, PanelValue::kMaxSpeed, RankingType::kSpeed, true,
     true},
    {EventHeader::kCadence, PanelValue::kCadence, PanelValue::kMaxCadence, RankingType::kCadence,
     false, true},
    {EventHeader::kHeartRate, PanelValue::kHeartRate, PanelValue::kMaxHeartRate,
     RankingType::kHeartRate, false, false},
    {EventHeader::kPower, PanelValue::kPower, std::nullopt, RankingType::kSpeed, false, false},
}};

PanelReadings::PanelReadings(RiderPanelView& view, const TeamRoster& roster,
                             const RiderLists& riderLists, ScoreReports& scores)
    : view_(view), roster_(roster), riderLists_(riderLists), scores_(scores) {}

void PanelReadings::OnReading(const SensorEventFields& e) {
  const auto measure = std::find_if(kMeasures.begin(), kMeasures.end(), [&](const Measure& m) {
    return static_cast<int>(m.header) == e.header;
  });
  VEL_VERIFY_OR_DEBUG_ASSERT(measure != kMeasures.end()) { return; }
  const Measure& m = *measure;
  const int k = e.uiid;
  Track& track = panels_[static_cast<std::size_t>(k)]
                     .tracks[static_cast<std::size_t>(measure - kMeasures.begin())];
  track.graphId = e.graphId;
  // Only speeds are floating; the other readings are whole numbers.
  const double value = m.isSpeed ? e.value : static_cast<int>(e.value);
  if (value < 0) {
    // The sensor is gone: its value, maximum and series go with it.
    track = Track{};
    view_.RemoveSeries(k, e.graphId);
    if (m.drivesGears) ClearGears(k);
    SetText(k, m.value, "");
    if (m.maximum) SetText(k, *m.maximum, "");
    return;
  }
  track.lastTick = e.tick;
  if (m.isSpeed) {
    const double shown = Shown(k, m.value);
    if (!Text(k, m.value).empty() && shown != 0.0 && value > shown + kSpikeKmh) return;
    SetText(k, m.value, StringPrintf("%5.1f", std::floor(value * 10 + 0.5) / 10));
  } else {
    SetText(k, m.value, StringPrintf("%5d", static_cast<int>(value)));
  }
  view_.PushSample(k, track.graphId, Sample(value));

  if (m.maximum && value > Shown(k, *m.maximum)) {
    SetText(
        k, *m.maximum,
        m.isSpeed ? StringPrintf("%5.1f", value) : StringPrintf("%5d", static_cast<int>(value)));
    const MemberRecord* member = MemberOf(k);
    if (member == nullptr) {
      if (m.drivesGears) ClearGears(k);
      return;
    }
    if (value > BestScore(*member, m.ranking)) scores_.Report(*member, m.ranking, value);
  }
  if (m.drivesGears) {
    const bool speed = m.header == EventHeader::kSpeed;
    EstimateGear(k, speed ? value : Shown(k, PanelValue::kSpeed),
                 speed ? Shown(k, PanelValue::kCadence) : value);
  }
}

void PanelReadings::OnDistance(const SensorEventFields& e) {
  const float distance = static_cast<float>(e.value);
  SetText(e.uiid, PanelValue::kDistance,
          distance < 0 ? "" : StringPrintf("%6.2f", static_cast<double>(distance)));
}

void PanelReadings::ClearStaleValues(std::uint64_t now) {
  for (int k = 0; k < kRiderPanels; ++k) {
    for (std::size_t m = 0; m < kMeasures.size(); ++m) {
      Track& t = panels_[static_cast<std::size_t>(k)].tracks[m];
      if (t.lastTick == 0 || now < t.lastTick + kStaleMs) continue;
      SetText(k, kMeasures[m].value, "");  // the maxima stay
      view_.PushSample(k, t.graphId, 0);
      t.lastTick = 0;
    }
  }
}

void PanelReadings::ClearGears(int panel) {
  panels_.at(static_cast<std::size_t>(panel)).gear.reset();
  view_.SetSelectedGear(panel, GearIndicator::kFront, -1);
  view_.SetSelectedGear(panel, GearIndicator::kRear, -1);
}

void PanelReadings::EstimateGear(int panel, double speed, double cadence) {
  if (Text(panel, PanelValue::kSpeed).empty() || Shown(panel, PanelValue::kSpeed) == 0.0 ||
      Text(panel, PanelValue::kCadence).empty() || Shown(panel, PanelValue::kCadence) == 0.0) {
    ClearGears(panel);
    return;
  }
  const MemberRecord* member = MemberOf(panel);
  if (member == nullptr) {
    ClearGears(panel);
    return;
  }
  std::int32_t position = -1;
  std::int32_t unused = -1;
  const std::vector<int>* chainrings = roster_.ActiveChainrings(member->id, position);
  const std::vector<int>* sprockets = roster_.ActiveCassette(member->id, unused);
  const double wheel = roster_.ActiveWheelCircumference(member->id, unused);
  if (chainrings == nullptr || sprockets == nullptr || wheel == -1.0) {
    ClearGears(panel);
    return;
  }
  const auto gear = vel::EstimateGear(gearRatios_, position, *chainrings, *sprockets,
                                      ObservedRatio(speed, cadence, wheel));
  view_.SetSelectedGear(panel, GearIndicator::kFront, gear ? gear->first : -1);
  view_.SetSelectedGear(panel, GearIndicator::kRear, gear ? gear->second : -1);
  auto& shown = panels_.at(static_cast<std::size_t>(panel)).gear;
  shown.reset();
  if (gear) {
    shown = GearTeeth{chainrings->at(static_cast<std::size_t>(gear->first)),
                      sprockets->at(static_cast<std::size_t>(gear->second))};
  }
}

std::optional<double> PanelReadings::Number(int panel, PanelValue value) const {
  const std::string& text = Text(panel, value);
  if (text.empty()) return std::nullopt;
  return std::strtod(text.c_str(), nullptr);
}

std::optional<PanelReadings::GearTeeth> PanelReadings::Gear(int panel) const {
  return panels_.at(static_cast<std::size_t>(panel)).gear;
}

const std::string& PanelReadings::Text(int panel, PanelValue value) const {
  return panels_.at(static_cast<std::size_t>(panel)).texts[static_cast<std::size_t>(value)];
}

double PanelReadings::Shown(int panel, PanelValue value) const {
  const std::string& text = Text(panel, value);
  return text.empty() ? 0.0 : std::strtod(text.c_str(), nullptr);
}

void PanelReadings::SetText(int panel, PanelValue value, const std::string& text) {
  panels_.at(static_cast<std::size_t>(panel)).texts[static_cast<std::size_t>(value)] = text;
  view_.SetValueText(panel, value, text);
}

const MemberRecord* PanelReadings::MemberOf(int panel) const {
  return PanelMember(riderLists_, roster_, panel);
}

}  // namespace vel
