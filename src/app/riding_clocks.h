#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "app/rider_panel_view.h"
#include "common/room.h"

namespace vel {

// The riding clock of each rider panel and its start button: empty without
// a member, "00:00:00" while stopped, the time since the start while
// running. Only the clock is started and stopped; values run whenever
// sensors are on.
//
// User-interface thread only.
class RidingClocks {
 public:
  explicit RidingClocks(RiderPanelView& view);

  // The panel's member changes: the clock stops and shows nothing, the
  // button is disabled.
  void Reset(int panel);
  // The panel has no member.
  void NoMember(int panel);
  // The panel's member may start: "00:00:00" and an enabled button.
  void Ready(int panel);
  void ClickStart(int panel, std::uint32_t now);
  // Shows every clock at the 32-bit tick `now`.
  void Update(std::uint32_t now);
  // The clock text of a panel at once, before the next update.
  void Show(int panel, const std::string& text);

  bool Running(int panel) const {
    return panels_.at(static_cast<std::size_t>(panel)).state == State::kRunning;
  }
  const std::string& Text(int panel) const {
    return panels_.at(static_cast<std::size_t>(panel)).text;
  }

 private:
  enum class State { kNoMember, kStopped, kRunning };
  struct Panel {
    State state = State::kNoMember;
    std::uint32_t startTick = 0;
    std::string text;
  };

  RiderPanelView& view_;
  std::array<Panel, kRiderPanels> panels_;
};

}  // namespace vel
