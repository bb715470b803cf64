#include "sensors/sensor_event.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "common/queues.h"

namespace vel {

// Append-only writer for the fixed event layouts, straight into the text's
// own characters: fixed parts are copied whole, numbers written with
// to_chars. The layouts are far shorter than the capacity; should one ever
// not fit, the text is cut rather than written past its end.
class EventWriter {
 public:
  explicit EventWriter(EventText& text) : text_(text) { text_.size_ = 0; }

  EventWriter& Raw(std::string_view part) {
    if (part.size() <= EventText::kCapacity - text_.size_) {
      std::memcpy(Cursor(), part.data(), part.size());
      text_.size_ += part.size();
    }
    return *this;
  }

  template <typename Int>
  EventWriter& Integer(Int value) {
    const auto [end, ec] = std::to_chars(Cursor(), Limit(), value);
    if (ec == std::errc()) text_.size_ = static_cast<std::size_t>(end - text_.chars_);
    return *this;
  }

  EventWriter& Real(double value) {
    // JSON has no infinity or not-a-number.
    if (!std::isfinite(value)) value = 0.0;
    char* const begin = Cursor();
    const auto [end, ec] = std::to_chars(begin, Limit(), value);
    if (ec != std::errc()) return *this;
    text_.size_ = static_cast<std::size_t>(end - text_.chars_);
    // Keep the floating form visible: 0 is written 0.0.
    if (std::find_if(begin, end, [](char c) { return c == '.' || c == 'e'; }) == end) Raw(".0");
    return *this;
  }

  EventWriter& Value(const EventValue& value) {
    return value.isReal ? Real(value.real) : Integer(value.integer);
  }

 private:
  char* Cursor() { return text_.chars_ + text_.size_; }
  char* Limit() { return text_.chars_ + EventText::kCapacity; }

  EventText& text_;
};

namespace {

// The value's key with the separator before it.
std::string_view ValueKey(EventHeader header) {
  switch (header) {
    case EventHeader::kHeartRate: return ",\"bpm\":";
    case EventHeader::kSpeed: return ",\"speed\":";
    case EventHeader::kDistance: return ",\"distance\":";
    case EventHeader::kCadence: return ",\"cadence\":";
    case EventHeader::kPower: return ",\"power\":";
    case EventHeader::kChannelReleased:
    case EventHeader::kBattery: break;
  }
  return ",\"value\":";
}

void WriteReadingEvent(EventText& text, EventHeader header, int uiid, int deviceType, int graphId,
                       EventValue value, std::uint64_t tick) {
  EventWriter w(text);
  w.Raw("{\"header\":").Integer(static_cast<int>(header));
  w.Raw(",\"uiid\":").Integer(uiid);
  w.Raw(",\"devicetype\":").Integer(deviceType);
  if (header != EventHeader::kDistance) w.Raw(",\"graphid\":").Integer(graphId);
  w.Raw(ValueKey(header)).Value(value);
  w.Raw(",\"tick\":").Integer(tick).Raw("}");
}

}  // namespace

void EventBatch::AddReading(EventHeader header, int uiid, int deviceType, int graphId,
                            EventValue value, std::uint64_t tick) {
  if (count_ < kCapacity)
    WriteReadingEvent(texts_[count_++], header, uiid, deviceType, graphId, value, tick);
}

void EventBatch::Push() const {
  std::string_view views[kCapacity];
  for (std::size_t i = 0; i < count_; ++i) views[i] = texts_[i];
  PushEvents(views, count_);
}

EventText BuildReadingEvent(EventHeader header, int uiid, int deviceType, int graphId,
                            EventValue value, std::uint64_t tick) {
  EventText text;
  WriteReadingEvent(text, header, uiid, deviceType, graphId, value, tick);
  return text;
}

EventText BuildDetachEvent(EventHeader header, int uiid, int deviceType, int graphId,
                           std::uint64_t tick) {
  EventText text;
  EventWriter w(text);
  w.Raw("{\"uiid\":").Integer(uiid);
  w.Raw(",\"devicetype\":").Integer(deviceType);
  w.Raw(",\"graphid\":").Integer(graphId);
  w.Raw(",\"header\":").Integer(static_cast<int>(header));
  w.Raw(ValueKey(header)).Value(EventValue::Retract());
  w.Raw(",\"tick\":").Integer(tick).Raw("}");
  return text;
}

EventText BuildReleasedEvent(int uiid, int deviceNumber, int deviceType, int receiver,
                             int channel) {
  EventText text;
  EventWriter w(text);
  w.Raw("{\"header\":").Integer(static_cast<int>(EventHeader::kChannelReleased));
  w.Raw(",\"uiid\":").Integer(uiid);
  w.Raw(",\"deviceid\":").Integer(deviceNumber);
  w.Raw(",\"devicetype\":").Integer(deviceType);
  w.Raw(",\"receiver\":").Integer(receiver);
  w.Raw(",\"channel\":").Integer(channel).Raw("}");
  return text;
}

EventText BuildBatteryEvent(int uiid, int deviceType, int status, std::uint64_t tick) {
  EventText text;
  EventWriter w(text);
  w.Raw("{\"header\":").Integer(static_cast<int>(EventHeader::kBattery));
  w.Raw(",\"uiid\":").Integer(uiid);
  w.Raw(",\"devicetype\":").Integer(deviceType);
  w.Raw(",\"battery\":").Integer(status);
  w.Raw(",\"tick\":").Integer(tick).Raw("}");
  return text;
}

}  // namespace vel
