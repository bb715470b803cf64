#pragma once

#include <array>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "app/rider_panel_view.h"
#include "common/slot_table.h"

namespace vel::test {

// The ten panels' controls as plain state, with the graphs' series tables
// (a removed series leaves its slot free for the next one) and every sample.
class RecordingPanelView : public RiderPanelView {
 public:
  struct Series {
    std::uint32_t colour;
    std::vector<int> samples;
  };
  struct Panel {
    std::array<std::string, kPanelValueCount> texts;
    SlotTable<Series> series;
    std::array<int, 2> gearCount{-1, -1};
    std::array<int, 2> gear{-1, -1};
    std::array<std::pair<bool, bool>, kSensorBoxCount> boxes{};  // checked, enabled
    std::string startText;
    bool startEnabled = false;
    std::string clock;
    std::optional<int> selection;
    int removedUnknownSeries = 0;                       // RemoveSeries of a slot that holds none
    std::array<std::optional<ZoneReading>, 2> zones{};  // heart rate, power
    std::array<BatteryLevel, kSensorBoxCount> battery{};
    std::array<bool, kSensorBoxCount> signalLost{};
  };

  int AddSeries(int panel, std::uint32_t colour) override {
    return panels[static_cast<std::size_t>(panel)].series.Add(Series{colour, {}});
  }
  void RemoveSeries(int panel, int series) override {
    Panel& p = panels[static_cast<std::size_t>(panel)];
    if (!p.series.Remove(series)) ++p.removedUnknownSeries;
  }
  void PushSample(int panel, int series, int value) override {
    if (Series* s = panels[static_cast<std::size_t>(panel)].series.Find(series))
      s->samples.push_back(value);
  }
  void SetValueText(int panel, PanelValue value, const std::string& text) override {
    panels[static_cast<std::size_t>(panel)].texts[static_cast<std::size_t>(value)] = text;
  }
  void SetGearCount(int panel, GearIndicator gear, int count) override {
    panels[static_cast<std::size_t>(panel)].gearCount[static_cast<std::size_t>(gear)] = count;
  }
  void SetSelectedGear(int panel, GearIndicator gear, int index) override {
    panels[static_cast<std::size_t>(panel)].gear[static_cast<std::size_t>(gear)] = index;
  }
  void SetSensorBox(int panel, SensorBox box, bool checked, bool enabled) override {
    panels[static_cast<std::size_t>(panel)].boxes[static_cast<std::size_t>(box)] = {checked,
                                                                                    enabled};
  }
  void SetStartButton(int panel, const std::string& text, bool enabled) override {
    panels[static_cast<std::size_t>(panel)].startText = text;
    panels[static_cast<std::size_t>(panel)].startEnabled = enabled;
  }
  void SetClockText(int panel, const std::string& text) override {
    panels[static_cast<std::size_t>(panel)].clock = text;
  }
  void SetGroupCaption(int, const std::string&) override {}
  void SetMemberSelection(int panel, std::optional<int> index) override {
    panels[static_cast<std::size_t>(panel)].selection = index;
  }
  void SetZone(int panel, ZoneKind kind, std::optional<ZoneReading> reading) override {
    panels[static_cast<std::size_t>(panel)].zones[static_cast<std::size_t>(kind)] = reading;
  }
  void SetBattery(int panel, SensorBox sensor, BatteryLevel level) override {
    panels[static_cast<std::size_t>(panel)].battery[static_cast<std::size_t>(sensor)] = level;
  }
  void SetSignal(int panel, SensorBox sensor, bool lost) override {
    panels[static_cast<std::size_t>(panel)].signalLost[static_cast<std::size_t>(sensor)] = lost;
  }

  const std::string& Text(int panel, PanelValue value) const {
    return panels[static_cast<std::size_t>(panel)].texts[static_cast<std::size_t>(value)];
  }
  // The live series of a panel with a colour.
  std::vector<int> SeriesOfColour(int panel, std::uint32_t colour) const {
    std::vector<int> out;
    const auto& slots = panels[static_cast<std::size_t>(panel)].series;
    for (std::size_t i = 0; i < slots.Size(); ++i) {
      const Series* s = slots.Find(static_cast<int>(i));
      if (s != nullptr && s->colour == colour) out.push_back(static_cast<int>(i));
    }
    return out;
  }
  // The samples of a live series (it must exist).
  const std::vector<int>& Samples(int panel, int series) const {
    return panels[static_cast<std::size_t>(panel)].series.Find(series)->samples;
  }

  std::array<Panel, 10> panels;
};

}  // namespace vel::test
