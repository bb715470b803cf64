#pragma once

#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "app/channel_plan.h"
#include "app/rider_panel_view.h"
#include "common/message_box.h"
#include "common/room.h"
#include "sensors/sensor_kinds.h"
#include "team/roster_records.h"

namespace vel {

// The four sensor check boxes of each rider panel and the registrations
// behind them: ticking a box puts the rider's sensor of that kind on a
// channel, unticking closes it, and a channel the stick released while its
// boxes stay ticked is registered again, silently. Which sensor of a kind
// a box opens, and which boxes follow, is read from the tick and untick
// tables.
//
// User-interface thread only.
class SensorBoxes {
 public:
  // The sensors a panel's boxes may open: its member's, or those given to
  // a panel without a member.
  using SensorsOfPanel = std::function<const std::vector<DeviceRecord>&(int panel)>;

  SensorBoxes(RiderPanelView& view, MessageBox& messages, ChannelPlan& plan,
              SensorsOfPanel sensors);

  // The user clicked an enabled box: it flips, and its sensor is opened
  // (failures told) or closed.
  void Click(int panel, SensorBox box);
  // Unticks every ticked box, closing its sensors, and disables them all.
  void Reset(int panel);
  // Enables the boxes an active sensor of this kind needs.
  void EnableFor(int panel, const SensorKind& kind);
  // The stick released a channel of the panel: the slot that still names
  // that stick and channel is freed and, while the rider still wants the
  // sensor, it is registered again. A release that comes after the slot
  // moved on (the user closed the sensor and opened it again elsewhere)
  // leaves the slot alone.
  void OnChannelReleased(int panel, int deviceType, int receiver, int channel);
  // A stick was lost: every sensor it carried that its rider still wants
  // goes to a free channel of another stick, or waits for one.
  void OnStickLost(int receiver);
  // A stick may have a free channel now: the sensors that wait try again.
  void PlaceWaiting();
  bool AnyWaiting() const;

  bool Checked(int panel, SensorBox box) const;
  bool Enabled(int panel, SensorBox box) const;
  const SensorSlot& Slot(int panel, int deviceType) const;

 private:
  struct Box {
    bool checked = false;
    bool enabled = false;
  };
  struct Panel {
    std::array<Box, kSensorBoxCount> boxes;
    std::array<SensorSlot, kSlotKindCount> slots;
  };
  // A condition on one of the panel's slots.
  struct SlotState {
    SlotKind slot;
    bool inUse;
  };
  // Boxes set or cleared, all or only while a slot is in a state.
  struct BoxChange {
    BoxSet boxes = 0;
    std::optional<SlotState> when;
  };
  // One sensor kind a box tries to open.
  struct Attempt {
    std::uint8_t deviceType;
    bool quietWhenOpen;  // an open sensor of this kind ends the tick silently
    BoxChange tickedOnSuccess;
    const char* failure;  // the message of a failed registration
    std::array<BoxChange, 2> untickedOnFailure;
  };
  // Ticking a box: the kinds it tries, in order; the first kind the rider
  // has is the one registered.
  struct TickRule {
    std::vector<Attempt> attempts;
  };
  // Unticking a box: the first branch whose condition holds.
  struct UntickBranch {
    std::optional<SlotState> when;
    SlotKind closes;
    BoxChange ticked;
    BoxChange unticked;
  };
  static const std::array<TickRule, kSensorBoxCount> kTickRules;
  static const std::array<std::vector<UntickBranch>, kSensorBoxCount> kUntickRules;

  // All the boxes a sensor of this kind needs are ticked.
  bool Wanted(int panel, const SensorKind& kind) const;
  void Tick(int panel, SensorBox box, bool showMessages);
  void Untick(int panel, SensorBox box);
  void Apply(int panel, const BoxChange& change, bool checked);
  bool Holds(int panel, const SlotState& state) const;
  std::optional<DeviceRecord> FirstSensor(int panel, int deviceType) const;
  SensorSlot& SlotOf(int panel, SlotKind kind);
  void SetBox(int panel, SensorBox box, bool checked);
  void SetBoxEnabled(int panel, SensorBox box, bool enabled);

  RiderPanelView& view_;
  MessageBox& messages_;
  ChannelPlan& plan_;
  SensorsOfPanel sensors_;
  std::array<Panel, kRiderPanels> panels_;
};

}  // namespace vel
