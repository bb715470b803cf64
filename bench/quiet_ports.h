#pragma once

// Ports for benchmarks that measure the board's own work: a panel view
// that shows nothing and an application server that never answers. A
// benchmark overrides only what it watches.
#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "app/rider_panel_view.h"
#include "server/packet_sender.h"

namespace vel::bench {

class QuietPanelView : public RiderPanelView {
 public:
  // Each panel's series are numbered in turn, as a graph numbers them.
  int AddSeries(int panel, std::uint32_t) override {
    return next_[static_cast<std::size_t>(panel)]++;
  }
  void RemoveSeries(int, int) override {}
  void SetValueText(int, PanelValue, const std::string&) override {}
  void PushSample(int, int, int) override {}
  void SetGearCount(int, GearIndicator, int) override {}
  void SetSelectedGear(int, GearIndicator, int) override {}
  void SetSensorBox(int, SensorBox, bool, bool) override {}
  void SetStartButton(int, const std::string&, bool) override {}
  void SetClockText(int, const std::string&) override {}
  void SetGroupCaption(int, const std::string&) override {}
  void SetMemberSelection(int, std::optional<int>) override {}

 private:
  std::array<int, 10> next_{};
};

class NoServer : public PacketSender {
 public:
  bool SendPacket(const web::json::value&, web::json::value&) override { return false; }
};

}  // namespace vel::bench
