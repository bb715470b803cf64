#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "common/room.h"
#include "sensors/channel_decoder.h"
#include "sensors/sensor_event.h"

namespace vel {

// ANT+ device types of the sensors this program decodes.
namespace device_type {
inline constexpr std::uint8_t kBikePower = 11;
inline constexpr std::uint8_t kHeartRate = 120;
inline constexpr std::uint8_t kBikeSpeedCadence = 121;
inline constexpr std::uint8_t kBikeCadence = 122;
inline constexpr std::uint8_t kBikeSpeed = 123;
}  // namespace device_type

// The four sensor check boxes of a rider panel.
enum class SensorBox { kSpeed, kCadence, kHeartRate, kPower };
inline constexpr int kSensorBoxCount = 4;
using BoxSet = unsigned;  // a set of boxes, one bit each
constexpr BoxSet BoxBit(SensorBox box) { return 1u << static_cast<unsigned>(box); }

// The sensor slots of a rider panel: where each kind of sensor went.
enum class SlotKind { kSpeed, kCadence, kSpeedCadence, kHeartRate, kPower };
inline constexpr int kSlotKindCount = 5;

// Series colours, as Windows colour values 0x00BBGGRR.
namespace series_colour {
inline constexpr std::uint32_t kHeartRate = 0x0000FF;  // red
inline constexpr std::uint32_t kSpeed = 0x9314FF;      // pink
inline constexpr std::uint32_t kCadence = 0x00FF00;    // green
inline constexpr std::uint32_t kPower = 0xFF0000;      // blue
}  // namespace series_colour

// One value a sensor draws on its rider's graph.
struct GraphSeries {
  EventHeader reading;
  std::uint32_t colour;
};

using DecoderMaker = std::unique_ptr<CDisplay> (*)(const DecoderSetup&);
std::unique_ptr<CDisplay> MakeHeartRateDecoder(const DecoderSetup& setup);
std::unique_ptr<CDisplay> MakeBikeSpeedDecoder(const DecoderSetup& setup);
std::unique_ptr<CDisplay> MakeBikeCadenceDecoder(const DecoderSetup& setup);
std::unique_ptr<CDisplay> MakeBikeSpeedCadenceDecoder(const DecoderSetup& setup);
std::unique_ptr<CDisplay> MakeBikePowerDecoder(const DecoderSetup& setup);

// Everything the program knows about one kind of sensor.
struct SensorKind {
  std::uint8_t deviceType;
  const char* name;
  std::uint16_t channelPeriod;  // 1/32768 s between messages
  // The boxes an active sensor of this kind enables; while all of them are
  // ticked the rider wants the sensor.
  BoxSet boxes;
  SensorBox registeringBox;  // the box whose registration opens it
  SlotKind slot;
  bool usesWheel;  // its speed or torque is measured on the rider's wheel
  std::uint8_t seriesCount;
  std::array<GraphSeries, 2> series;  // reserved on the rider's graph, in order
  DecoderMaker makeDecoder;
  // A member rides one sensor per measure: activating a sensor of this kind
  // switches off the member's active sensors of these kinds, every one of
  // them or the first of each.
  std::uint8_t switchesOffCount;
  std::array<std::uint8_t, 2> switchesOff;
  bool switchesOffEvery;

