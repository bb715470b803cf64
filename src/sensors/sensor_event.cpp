#include "sensors/sensor_event.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace vel {
namespace {

// Small append-only writer for the fixed event layouts; the events are
// built on the receive loops at every message, so no general JSON value
// is made for them.
class EventWriter {
 public:
  EventWriter() {
    text_.reserve(96);
    text_ += '{';
  }

  template <typename Int>
  void Integer(const char* key, Int value) {
    Key(key);
    char buf[24];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    text_.append(buf, end);
  }

  void Real(const char* key, double value) {
    Key(key);
    // JSON has no infinity or not-a-number.
    if (!std::isfinite(value)) value = 0.0;
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    text_.append(buf, end);
    // Keep the floating form visible: 0 is written 0.0.
    if (std::memchr(buf, '.', static_cast<std::size_t>(end - buf)) == nullptr &&
        std::memchr(buf, 'e', static_cast<std::size_t>(end - buf)) == nullptr) {
      text_ += ".0";
    }
  }

  void Value(const char* key, const EventValue& value) {
    if (value.isReal) {
      Real(key, value.real);
    } else {
      Integer(key, value.integer);
    }
  }

  std::string Finish() {
    text_ += '}';
    return std::move(text_);
  }

 private:
  void Key(const char* key) {
    if (text_.size() > 1) text_ += ',';
    text_ += '"';
    text_ += key;
    text_ += "\":";
  }

  std::string text_;
};

const char* ValueKey(EventHeader header) {
  switch (header) {
    case EventHeader::kHeartRate: return "bpm";
    case EventHeader::kSpeed: return "speed";
    case EventHeader::kDistance: return "distance";
    case EventHeader::kCadence: return "cadence";
    case EventHeader::kPower: return "power";
    case EventHeader::kChannelReleased: break;
  }
  return "value";
}

}  // namespace

std::string BuildReadingEvent(EventHeader header, int uiid, int deviceType, int graphId,
                              EventValue value, std::uint64_t tick) {
  EventWriter w;
  w.Integer("header", static_cast<int>(header));
  w.Integer("uiid", uiid);
  w.Integer("devicetype", deviceType);
  if (header != EventHeader::kDistance) w.Integer("graphid", graphId);
  w.Value(ValueKey(header), value);
  w.Integer("tick", tick);
  return w.Finish();
}

std::string BuildDetachEvent(EventHeader header, int uiid, int deviceType, int graphId,
                             std::uint64_t tick) {
  EventWriter w;
  w.Integer("uiid", uiid);
  w.Integer("devicetype", deviceType);
  w.Integer("graphid", graphId);
  w.Integer("header", static_cast<int>(header));
  w.Value(ValueKey(header), EventValue::Retract());
  w.Integer("tick", tick);
  return w.Finish();
}

std::string BuildReleasedEvent(int uiid, int deviceNumber, int deviceType, int receiver,
                               int channel) {
  EventWriter w;
  w.Integer("header", static_cast<int>(EventHeader::kChannelReleased));
  w.Integer("uiid", uiid);
  w.Integer("deviceid", deviceNumber);
  w.Integer("devicetype", deviceType);
  w.Integer("receiver", receiver);
  w.Integer("channel", channel);
  return w.Finish();
}

}  // namespace vel
