#include "sensors/revolution_track.h"

#include <cmath>

namespace vel {

void RevolutionTrack::Start(std::uint16_t count, std::uint16_t time) {
  previousCount_ = count;
  previousTime_ = time;
}

void RevolutionTrack::Record(std::uint16_t count, std::uint16_t time) {
  currentCount_ = count;
  currentTime_ = time;
}

RevolutionTrack::Step RevolutionTrack::Accumulate() {
  const Step step{static_cast<std::uint16_t>(currentCount_ - previousCount_),
                  static_cast<std::uint16_t>(currentTime_ - previousTime_)};
  totalRevolutions_ += step.revolutions;
  totalTime_ += step.time;
  return step;
}

void RevolutionTrack::Finish() {
  previousCount_ = currentCount_;
  previousTime_ = currentTime_;
}

float CircumferenceCm(float metres) {
  return static_cast<float>(std::floor(static_cast<double>(metres) * 100.0 * 100.0 + 0.5) / 100.0);
}

}  // namespace vel
