#include "app/panel_rides.h"

#include <chrono>

namespace vel {

std::int64_t SystemWallClockMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

void PanelRides::RecordTo(RideRecorder* recorder, WallClock wallClock) {
  recorder_ = recorder;
  wallClock_ = wallClock ? std::move(wallClock) : WallClock(SystemWallClockMs);
}

void PanelRides::ClockStarted(int panel, const MemberRecord& member, std::uint64_t now,
                              const Shown& shown) {
  if (recorder_ == nullptr) return;
  Panel& p = Of(panel);
  if (p.running) return;
  if (!p.handle) {
    RideStart start;
    start.memberId = member.id;
    start.memberName = member.name;
    start.startUtcMs = wallClock_();
    if (member.weight > 0) start.body.weightKg = member.weight;
    if (member.gender > 0) start.body.gender = member.gender;
    p = Panel{};
    p.handle = recorder_->Begin(start);
    p.startTick = now;
  } else {
    recorder_->Resume(*p.handle, static_cast<std::int64_t>(now - p.startTick));
    // What the sensor counted while the clock stood is not ridden.
    p.lastSensorKm.reset();
  }
  p.running = true;
  Take(panel, now, shown);
}

void PanelRides::ClockStopped(int panel, std::uint64_t now) {
  Panel& p = Of(panel);
  if (!p.handle || !p.running) return;
  recorder_->Pause(*p.handle, static_cast<std::int64_t>(now - p.startTick));
  p.running = false;
}

void PanelRides::RideOver(int panel, std::uint64_t now) {
  Panel& p = Of(panel);
  if (!p.handle) return;
  // A stopped clock's ride ended when it stopped: no span runs to close.
  recorder_->End(*p.handle, static_cast<std::int64_t>(now - p.startTick));
  p = Panel{};
}

void PanelRides::AllRidesOver(std::uint64_t now) {
  for (int k = 0; k < kRiderPanels; ++k) RideOver(k, now);
}

void PanelRides::SampleDue(std::uint64_t now, const Shown& shown) {
  for (int k = 0; k < kRiderPanels; ++k) {
    const Panel& p = Of(k);
    if (p.handle && p.running && now >= p.nextSampleTick) Take(k, now, shown);
  }
}

void PanelRides::Take(int panel, std::uint64_t now, const Shown& shown) {
  Panel& p = Of(panel);
  RideSample sample = shown(panel);
  sample.offsetMs = static_cast<std::int64_t>(now - p.startTick);
  if (sample.distance) {
    // A sensor that starts counting from 0 again (set up anew) adds on.
    const double sensorKm = *sample.distance;
    if (p.lastSensorKm) {
      p.distanceKm += sensorKm >= *p.lastSensorKm ? sensorKm - *p.lastSensorKm : sensorKm;
    }
    p.lastSensorKm = sensorKm;
    sample.distance = p.distanceKm;
  }
  recorder_->Record(*p.handle, sample);
  // Keeps to the second even when the timer comes late, without bursts
  // after a long wait.
  p.nextSampleTick += kSampleMs;
  if (p.nextSampleTick <= now) p.nextSampleTick = now + kSampleMs;
}

}  // namespace vel
