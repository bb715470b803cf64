#include "sim_recorder.h"

#include <cmath>
#include <memory>

#include "ant/framer.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_room.h"
#include "ant/usb_device.h"
#include "ant/usb_device_handle_sim.h"
#include "common/ant_commands.h"
#include "sensors/sensor_kinds.h"
#include "tools/common/parse_number.h"

namespace vel {
namespace {

constexpr double kLongestRecordingS = 24 * 3600;
constexpr std::uint64_t kStepMs = 10;

using tools::ParseNumber;

// Writes the framer's frames to the simulated stick's handle.
class HandleTransport : public AntTransport {
 public:
  explicit HandleTransport(USBDeviceHandle& handle) : handle_(handle) {}
  bool WriteBytes(const std::uint8_t* bytes, std::size_t count) override {
    std::size_t written = 0;
    return handle_.Write(bytes, count, written) == HandleResult::kOk;
  }

 private:
  USBDeviceHandle& handle_;
};

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
      if (colon == std::string::npos ||
          !ParseNumber(std::string_view(value).substr(0, colon), type) ||
          !ParseNumber(std::string_view(value).substr(colon + 1), number) || type > 255 ||
          number > 65535) {
        error = "bad --sensor '" + value + "': expected TYPE:NUMBER";
        return std::nullopt;
      }
      if (!IsDecodedDeviceType(static_cast<int>(type))) {
        error = "bad --sensor '" + value + "': the room has no sensors of type " +
                std::to_string(type) + " (" + DecodedDeviceTypesText() + ")";
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
    while (handle->Read(buffer, sizeof buffer, count, 0) == HandleResult::kOk && count > 0) {
      bytes.insert(bytes.end(), buffer, buffer + count);
    }
  };

  HandleTransport transport(*handle);
  DSIFramerANT framer(&transport);  // frames the commands as the program does
  const std::uint8_t type = options.deviceType;
  const std::uint16_t number = options.deviceNumber;
  const AntCommand commands[] = {
      ant_command::ResetSystem(),
      // The room's sensors take any key.
      ant_command::SetNetworkKey(kRoomNetwork, {}),
      ant_command::RequestMessage(0, ant_id::kVersion),
      ant_command::RequestMessage(0, ant_id::kCapabilities),
      ant_command::AssignChannel(0, kReceiveChannelType, kRoomNetwork),
      ant_command::SetChannelId(0, number, type, 0),
      ant_command::SetRfFrequency(0, kAntPlusRfChannel),
      ant_command::SetChannelPeriod(0, ChannelPeriodOf(type)),
      ant_command::OpenChannel(0),
      ant_command::EnableExtendedMessages(true),
  };
  for (const AntCommand& command : commands) {
    framer.WriteMessage(command.message, command.length);
    drain();
  }

  const auto steps = static_cast<std::uint64_t>(std::ceil(options.seconds * 1000 / kStepMs));
  for (std::uint64_t i = 0; i < steps; ++i) {
    clock->AdvanceMs(kStepMs);
    drain();
  }

  for (const AntCommand& command :
       {ant_command::CloseChannel(0), ant_command::UnassignChannel(0)}) {
    framer.WriteMessage(command.message, command.length);
  }
  drain();
  return bytes;
}

}  // namespace vel
