#include "json_line_view.h"

#include <cpprest/json.h>

#include <cmath>

namespace vel {
namespace {

const char* ControlName(PanelValue value) {
  switch (value) {
    case PanelValue::kSpeed: return "speed";
    case PanelValue::kDistance: return "distance";
    case PanelValue::kCadence: return "cadence";
    case PanelValue::kHeartRate: return "heartrate";
    case PanelValue::kPower: return "power";
    case PanelValue::kMaxSpeed: return "maxspeed";
    case PanelValue::kMaxCadence: return "maxcadence";
    case PanelValue::kMaxHeartRate: return "maxheartrate";
  }
  return "value";
}

const char* SensorName(SensorBox sensor) {
  switch (sensor) {
    case SensorBox::kSpeed: return "speed";
    case SensorBox::kCadence: return "cadence";
    case SensorBox::kHeartRate: return "heartrate";
    case SensorBox::kPower: return "power";
  }
  return "sensor";
}

}  // namespace

int JsonLineView::AddSeries(int panel, std::uint32_t colour) {
  return series_.at(static_cast<std::size_t>(panel)).Add(colour);
}

void JsonLineView::RemoveSeries(int panel, int series) {
  series_.at(static_cast<std::size_t>(panel)).Remove(series);
}

void JsonLineView::SetValueText(int panel, PanelValue value, const std::string& text) {
  Emit(panel, ControlName(value), text);
}

void JsonLineView::SetSelectedGear(int panel, GearIndicator gear, int index) {
  EmitIndex(panel, gear == GearIndicator::kFront ? "frontgear" : "reargear", index);
}

void JsonLineView::SetClockText(int panel, const std::string& text) { Emit(panel, "clock", text); }

void JsonLineView::SetZone(int panel, ZoneKind kind, std::optional<ZoneReading> reading) {
  using web::json::value;
  const char* control = kind == ZoneKind::kHeartRate ? "heartratezone" : "powerzone";
  EmitFields(panel, control, control,
             {{"zone", reading ? value::number(reading->zone) : value::null()},
              {"percent", reading ? value::number(static_cast<int>(std::lround(reading->percent)))
                                  : value::null()}});
}

void JsonLineView::SetBattery(int panel, SensorBox sensor, BatteryLevel level) {
  using web::json::value;
  const char* status = level == BatteryLevel::kCritical ? "critical"
                       : level == BatteryLevel::kLow    ? "low"
                                                        : "ok";
  EmitFields(panel, "battery", std::string("battery ") + SensorName(sensor),
             {{"sensor", value::string(SensorName(sensor))}, {"status", value::string(status)}});
}

void JsonLineView::SetSignal(int panel, SensorBox sensor, bool lost) {
  using web::json::value;
  EmitFields(panel, "signal", std::string("signal ") + SensorName(sensor),
             {{"sensor", value::string(SensorName(sensor))},
              {"status", value::string(lost ? "lost" : "ok")}});
}

void JsonLineView::EmitFields(int panel, const std::string& control, const std::string& key,
                              const std::vector<std::pair<const char*, web::json::value>>& fields) {
  web::json::value line = web::json::value::object(true);
  line["panel"] = web::json::value::number(panel);
  line["control"] = web::json::value::string(control);
  for (const auto& [name, field] : fields) line[name] = field;
  const std::string text = line.serialize();
  auto [it, added] = shown_.try_emplace({panel, key}, text);
  if (!added && it->second == text) return;
  it->second = text;
  out_(text);
}

void JsonLineView::Show(const std::string& text) {
  web::json::value line = web::json::value::object(true);
  line["message"] = web::json::value::string(text);
  out_(line.serialize());
}

void JsonLineView::Emit(int panel, const std::string& control, const std::string& text) {
  auto [it, added] = shown_.try_emplace({panel, control}, text);
  if (!added && it->second == text) return;
  it->second = text;
  web::json::value line = web::json::value::object(true);
  line["panel"] = web::json::value::number(panel);
  line["control"] = web::json::value::string(control);
  line["text"] = web::json::value::string(text);
  out_(line.serialize());
}

void JsonLineView::EmitIndex(int panel, const std::string& control, int index) {
  const std::string key = std::to_string(index);
  auto [it, added] = shown_.try_emplace({panel, control}, key);
  if (!added && it->second == key) return;
  it->second = key;
  web::json::value line = web::json::value::object(true);
  line["panel"] = web::json::value::number(panel);
  line["control"] = web::json::value::string(control);
  line["index"] = web::json::value::number(index);
  out_(line.serialize());
}

}  // namespace vel
