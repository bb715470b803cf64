#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "sensors/battery_status.h"
#include "sensors/sensor_kinds.h"

namespace vel::sim {

// Ticks of the simulated room: 1/32768 s, the unit of ANT channel periods.
inline constexpr std::uint64_t kTicksPerSecond = 32768;

using Payload = std::array<std::uint8_t, 8>;

struct SensorIdentity {
  std::uint16_t deviceNumber = 0;
  std::uint8_t deviceType = 0;
  std::uint8_t transmissionType = 0;
};

// What a rider's body and bicycle are doing at one moment.
struct RiderState {
  double powerW = 0;
  double cadenceRpm = 0;
  double speedMps = 0;
  double heartRateBpm = 0;
};

// Fixed facts every sensor reports in its background or common pages.
struct SensorInfo {
  std::uint16_t manufacturerId = 255;  // 255: development
  std::uint8_t hardwareVersion = 1;
  std::uint8_t softwareVersion = 10;
  std::uint16_t modelNumber = 1;
  std::uint32_t serialNumber = 0;
  // A battery that says how it is (most say nothing): in a fourth
  // background page of this number (7 for straps, 4 for speed and cadence
  // sensors), or in the power meter's common page 0x52.
  BatteryStatus battery = BatteryStatus::kUnknown;
  std::uint8_t batteryPage = 0;
};

// Counts revolutions (or heart beats) at a varying rate and remembers when
// the last whole ones happened, as a sensor's event times do.
class RevolutionCounter {
 public:
  // `perSecond` revolutions per second over the `dt` seconds ending at `end`.
  void Advance(double perSecond, double end, double dt);
  std::uint64_t Events() const { return events_; }
  double LastEventSeconds() const { return last_; }
  double PreviousEventSeconds() const { return previous_; }

 private:
  double position_ = 0;  // revolutions, with the fraction of the one in progress
  std::uint64_t events_ = 0;
  double last_ = 0;
  double previous_ = 0;
};

// The charge a simulated battery of this status reports, in percent.
std::uint8_t BatteryPercent(BatteryStatus status);

// A time in seconds as a rolling 16-bit count of 1/unitsPerSecond.
std::uint16_t RollingTime(double seconds, double unitsPerSecond);

// One ANT+ transmitter of the room. It sends message n at
// phase + n * period (ticks); the room builds its messages in time order
// from its rider's state and keeps the last ones, so that every stick that
// hears the sensor hears the same message at the same moment.
class VirtualSensor {
 public:
  static constexpr std::size_t kHistory = 64;

  VirtualSensor(SensorIdentity identity, std::uint16_t period, SensorInfo info);
  virtual ~VirtualSensor() = default;
  VirtualSensor(const VirtualSensor&) = delete;
  VirtualSensor& operator=(const VirtualSensor&) = delete;

  const SensorIdentity& Identity() const { return identity_; }
  std::uint16_t Period() const { return period_; }
  std::uint64_t NextMessageTime() const { return phase_ + sent_ * period_; }
  std::uint64_t MessagesSent() const { return sent_; }

  // Builds the next message from the rider's state.
  void SendNext(const RiderState& rider);
  // The last message sent at or before `ticks`; false when there is none
  // (before the first, or older than the history).
  bool MessageAt(std::uint64_t ticks, Payload& out) const;

 protected:
  // Message n, sent at `seconds`, `dt` seconds after the one before.
  virtual Payload Build(std::uint64_t n, double seconds, double dt, const RiderState& rider) = 0;
  const SensorInfo& Info() const { return info_; }

  // The page rhythm of ANT+ sensors with page numbers: the toggle bit
  // flips every four messages, and four background messages follow every
  // 64 main ones, cycling through pages 1, 2 and 3 (and the battery page
  // of a sensor that reports its battery).
  static std::uint8_t ToggleBit(std::uint64_t n) { return ((n / 4) % 2) != 0 ? 0x80 : 0x00; }
  static bool IsBackground(std::uint64_t n) { return n % 68 >= 64; }
  std::uint8_t BackgroundPage(std::uint64_t n) const {
    // The battery page comes first, so that a worn battery shows within
    // the first background block (about 16 s), not after a minute.
    if (info_.batteryPage == 0) return static_cast<std::uint8_t>(1 + (n / 68) % 3);
    const auto k = static_cast<std::uint8_t>((n / 68) % 4);
    return k == 0 ? info_.batteryPage : k;
  }
  // Bytes 1-3 of background pages 1 (operating time in 2 s units), 2
  // (manufacturer, serial number), 3 (versions, model) and the battery page
  // (level, voltage, status).
  void FillBackground(Payload& p, std::uint8_t page, double seconds) const;

 private:
  struct Sent {
    std::uint64_t ticks = 0;
    Payload payload{};
  };

  SensorIdentity identity_;
  std::uint16_t period_;
  SensorInfo info_;
  std::uint64_t phase_;
  std::uint64_t sent_ = 0;
  std::array<Sent, kHistory> history_{};
};

}  // namespace vel::sim
