#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vel {

// The `header` of a sensor event: what it reports.
enum class EventHeader : int {
  kHeartRate = 0,
  kSpeed = 1,
  kDistance = 2,
  kCadence = 3,
  kPower = 4,
  kChannelReleased = 5,
  kBattery = 6,  // a sensor's battery status (BatteryStatus), when it changes
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

// A sensor event's text, written in place: the receive loops build one
// for every message, so it costs no heap memory.
class EventText {
 public:
  // The longest event (a distance with every number at its widest) is
  // about 160 characters.
  static constexpr std::size_t kCapacity = 192;

  EventText() = default;
  // Copies only the characters in use.
  EventText(const EventText& other) : size_(other.size_) {
    std::memcpy(chars_, other.chars_, size_);
  }
  EventText& operator=(const EventText& other) {
    size_ = other.size_;
    std::memmove(chars_, other.chars_, size_);
    return *this;
  }

  std::string_view View() const { return {chars_, size_}; }
  operator std::string_view() const { return View(); }  // NOLINT: read as text
  friend bool operator==(const EventText& text, std::string_view other) {
    return text.View() == other;
  }

 private:
  friend class EventWriter;
  char chars_[kCapacity];
  std::size_t size_ = 0;
};

// The texts a decoder sends for one message, queued together: one lock
// for the two or three events of a combined sensor.
class EventBatch {
 public:
  static constexpr std::size_t kCapacity = 3;
  // Writes a reading event (as BuildReadingEvent) in place.
  void AddReading(EventHeader header, int uiid, int deviceType, int graphId, EventValue value,
                  std::uint64_t tick);
  // Queues the texts added so far, in order.
  void Push() const;

 private:
  EventText texts_[kCapacity];
  std::size_t count_ = 0;
};

// The compact JSON text of a reading event, keys in the order
// header, uiid, devicetype, graphid, <value key>, tick. Distance events
// carry no graphid. The value key follows the header: bpm, speed,
// distance, cadence or power.
EventText BuildReadingEvent(EventHeader header, int uiid, int deviceType, int graphId,
                            EventValue value, std::uint64_t tick);

// The text a two-graph decoder pushes when one of its graphs is taken away:
// the value -1 for that graph, keys in the order uiid, devicetype, graphid,
// header, <value key>, tick.
EventText BuildDetachEvent(EventHeader header, int uiid, int deviceType, int graphId,
                           std::uint64_t tick);

// The text of a channel-released event: header 5, uiid, deviceid,
// devicetype, then the receiver index and channel the sensor had, so that
// a release that comes late acts only on the slot that still names them.
EventText BuildReleasedEvent(int uiid, int deviceNumber, int deviceType, int receiver, int channel);

// The text of a battery event: header 6, uiid, devicetype, battery (the
// status number), tick.
EventText BuildBatteryEvent(int uiid, int deviceType, int status, std::uint64_t tick);

}  // namespace vel
