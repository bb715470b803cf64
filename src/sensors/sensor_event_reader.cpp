#include "sensors/sensor_event_reader.h"

#include <cpprest/json.h>

#include "common/json_fields.h"

namespace vel {

std::optional<SensorEventFields> ReadSensorEvent(std::string_view text) {
  std::error_code error;
  const web::json::value v = web::json::value::parse(std::string(text), error);
  if (error || !v.is_object()) return std::nullopt;
  SensorEventFields e;
  const auto header = ReadInt(v, "header");
  const auto uiid = ReadInt(v, "uiid");
  if (!header || !uiid) return std::nullopt;
  e.header = *header;
  e.uiid = *uiid;
  e.deviceType = ReadInt(v, "devicetype").value_or(-1);
  e.graphId = ReadInt(v, "graphid").value_or(-1);
  e.deviceId = ReadInt(v, "deviceid").value_or(-1);
  e.receiver = ReadInt(v, "receiver").value_or(-1);
  e.channel = ReadInt(v, "channel").value_or(-1);
  e.tick = ReadId(v, "tick").value_or(0);
  for (const char* key : {"bpm", "speed", "distance", "cadence", "power", "battery"}) {
    if (const auto n = ReadNumber(v, key)) {
      e.value = *n;
      break;
    }
  }
  return e;
}

}  // namespace vel
