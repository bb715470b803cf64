#pragma once

#include <cstdint>
#include <string>

namespace vel {

// The `header` of a sensor event: what it reports.
enum class EventHeader : int {
  kHeartRate = 0,
  kSpeed = 1,
  kDistance = 2,
  kCadence = 3,
  kPower = 4,
  kChannelReleased = 5,
};

// A reading's value: speed and distance readings are floating numbers,
// the others integers; a retraction (-1) is always an integer.
struct EventValue {
  static EventValue Integer(std::int64_t v) { return EventValue{false, 0.0, v}; }
  static EventValue Real(double v) { return EventValue{true, v, 0}; }
  static EventValue Retract() { return Integer(-1); }

  bool isReal;
  double real;
  std::int64_t integer;
};

// The compact JSON text of a reading event, keys in the order
// header, uiid, devicetype, graphid, <value key>, tick. Distance events
// carry no graphid. The value key follows the header: bpm, speed,
// distance, cadence or power.
std::string BuildReadingEvent(EventHeader header, int uiid, int deviceType, int graphId,
                              EventValue value, std::uint64_t tick);

// The text a two-graph decoder pushes when one of its graphs is taken away:
// the value -1 for that graph, keys in the order uiid, devicetype, graphid,
// header, <value key>, tick.
std::string BuildDetachEvent(EventHeader header, int uiid, int deviceType, int graphId,
                             std::uint64_t tick);

// The text of a channel-released event: header 5, uiid, deviceid,
// devicetype, then the receiver index and channel the sensor had, so that
// a release that comes late acts only on the slot that still names them.
std::string BuildReleasedEvent(int uiid, int deviceNumber, int deviceType, int receiver,
                               int channel);

}  // namespace vel