  bool Enables(SensorBox box) const { return (boxes & BoxBit(box)) != 0; }
  std::span<const std::uint8_t> SwitchesOff() const {
    return {switchesOff.data(), switchesOffCount};
  }
};

inline constexpr std::array<SensorKind, 5> kSensorKinds = {{
    {
        .deviceType = device_type::kHeartRate,
        .name = "heart rate",
        .channelPeriod = 8070,
        .boxes = BoxBit(SensorBox::kHeartRate),
        .registeringBox = SensorBox::kHeartRate,
        .slot = SlotKind::kHeartRate,
        .usesWheel = false,
        .seriesCount = 1,
        .series = {{{EventHeader::kHeartRate, series_colour::kHeartRate}, {}}},
        .makeDecoder = &MakeHeartRateDecoder,
        .switchesOffCount = 0,
        .switchesOff = {},
        .switchesOffEvery = false,
    },
    {
        .deviceType = device_type::kBikeSpeed,
        .name = "bike speed",
        .channelPeriod = 8118,
        .boxes = BoxBit(SensorBox::kSpeed),
        .registeringBox = SensorBox::kSpeed,
        .slot = SlotKind::kSpeed,
        .usesWheel = true,
        .seriesCount = 1,
        .series = {{{EventHeader::kSpeed, series_colour::kSpeed}, {}}},
        .makeDecoder = &MakeBikeSpeedDecoder,
        .switchesOffCount = 1,
        .switchesOff = {device_type::kBikeSpeedCadence},
        .switchesOffEvery = false,
    },
    {
        .deviceType = device_type::kBikeCadence,
        .name = "bike cadence",
        .channelPeriod = 8102,
        .boxes = BoxBit(SensorBox::kCadence),
        .registeringBox = SensorBox::kCadence,
        .slot = SlotKind::kCadence,
        .usesWheel = false,
        .seriesCount = 1,
        .series = {{{EventHeader::kCadence, series_colour::kCadence}, {}}},
        .makeDecoder = &MakeBikeCadenceDecoder,
        .switchesOffCount = 2,
        .switchesOff = {device_type::kBikeSpeedCadence, device_type::kBikePower},
        .switchesOffEvery = false,
    },
    {
        .deviceType = device_type::kBikeSpeedCadence,
        .name = "bike speed and cadence",
        .channelPeriod = 8086,
        .boxes = BoxBit(SensorBox::kSpeed) | BoxBit(SensorBox::kCadence),
        .registeringBox = SensorBox::kSpeed,
        .slot = SlotKind::kSpeedCadence,
        .usesWheel = true,
        .seriesCount = 2,
        .series = {{{EventHeader::kSpeed, series_colour::kSpeed},
                    {EventHeader::kCadence, series_colour::kCadence}}},
        .makeDecoder = &MakeBikeSpeedCadenceDecoder,
        .switchesOffCount = 2,
        .switchesOff = {device_type::kBikeSpeed, device_type::kBikeCadence},
        .switchesOffEvery = true,
    },
    {
        .deviceType = device_type::kBikePower,
        .name = "bicycle power",
        .channelPeriod = 8182,
        .boxes = BoxBit(SensorBox::kPower) | BoxBit(SensorBox::kCadence),
        .registeringBox = SensorBox::kPower,
        .slot = SlotKind::kPower,
        .usesWheel = true,
        .seriesCount = 2,
        .series = {{{EventHeader::kPower, series_colour::kPower},
                    {EventHeader::kCadence, series_colour::kCadence}}},
        .makeDecoder = &MakeBikePowerDecoder,
        .switchesOffCount = 1,
        .switchesOff = {device_type::kBikeCadence},
        .switchesOffEvery = true,
    },
}};

// The kind of a device type; nullptr for a type this program does not decode.
constexpr const SensorKind* FindSensorKind(int deviceType) {
  for (const SensorKind& kind : kSensorKinds) {
    if (kind.deviceType == deviceType) return &kind;
  }
  return nullptr;
}

// The channel period of a decoded device type (0 for any other). No
// pointer is compared here: GCC 12 with UndefinedBehaviorSanitizer does not
// take a comparison of a table entry's address as a constant expression.
constexpr std::uint16_t ChannelPeriodOf(int deviceType) {
  for (const SensorKind& kind : kSensorKinds) {
    if (kind.deviceType == deviceType) return kind.channelPeriod;
  }
  return 0;
}

// True for the device types the program decodes.
constexpr bool IsDecodedDeviceType(int deviceType) { return FindSensorKind(deviceType) != nullptr; }

// The decoded device types, smallest first: "11, 120, 121, 122, 123".
std::string DecodedDeviceTypesText();

// The decoder for a device type, or nullptr for a type this program does
// not decode.
std::unique_ptr<CDisplay> MakeDecoder(int deviceType, const DecoderSetup& setup);

}  // namespace vel
