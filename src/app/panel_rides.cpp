#include "app/panel_rides.h"

#include <algorithm>
#include <chrono>

namespace vel {

std::int64_t SystemWallClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

PanelRides::PanelRides() : wallClock_(SystemWallClockMs) {}

void PanelRides::RecordTo(RideRecorder* recorder, WallClock wallClock) {
  recorder_ = recorder;
  wallClock_ = wallClock ? std::move(wallClock) : WallClock(SystemWallClockMs);
}

void PanelRides::ClockStarted(int panel, const MemberRecord& member, const RiderBody& body,
                              std::uint64_t now, const Shown& shown) {
  Panel& p = Of(panel);
  if (p.running) return;
  if (!classOpen_) {
    classOpen_ = true;
    classEnded_.clear();
  }
  if (!p.active) {
    RideStart start;
    start.memberId = member.id;
    start.memberName = member.name;
    start.startUtcMs = wallClock_();
    start.body = body;
    p = Panel{};
    p.active = true;
    p.body = body;
    p.ride.memberId = member.id;
    p.ride.memberName = member.name;
    p.ride.startUtcMs = start.startUtcMs;
    p.ride.spans.push_back({0, 0});
    p.startTick = now;
    if (recorder_ != nullptr) p.handle = recorder_->Begin(start);
  } else {
    const std::int64_t offset = Offset(p, now);
    p.ride.spans.push_back({offset, offset});
    if (p.handle) recorder_->Resume(*p.handle, offset);
    // What the sensor counted while the clock stood is not ridden.
    p.lastSensorKm.reset();
  }
  p.running = true;
  p.inClass = true;
  Take(panel, now, shown);
}

void PanelRides::ClockStopped(int panel, std::uint64_t now) {
  Panel& p = Of(panel);
  if (!p.active || !p.running) return;
  const std::int64_t offset = Offset(p, now);
  p.ride.spans.back().endMs = std::max(p.ride.spans.back().beginMs, offset);
  if (p.handle) recorder_->Pause(*p.handle, offset);
  p.running = false;
  p.summary.reset();
}

void PanelRides::RideOver(int panel, std::uint64_t now) {
  Panel& p = Of(panel);
  if (!p.active) return;
  const std::int64_t offset = Offset(p, now);
  if (p.running) p.ride.spans.back().endMs = std::max(p.ride.spans.back().beginMs, offset);
  // A stopped clock's ride ended when it stopped: no span runs to close.
  if (p.handle) recorder_->End(*p.handle, offset);
  if (classOpen_ && p.inClass && !p.ride.samples.empty()) {
    classEnded_.push_back({p.ride.memberId, p.ride.memberName, Summarise(p.ride, p.body)});
  }
  p = Panel{};
}

void PanelRides::AllRidesOver(std::uint64_t now) {
  for (int k = 0; k < kRiderPanels; ++k) RideOver(k, now);
}

void PanelRides::SampleDue(std::uint64_t now, const Shown& shown) {
  for (int k = 0; k < kRiderPanels; ++k) {
    const Panel& p = Of(k);
    if (p.active && p.running && now >= p.nextSampleTick) Take(k, now, shown);
  }
}

std::optional<RideSummary> PanelRides::Live(int panel) const {
  const Panel& p = Of(panel);
  if (!p.active) return std::nullopt;
  if (!p.summary) p.summary = Summarise(p.ride, p.body);
  return p.summary;
}

bool PanelRides::AnyClockRunning() const {
  return std::any_of(panels_.begin(), panels_.end(), [](const Panel& p) { return p.running; });
}

std::vector<ClassRide> PanelRides::ClassSoFar() const {
  std::vector<ClassRide> rides = classEnded_;
  for (int k = 0; k < kRiderPanels; ++k) {
    const Panel& p = Of(k);
    if (!p.active || !p.inClass || p.ride.samples.empty()) continue;
    rides.push_back({p.ride.memberId, p.ride.memberName, *Live(k)});
  }
  return rides;
}

std::vector<ClassRide> PanelRides::EndClass() {
  std::vector<ClassRide> rides = ClassSoFar();
  classOpen_ = false;
  classEnded_.clear();
  for (Panel& p : panels_) p.inClass = false;
  return rides;
}

void PanelRides::Take(int panel, std::uint64_t now, const Shown& shown) {
  Panel& p = Of(panel);
  RideSample sample = shown(panel);
  sample.offsetMs = Offset(p, now);
  if (sample.distance) {
    // A sensor that starts counting from 0 again (set up anew) adds on.
    const double sensorKm = *sample.distance;
    if (p.lastSensorKm) {
      p.distanceKm += sensorKm >= *p.lastSensorKm ? sensorKm - *p.lastSensorKm : sensorKm;
    }
    p.lastSensorKm = sensorKm;
    sample.distance = p.distanceKm;
  }
  p.ride.samples.push_back(sample);
  p.ride.spans.back().endMs =
      std::max(p.ride.spans.back().endMs, sample.offsetMs + static_cast<std::int64_t>(kSampleMs));
  p.summary.reset();
  if (p.handle) recorder_->Record(*p.handle, sample);
  // Keeps to the second even when the timer comes late, without bursts
  // after a long wait.
  p.nextSampleTick += kSampleMs;
  if (p.nextSampleTick <= now) p.nextSampleTick = now + kSampleMs;
}

}  // namespace vel
