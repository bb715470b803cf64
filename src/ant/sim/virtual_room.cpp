#include "ant/sim/virtual_room.h"

#include "ant/sim/room_table.h"
#include "ant/sim/simulated_stick.h"
#include "ant/sim/virtual_bike_sensors.h"
#include "ant/sim/virtual_heart_rate_strap.h"
#include "ant/sim/virtual_power_meter.h"

namespace vel::sim {
namespace {

std::unique_ptr<VirtualSensor> MakeSensor(const RoomSensor& entry, const RiderTraits& rider) {
  const SensorIdentity id{entry.deviceNumber, entry.deviceType, entry.transmissionType};
  SensorInfo info;
  info.modelNumber = entry.deviceType;
  info.serialNumber = 100000u * static_cast<std::uint32_t>(entry.rider) + entry.deviceNumber;
  info.battery = RoomBatteryOf(entry.deviceNumber);
  if (info.battery != BatteryStatus::kUnknown) {
    info.batteryPage = entry.deviceType == device_type::kHeartRate ? kHeartRateBatteryPage
                                                                   : kBikeSensorBatteryPage;
  }
  switch (entry.deviceType) {
    case device_type::kHeartRate:
      return std::make_unique<VirtualHeartRateStrap>(id, info,
                                                     entry.variant == SensorVariant::kLegacy);
    case device_type::kBikeSpeed:
      return std::make_unique<VirtualSpeedSensor>(id, info, rider.wheelCircumferenceM);
    case device_type::kBikeCadence: return std::make_unique<VirtualCadenceSensor>(id, info);
    case device_type::kBikeSpeedCadence:
      return std::make_unique<VirtualSpeedCadenceSensor>(id, info, rider.wheelCircumferenceM);
    case device_type::kBikePower:
      return std::make_unique<VirtualPowerMeter>(id, info,
                                                 entry.variant == SensorVariant::kCrankTorque
                                                     ? VirtualPowerMeter::Kind::kCrankTorque
                                                     : VirtualPowerMeter::Kind::kPowerOnly);
    default: return nullptr;
  }
}

}  // namespace

VirtualRoom::VirtualRoom(std::shared_ptr<SimClock> clock) : clock_(std::move(clock)) {
  for (int k = 1; k <= kRiderPanels; ++k)
    riders_.push_back(std::make_unique<VirtualRider>(RiderTraitsFor(k)));
  for (const RoomSensor& entry : RoomSensorTable()) {
    VirtualRider& rider = *riders_[static_cast<std::size_t>(entry.rider - 1)];
    std::unique_ptr<VirtualSensor> sensor = MakeSensor(entry, rider.Traits());
    if (!sensor) continue;
    sensors_.push_back(sensor.get());
    rider.AddSensor(std::move(sensor));
  }
  for (int i = 0; i < kMaxSticks; ++i)
    sticks_[static_cast<std::size_t>(i)] = std::make_unique<SimulatedStick>(*this, i);
  listenerId_ = clock_->AddListener([this] { PumpSticks(); });
}

VirtualRoom::~VirtualRoom() { clock_->RemoveListener(listenerId_); }

std::shared_ptr<VirtualRoom> VirtualRoom::Shared() {
  static const std::shared_ptr<VirtualRoom> room =
      std::make_shared<VirtualRoom>(std::make_shared<SteadySimClock>());
  return room;
}

std::uint64_t VirtualRoom::NowTicks() const { return clock_->NowUs() * kTicksPerSecond / 1000000; }

std::uint64_t VirtualRoom::TicksAfterMs(std::uint64_t ms) const {
  return (clock_->NowUs() + ms * 1000) * kTicksPerSecond / 1000000;
}

SimulatedStick& VirtualRoom::Stick(int index) {
  return *sticks_.at(static_cast<std::size_t>(index));
}

const VirtualSensor* VirtualRoom::FindSensor(std::uint16_t deviceNumber, std::uint8_t deviceType,
                                             std::uint8_t transmissionType) const {
  for (const VirtualSensor* sensor : sensors_) {
    const SensorIdentity& id = sensor->Identity();
    if ((deviceNumber == 0 || deviceNumber == id.deviceNumber) &&
        (deviceType == 0 || deviceType == id.deviceType) &&
        (transmissionType == 0 || transmissionType == id.transmissionType)) {
      return sensor;
    }
  }
  return nullptr;
}

bool VirtualRoom::MessageAt(const VirtualSensor& sensor, std::uint64_t ticks, Payload& out) {
  std::lock_guard lock(mutex_);
  for (auto& rider : riders_) rider->AdvanceTo(ticks);
  return sensor.MessageAt(ticks, out);
}

RiderState VirtualRoom::RiderNow(int rider) {
  std::lock_guard lock(mutex_);
  VirtualRider& r = *riders_.at(static_cast<std::size_t>(rider - 1));
  r.AdvanceTo(NowTicks());
  return r.State();
}

void VirtualRoom::PumpSticks() {
  // After a long jump of the clock, pump the sticks side by side in short
  // slices, so that none asks for messages older than the sensors keep.
  constexpr std::uint64_t kSlice = 2 * kTicksPerSecond;
  const std::uint64_t now = NowTicks();
  std::uint64_t from = pumpedTo_.load();
  while (now > from + kSlice) {
    from += kSlice;
    for (auto& stick : sticks_) stick->PumpUntil(from);
  }
  for (auto& stick : sticks_) stick->PumpUntil(now);
  pumpedTo_ = now;
}

}  // namespace vel::sim
