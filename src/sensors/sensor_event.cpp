#include "sensors/sensor_event.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace vel {

// Append-only writer for the fixed event layouts, straight into the text's
// own characters. The layouts are far shorter than the capacity; should
// one ever not fit, the text is cut rather than written past its end.
class EventWriter {
 public:
  EventWriter() { Put('{'); }

  template <typename Int>
  void Integer(const char* key, Int value) {
    Key(key);
    const auto [end, ec] = std::to_chars(Cursor(), Limit(), value);
    if (ec == std::errc()) text_.size_ = static_cast<std::size_t>(end - text_.chars_);
  }

  void Real(const char* key, double value) {
    Key(key);
    // JSON has no infinity or not-a-number.
    if (!std::isfinite(value)) value = 0.0;
    char* const begin = Cursor();
    const auto [end, ec] = std::to_chars(begin, Limit(), value);
    if (ec != std::errc()) return;
    text_.size_ = static_cast<std::size_t>(end - text_.chars_);
    // Keep the floating form visible: 0 is written 0.0.
    const auto written = static_cast<std::size_t>(end - begin);
    if (std::memchr(begin, '.', written) == nullptr && std::memchr(begin, 'e', written) == nullptr) {
      Put('.');
      Put('0');
    }
  }

  void Value(const char* key, const EventValue& value) {
    if (value.isReal) {
      Real(key, value.real);
    } else {
      Integer(key, value.integer);
    }
  }

  EventText Finish() {
    Put('}');
    return text_;
  }

 private:
  char* Cursor() { return text_.chars_ + text_.size_; }
  char* Limit() { return text_.chars_ + EventText::kCapacity; }

  void Put(char c) {
    if (text_.size_ < EventText::kCapacity) text_.chars_[text_.size_++] = c;
  }

  void Key(const char* key) {
    if (text_.size_ > 1) Put(',');
    Put('"');
    for (const char* k = key; *k != '\0'; ++k) Put(*k);
    Put('"');
    Put(':');
  }

  EventText text_;
};

namespace {

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

EventText BuildReadingEvent(EventHeader header, int uiid, int deviceType, int graphId,
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

EventText BuildDetachEvent(EventHeader header, int uiid, int deviceType, int graphId,
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

EventText BuildReleasedEvent(int uiid, int deviceNumber, int deviceType, int receiver,
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
