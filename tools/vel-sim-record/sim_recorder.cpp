#include "sim_recorder.h"

#include <cmath>
#include <memory>

#include "common/ant_message.h"
#include "ant/framer.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_bike_sensors.h"
#include "ant/sim/virtual_heart_rate_strap.h"
#include "ant/sim/virtual_power_meter.h"
#include "ant/sim/virtual_room.h"
#include "ant/usb_device.h"
#include "ant/usb_device_handle_sim.h"
#include "tools/common/parse_number.h"

namespace vel {
namespace {

constexpr double kLongestRecordingS = 24 * 3600;
constexpr std::uint64_t kStepMs = 10;

using tools::ParseNumber;

std::optional<std::uint16_t> ChannelPeriod(std::uint8_t deviceType) {
  switch (deviceType) {
    case device_type::kHeartRate: return sim::VirtualHeartRateStrap::kPeriod;
    case device_type::kBikeSpeed: return sim::VirtualSpeedSensor::kPeriod;
    case device_type::kBikeCadence: return sim::VirtualCadenceSensor::kPeriod;
    case device_type::kBikeSpeedCadence: return sim::VirtualSpeedCadenceSensor::kPeriod;
    case device_type::kBikePower: return sim::VirtualPowerMeter::kPeriod;
    default: return std::nullopt;
  }
}

// Writes the framer's frames to the simulated stick's handle.
class HandleTransport : public AntTransport {
 public:
  explicit HandleTransport(USBDeviceHandle& handle) : handle_(handle) {}
  bool WriteBytes(const std::uint8_t* bytes, std::size_t count) override {
    std::size_t written = 0;
    return handle_.Write(bytes, count, written) == usb_result::kOk;
  }

 private:
  USBDeviceHandle& handle_;
};

AntMessage Message(std::uint8_t id, std::initializer_list<std::uint8_t> data) {
  AntMessage m;
  m.id = id;
  std::copy(data.begin(), data.end(), m.data.begin());
  return m;
}

}  // namespace

std::optional<SimRecordOptions> ParseSimRecordOptions(const std::vector<std::string>& args,
                                                      std::string& error) {
  SimRecordOptions options;
  bool haveSensor = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg != "--sensor" && arg != "--seconds" && arg != "--out") {
      error = "unknown argument '" + arg + "'";
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    if (arg == "--sensor") {
      const std::size_t colon = value.find(':');
      unsigned type = 0;
      unsigned number = 0;
      if (colon == std::string::npos || !ParseNumber(std::string_view(value).substr(0, colon), type) ||
          !ParseNumber(std::string_view(value).substr(colon + 1), number) || type > 255 ||
          number > 65535) {
        error = "bad --sensor '" + value + "': expected TYPE:NUMBER";
        return std::nullopt;
      }
      if (!ChannelPeriod(static_cast<std::uint8_t>(type))) {
        error = "bad --sensor '" + value + "': the room has no sensors of type " +
                std::to_string(type) + " (11, 120, 121, 122, 123)";
        return std::nullopt;
      }
      options.deviceType = static_cast<std::uint8_t>(type);
      options.deviceNumber = static_cast<std::uint16_t>(number);
      haveSensor = true;
    } else if (arg == "--seconds") {
      double seconds = 0;
      if (!ParseNumber(value, seconds) || !std::isfinite(seconds) || seconds <= 0 ||
          seconds > kLongestRecordingS) {
        error = "bad --seconds '" + value + "': expected a number above 0, at most 86400";
        return std::nullopt;
      }
      options.seconds = seconds;
    } else {
      options.out = value;
    }
  }
  if (!haveSensor) {
    error = "no --sensor given";
    return std::nullopt;
  }
  if (options.out.empty()) {
    error = "no --out given (a file, or - for standard output)";
    return std::nullopt;
  }
  return options;
}

std::vector<std::uint8_t> RecordSimulatedSensor(const SimRecordOptions& options,
                                                std::string& warning) {
  auto clock = std::make_shared<sim::ManualSimClock>();
  auto room = std::make_shared<sim::VirtualRoom>(clock);
  if (room->FindSensor(options.deviceNumber, options.deviceType, 0) == nullptr) {
    warning = "no sensor of the simulated room matches; the recording shows the search time-out";
  }

  std::vector<std::uint8_t> bytes;
  std::unique_ptr<USBDeviceHandle> handle = USBDeviceHandleSim::Open(USBDeviceSim(room, 0));
  if (!handle) return bytes;
  auto drain = [&] {
    std::uint8_t buffer[255];
    std::size_t count = 0;
    while (handle->Read(buffer, sizeof buffer, count, 0) == usb_result::kOk && count > 0) {
      bytes.insert(bytes.end(), buffer, buffer + count);
    }
  };

  HandleTransport transport(*handle);
  DSIFramerANT framer(&transport);  // frames the commands as the program does
  const std::uint8_t type = options.deviceType;
  const std::uint16_t number = options.deviceNumber;
  const std::uint16_t period = *ChannelPeriod(type);
  const std::pair<AntMessage, std::uint16_t> commands[] = {
      {Message(ant_id::kResetSystem, {0}), 1},
      // The room's sensors take any key.
      {Message(ant_id::kNetworkKey, {0, 0, 0, 0, 0, 0, 0, 0, 0}), 9},
      {Message(ant_id::kRequestMessage, {0, ant_id::kVersion}), 2},
      {Message(ant_id::kRequestMessage, {0, ant_id::kCapabilities}), 2},
      {Message(ant_id::kAssignChannel, {0, 0, 0}), 3},
      {Message(ant_id::kChannelId,
               {0, static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8), type,
                0}),
       5},
      {Message(ant_id::kChannelRfFrequency, {0, 57}), 2},
      {Message(ant_id::kChannelPeriod,
               {0, static_cast<std::uint8_t>(period), static_cast<std::uint8_t>(period >> 8)}),
       3},
      {Message(ant_id::kOpenChannel, {0}), 1},
      {Message(ant_id::kEnableExtendedMessages, {0, 1}), 2},
  };
  for (const auto& [message, length] : commands) {
    framer.WriteMessage(message, length);
    drain();
  }

  const auto steps = static_cast<std::uint64_t>(std::ceil(options.seconds * 1000 / kStepMs));
  for (std::uint64_t i = 0; i < steps; ++i) {
    clock->AdvanceMs(kStepMs);
    drain();
  }

  framer.WriteMessage(Message(ant_id::kCloseChannel, {0}), 1);
  framer.WriteMessage(Message(ant_id::kUnassignChannel, {0}), 1);
  drain();
  return bytes;
}

}  // namespace vel
