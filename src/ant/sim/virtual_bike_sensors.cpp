#include "ant/sim/virtual_bike_sensors.h"

namespace vel::sim {
namespace {

// Bytes 4-7 of the speed and cadence pages: event time and revolutions.
void PutEvents(Payload& p, std::size_t at, const RevolutionCounter& counter) {
  const std::uint16_t time = RollingTime(counter.LastEventSeconds(), 1024);
  const auto count = static_cast<std::uint16_t>(counter.Events());
  p[at] = static_cast<std::uint8_t>(time);
  p[at + 1] = static_cast<std::uint8_t>(time >> 8);
  p[at + 2] = static_cast<std::uint8_t>(count);
  p[at + 3] = static_cast<std::uint8_t>(count >> 8);
}

}  // namespace

Payload VirtualSpeedSensor::Build(std::uint64_t n, double seconds, double dt,
                                  const RiderState& rider) {
  wheel_.Advance(rider.speedMps / circumferenceM_, seconds, dt);
  Payload p{};
  const std::uint8_t page = IsBackground(n) ? BackgroundPage(n) : 0;
  p[0] = static_cast<std::uint8_t>(page | ToggleBit(n));
  FillBackground(p, page, seconds);
  PutEvents(p, 4, wheel_);
  return p;
}

Payload VirtualCadenceSensor::Build(std::uint64_t n, double seconds, double dt,
                                    const RiderState& rider) {
  crank_.Advance(rider.cadenceRpm / 60.0, seconds, dt);
  Payload p{};
  const std::uint8_t page = IsBackground(n) ? BackgroundPage(n) : 0;
  p[0] = static_cast<std::uint8_t>(page | ToggleBit(n));
  FillBackground(p, page, seconds);
  PutEvents(p, 4, crank_);
  return p;
}

Payload VirtualSpeedCadenceSensor::Build(std::uint64_t, double seconds, double dt,
                                         const RiderState& rider) {
  crank_.Advance(rider.cadenceRpm / 60.0, seconds, dt);
  wheel_.Advance(rider.speedMps / circumferenceM_, seconds, dt);
  Payload p{};
  PutEvents(p, 0, crank_);
  PutEvents(p, 4, wheel_);
  return p;
}

}  // namespace vel::sim
