#pragma once

#include <cstdint>

namespace vel {

// Cumulative revolution count and event time (1/1024 s) of a wheel or a
// crank, as ANT+ bike sensors report them, with the differences between
// two messages taken modulo 65536 so one rollover between messages is
// counted right.
class RevolutionTrack {
 public:
  struct Step {
    std::uint16_t revolutions;  // dR
    std::uint16_t time;         // dT, 1/1024 s
  };

  // Takes the reading as the previous one, so it yields no movement.
  void Start(std::uint16_t count, std::uint16_t time);
  // Records a reading as the current one.
  void Record(std::uint16_t count, std::uint16_t time);
  bool Unchanged() const { return currentCount_ == previousCount_; }
  // dR and dT of the current reading against the previous one; adds them
  // to the totals.
  Step Accumulate();
  // The current reading becomes the previous one.
  void Finish();

  std::uint16_t CurrentCount() const { return currentCount_; }
  std::uint16_t PreviousCount() const { return previousCount_; }
  std::uint16_t CurrentTime() const { return currentTime_; }
  std::uint16_t PreviousTime() const { return previousTime_; }
  std::uint32_t TotalRevolutions() const { return totalRevolutions_; }
  std::uint32_t TotalTime() const { return totalTime_; }

 private:
  std::uint16_t currentCount_ = 0;
  std::uint16_t previousCount_ = 0;
  std::uint16_t currentTime_ = 0;
  std::uint16_t previousTime_ = 0;
  std::uint32_t totalRevolutions_ = 0;
  std::uint32_t totalTime_ = 0;
};

// Counts one sensor's messages in a row without movement of its wheel or
// crank. Each decoder keeps its own: another rider's movement says nothing
// about whether this one has stopped.
class StillCounter {
 public:
  // Adds one (8-bit, wrapping) and returns the new count.
  std::uint8_t Increment() { return ++count_; }
  void Reset() { count_ = 0; }

 private:
  std::uint8_t count_ = 0;
};

// Messages without movement after which a speed or cadence drops to zero.
inline constexpr std::uint8_t kStillMessages = 12;

// km/h from a wheel circumference in cm, dR revolutions in dT/1024 s.
inline double WheelSpeedKmh(float circumferenceCm, std::uint16_t dR, std::uint16_t dT) {
  return static_cast<double>(circumferenceCm) * 36864.0 * dR / dT / 1000.0;
}
// km ridden for a total revolution count.
inline float WheelDistanceKm(std::uint32_t totalRevolutions, float circumferenceCm) {
  return static_cast<float>(totalRevolutions) * circumferenceCm / 100.0f / 1000.0f;
}
// rpm from dR crank revolutions in dT/1024 s; only the low 8 bits are kept.
inline std::uint8_t CrankCadenceRpm(std::uint16_t dR, std::uint16_t dT) {
  return static_cast<std::uint8_t>((static_cast<std::uint32_t>(dR) * 61440u) / dT);
}
// Metres to centimetres rounded to two decimals, as the decoders keep it.
float CircumferenceCm(float metres);

}  // namespace vel
