#include "app/sensor_boxes.h"

#include "common/verify.h"

namespace vel {
namespace {

const char* const kComboFailed = "콤보 센서 수신등록에 실패하였습니다.";
const char* const kSpeedFailed = "속도 센서 수신등록에 실패하였습니다.";
const char* const kPowerFailed = "파워미터 센서 수신등록에 실패하였습니다.";
const char* const kCadenceFailed = "케이던스 센서 수신등록에 실패하였습니다.";
const char* const kHeartRateFailed = "심박 센서 수신등록에 실패하였습니다.";

constexpr BoxSet kSpeed = BoxBit(SensorBox::kSpeed);
constexpr BoxSet kCadence = BoxBit(SensorBox::kCadence);
constexpr BoxSet kHeartRate = BoxBit(SensorBox::kHeartRate);
constexpr BoxSet kPower = BoxBit(SensorBox::kPower);

}  // namespace

// Indexed by SensorBox: speed, cadence, heart rate, power.
const std::array<SensorBoxes::TickRule, kSensorBoxCount> SensorBoxes::kTickRules = {{
    {{
        {device_type::kBikeSpeedCadence,
         false,
         {kCadence, {}},
         kComboFailed,
         {{{kSpeed, {}}, {kCadence, SlotState{SlotKind::kPower, true}}}}},
        {device_type::kBikeSpeed, false, {}, kSpeedFailed, {{{kSpeed, {}}, {}}}},
    }},
    {{
        {device_type::kBikePower,
         true,
         {kPower, {}},
         kPowerFailed,
         {{{kCadence | kPower, {}}, {}}}},
        {device_type::kBikeSpeedCadence,
         false,
         {kSpeed, {}},
         kComboFailed,
         {{{kCadence | kSpeed, {}}, {}}}},
        {device_type::kBikeCadence, false, {}, kCadenceFailed, {{{kCadence, {}}, {}}}},
    }},
    {{
        {device_type::kHeartRate, false, {}, kHeartRateFailed, {{{kHeartRate, {}}, {}}}},
    }},
    {{
        {device_type::kBikePower,
         false,
         {kCadence, SlotState{SlotKind::kSpeedCadence, false}},
         kPowerFailed,
         {{{kCadence, SlotState{SlotKind::kSpeedCadence, true}}, {kPower, {}}}}},
    }},
}};

const std::array<std::vector<SensorBoxes::UntickBranch>, kSensorBoxCount>
    SensorBoxes::kUntickRules = {{
        {
            {SlotState{SlotKind::kSpeedCadence, false}, SlotKind::kSpeed, {}, {}},
            {std::nullopt,
             SlotKind::kSpeedCadence,
             {},
             {kCadence, SlotState{SlotKind::kPower, false}}},
        },
        {
            {SlotState{SlotKind::kPower, true},
             SlotKind::kPower,
             {kCadence, SlotState{SlotKind::kSpeedCadence, true}},
             {kPower, {}}},
            {SlotState{SlotKind::kSpeedCadence, true}, SlotKind::kSpeedCadence, {}, {kSpeed, {}}},
            {std::nullopt, SlotKind::kCadence, {}, {}},
        },
        {
            {SlotState{SlotKind::kHeartRate, true}, SlotKind::kHeartRate, {}, {}},
        },
        {
            {SlotState{SlotKind::kPower, true},
             SlotKind::kPower,
             {},
             {kCadence, SlotState{SlotKind::kSpeedCadence, false}}},
        },
    }};

SensorBoxes::SensorBoxes(RiderPanelView& view, MessageBox& messages, ChannelPlan& plan,
                         SensorsOfPanel sensors)
    : view_(view), messages_(messages), plan_(plan), sensors_(std::move(sensors)) {}

void SensorBoxes::Click(int panel, SensorBox box) {
  if (!Enabled(panel, box)) return;
  const bool ticked = !Checked(panel, box);
  SetBox(panel, box, ticked);
  if (ticked) {
    Tick(panel, box, true);
  } else {
    Untick(panel, box);
  }
}

void SensorBoxes::Reset(int panel) {
  for (int b = 0; b < kSensorBoxCount; ++b) {
    const auto box = static_cast<SensorBox>(b);
    if (Checked(panel, box)) {
      SetBox(panel, box, false);
      Untick(panel, box);
    }
  }
  for (int b = 0; b < kSensorBoxCount; ++b) SetBoxEnabled(panel, static_cast<SensorBox>(b), false);
}

void SensorBoxes::EnableFor(int panel, const SensorKind& kind) {
  for (int b = 0; b < kSensorBoxCount; ++b) {
    const auto box = static_cast<SensorBox>(b);
    if (kind.Enables(box)) SetBoxEnabled(panel, box, true);
  }
}

void SensorBoxes::OnChannelReleased(int panel, int deviceType, int receiver, int channel) {
  const SensorKind* kind = FindSensorKind(deviceType);
  // Only decoders of known kinds are ever put on a channel.
  VEL_VERIFY_OR_DEBUG_ASSERT(kind != nullptr) { return; }
  SensorSlot& slot = SlotOf(panel, kind->slot);
  if (!slot.Names(receiver, channel)) return;
  if (deviceType == device_type::kBikePower) plan_.GiveCadenceBackToCombinedSensor(panel);
  slot.Clear();

  // A channel the stick closed by itself is assigned again for as long as
  // the rider wants the sensor.
  if (Wanted(panel, *kind)) Tick(panel, kind->registeringBox, false);
}

void SensorBoxes::OnStickLost(int receiver) {
  for (int panel = 0; panel < kRiderPanels; ++panel) {
    for (SensorSlot& slot : panels_[static_cast<std::size_t>(panel)].slots) {
      if (slot.Free() || slot.receiver != receiver) continue;
      if (Wanted(panel, *FindSensorKind(slot.deviceType))) {
        plan_.MoveSensor(panel, slot);
      } else {
        plan_.DropSensor(panel, slot);
      }
    }
  }
}

void SensorBoxes::PlaceWaiting() {
  for (int panel = 0; panel < kRiderPanels; ++panel) {
    for (SensorSlot& slot : panels_[static_cast<std::size_t>(panel)].slots) {
      if (!slot.Waiting()) continue;
      if (Wanted(panel, *FindSensorKind(slot.deviceType))) {
        plan_.MoveSensor(panel, slot);
      } else {
        plan_.DropSensor(panel, slot);
      }
    }
  }
}

bool SensorBoxes::AnyWaiting() const {
  for (const Panel& p : panels_) {
    for (const SensorSlot& slot : p.slots) {
      if (slot.Waiting()) return true;
    }
  }
  return false;
}

bool SensorBoxes::Wanted(int panel, const SensorKind& kind) const {
  for (int b = 0; b < kSensorBoxCount; ++b) {
    const auto box = static_cast<SensorBox>(b);
    if (kind.Enables(box) && !Checked(panel, box)) return false;
  }
  return true;
}

void SensorBoxes::Tick(int panel, SensorBox box, bool showMessages) {
  for (const Attempt& attempt : kTickRules[static_cast<std::size_t>(box)].attempts) {
    const auto sensor = FirstSensor(panel, attempt.deviceType);
    if (!sensor) continue;
    const SensorKind* kind = FindSensorKind(attempt.deviceType);
    SensorSlot& slot = SlotOf(panel, kind->slot);
    if (attempt.quietWhenOpen && !slot.Free()) return;  // already on: nothing to do or say
    if (plan_.AssignSensor(panel, sensor->type, sensor->number, slot)) {
      Apply(panel, attempt.tickedOnSuccess, true);
    } else {
      if (showMessages) messages_.Show(attempt.failure);
      for (const BoxChange& change : attempt.untickedOnFailure) Apply(panel, change, false);
    }
    return;
  }
  // The rider has no sensor of any kind tried: the box stays ticked.
}

void SensorBoxes::Untick(int panel, SensorBox box) {
  for (const UntickBranch& branch : kUntickRules[static_cast<std::size_t>(box)]) {
    if (branch.when && !Holds(panel, *branch.when)) continue;
    plan_.CloseSensor(panel, SlotOf(panel, branch.closes));
    Apply(panel, branch.unticked, false);
    Apply(panel, branch.ticked, true);
    return;
  }
}

void SensorBoxes::Apply(int panel, const BoxChange& change, bool checked) {
  if (change.boxes == 0 || (change.when && !Holds(panel, *change.when))) return;
  for (int b = 0; b < kSensorBoxCount; ++b) {
    const auto box = static_cast<SensorBox>(b);
    if ((change.boxes & BoxBit(box)) != 0) SetBox(panel, box, checked);
  }
}

bool SensorBoxes::Holds(int panel, const SlotState& state) const {
  return !panels_.at(static_cast<std::size_t>(panel))
              .slots[static_cast<std::size_t>(state.slot)]
              .Free() == state.inUse;
}

std::optional<DeviceRecord> SensorBoxes::FirstSensor(int panel, int deviceType) const {
  for (const DeviceRecord& d : sensors_(panel)) {
    if (d.active && d.type == deviceType) return d;
  }
  return std::nullopt;
}

SensorSlot& SensorBoxes::SlotOf(int panel, SlotKind kind) {
  return panels_.at(static_cast<std::size_t>(panel)).slots[static_cast<std::size_t>(kind)];
}

const SensorSlot& SensorBoxes::Slot(int panel, int deviceType) const {
  static const SensorSlot kNone;
  const SensorKind* kind = FindSensorKind(deviceType);
  if (kind == nullptr) return kNone;
  return panels_.at(static_cast<std::size_t>(panel)).slots[static_cast<std::size_t>(kind->slot)];
}

bool SensorBoxes::Checked(int panel, SensorBox box) const {
  return panels_.at(static_cast<std::size_t>(panel)).boxes[static_cast<std::size_t>(box)].checked;
}

bool SensorBoxes::Enabled(int panel, SensorBox box) const {
  return panels_.at(static_cast<std::size_t>(panel)).boxes[static_cast<std::size_t>(box)].enabled;
}

void SensorBoxes::SetBox(int panel, SensorBox box, bool checked) {
  Box& b = panels_.at(static_cast<std::size_t>(panel)).boxes[static_cast<std::size_t>(box)];
  b.checked = checked;
  view_.SetSensorBox(panel, box, b.checked, b.enabled);
}

void SensorBoxes::SetBoxEnabled(int panel, SensorBox box, bool enabled) {
  Box& b = panels_.at(static_cast<std::size_t>(panel)).boxes[static_cast<std::size_t>(box)];
  b.enabled = enabled;
  view_.SetSensorBox(panel, box, b.checked, b.enabled);
}

}  // namespace vel
