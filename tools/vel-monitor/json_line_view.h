#pragma once

#include <cpprest/json.h>

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/rider_panel_view.h"
#include "common/message_box.h"
#include "common/room.h"
#include "common/slot_table.h"

namespace vel {

// The rider panels as lines of JSON, one per change a person would see:
// {"panel":K,"control":"speed","text":" 23.4"}, {"panel":K,"control":
// "frontgear","index":2}, {"panel":K,"control":"clock","text":"00:01:05"},
// and message boxes as {"message":"..."}.
class JsonLineView : public RiderPanelView, public MessageBox {
 public:
  using LineSink = std::function<void(const std::string&)>;
  explicit JsonLineView(LineSink out) : out_(std::move(out)) {}

  int AddSeries(int panel, std::uint32_t colour) override;
  void RemoveSeries(int panel, int series) override;
  void PushSample(int, int, int) override {}
  void SetValueText(int panel, PanelValue value, const std::string& text) override;
  void SetGearCount(int, GearIndicator, int) override {}
  void SetSelectedGear(int panel, GearIndicator gear, int index) override;
  void SetSensorBox(int, SensorBox, bool, bool) override {}
  void SetStartButton(int, const std::string&, bool) override {}
  void SetClockText(int panel, const std::string& text) override;
  void SetGroupCaption(int, const std::string&) override {}
  void SetMemberSelection(int, std::optional<int>) override {}
  // {"panel":0,"control":"heartratezone","zone":3,"percent":74}, and
  // "powerzone"; zone and percent null without a zone.
  void SetZone(int panel, ZoneKind kind, std::optional<ZoneReading> reading) override;
  // {"panel":0,"control":"battery","sensor":"heartrate","status":"low"}
  // (ok, low, critical).
  void SetBattery(int panel, SensorBox sensor, BatteryLevel level) override;
  // {"panel":0,"control":"signal","sensor":"power","status":"lost"} (or ok).
  void SetSignal(int panel, SensorBox sensor, bool lost) override;
  void Show(const std::string& text) override;

 private:
  void Emit(int panel, const std::string& control, const std::string& text);
  void EmitIndex(int panel, const std::string& control, int index);
  // A line of `fields` after panel and control, when it differs from the
  // last under `key`.
  void EmitFields(int panel, const std::string& control, const std::string& key,
                  const std::vector<std::pair<const char*, web::json::value>>& fields);

  LineSink out_;
  std::map<std::pair<int, std::string>, std::string> shown_;   // only changes are written
  std::array<SlotTable<std::uint32_t>, kRiderPanels> series_;  // the colours of the graphs' series
};

}  // namespace vel
