#include "app/rider_board.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "common/ant_message.h"
#include "common/string_printf.h"
#include "sensors/channel_decoder.h"
#include "common/tick_clock.h"

namespace vel {
namespace {

const char* const kNoStick = "감지된 ANT+ 수신기가 없습니다.";
const char* const kComboFailed = "콤보 센서 수신등록에 실패하였습니다.";
const char* const kSpeedFailed = "속도 센서 수신등록에 실패하였습니다.";
const char* const kPowerFailed = "파워미터 센서 수신등록에 실패하였습니다.";
const char* const kCadenceFailed = "케이던스 센서 수신등록에 실패하였습니다.";
const char* const kHeartRateFailed = "심박 센서 수신등록에 실패하였습니다.";
const char* const kStartText = "▶";
const char* const kStopText = "■";

constexpr double kSpikeKmh = 100.0;

int Sample(double value) { return static_cast<int>(std::clamp(value, 0.0, 9999.0)); }

enum RankingType { kRankSpeed = 0, kRankCadence = 1, kRankHeartRate = 2 };

}  // namespace

RiderBoard::RiderBoard(RiderPanelView& view, MessageBox& messages, PacketSender& server,
                       TeamRoster& roster, RiderLists& riderLists, LoginValues& login)
    : view_(view),
      messages_(messages),
      server_(server),
      roster_(roster),
      riderLists_(riderLists),
      login_(login),
      eventsBinding_(QueueBinding::Role::kEvents, events_),
      plan_(view, [this](int panel) {
        const auto member = riderLists_.SelectedMember(panel);
        std::int32_t position = -1;
        return member ? roster_.ActiveWheelCircumference(*member, position) : -1.0;
      }) {}

RiderBoard::~RiderBoard() { plan_.Shutdown(); }

void RiderBoard::OpenSticks(const ReceiverSettings& settings) {
  if (plan_.OpenReceivers(settings) == 0) messages_.Show(kNoStick);
}

// ---------------------------------------------------------------------------
// Timer steps

void RiderBoard::DrainEvents() {
  std::string text;
  while (events_.TryPop(text)) {
    const auto e = ReadSensorEvent(text);
    if (!e || e->uiid < 0 || e->uiid >= kPanels) continue;
    switch (e->header) {
      case 0: OnHeartRate(*e); break;
      case 1: OnSpeed(*e); break;
      case 2: OnDistance(*e); break;
      case 3: OnCadence(*e); break;
      case 4: OnPower(*e); break;
      case 5: OnChannelReleased(*e); break;
      default: break;
    }
  }
}

void RiderBoard::UpdateClocks() {
  const std::uint32_t now = TickCount32();
  for (int k = 0; k < kPanels; ++k) {
    Panel& p = panels_[static_cast<std::size_t>(k)];
    switch (p.clock) {
      case ClockState::kNoMember: SetClock(k, ""); break;
      case ClockState::kStopped: SetClock(k, "00:00:00"); break;
      case ClockState::kRunning: {
        // The 32-bit tick count wraps; the difference stays right.
        const std::uint32_t e = static_cast<std::uint32_t>(now - p.startTick) / 1000u;
        SetClock(k, StringPrintf("%02u:%02u:%02u", e / 3600, (e / 60) % 60, e % 60));
        break;
      }
    }
  }
}

void RiderBoard::ClearStaleValues() {
  const std::uint64_t now = TickCount64();
  static constexpr PanelValue kValueOf[kTrackCount] = {PanelValue::kSpeed, PanelValue::kCadence,
                                                       PanelValue::kHeartRate, PanelValue::kPower};
  for (int k = 0; k < kPanels; ++k) {
    for (int m = 0; m < kTrackCount; ++m) {
      Track& t = panels_[static_cast<std::size_t>(k)].tracks[static_cast<std::size_t>(m)];
      if (t.lastTick == 0 || now < t.lastTick + kStaleMs) continue;
      SetText(k, kValueOf[m], "");  // the maxima stay
      view_.PushSample(k, t.graphId, 0);
      t.lastTick = 0;
    }
  }
}

// ---------------------------------------------------------------------------
// Sensor events

void RiderBoard::OnSpeed(const SensorEventFields& e) {
  const int k = e.uiid;
  Track& track = panels_[static_cast<std::size_t>(k)].tracks[kSpeedTrack];
  track.graphId = e.graphId;
  const double speed = e.value;
  if (speed < 0) {
    track.graphId = -1;
    track.lastTick = 0;
    view_.RemoveSeries(k, e.graphId);
    ClearGears(k);
    SetText(k, PanelValue::kSpeed, "");
    SetText(k, PanelValue::kMaxSpeed, "");
    return;
  }
  track.lastTick = e.tick;
  // A jump of more than 100 km/h over a speed shown is a glitch.
  const double shown = Shown(k, PanelValue::kSpeed);
  if (!Text(k, PanelValue::kSpeed).empty() && shown != 0.0 && speed > shown + kSpikeKmh) return;

  SetText(k, PanelValue::kSpeed, StringPrintf("%5.1f", std::floor(speed * 10 + 0.5) / 10));
  view_.PushSample(k, track.graphId, Sample(speed));
  if (speed > Shown(k, PanelValue::kMaxSpeed)) {
    SetText(k, PanelValue::kMaxSpeed, StringPrintf("%5.1f", speed));
    const MemberRecord* member = MemberOf(k);
    if (member == nullptr) {
      ClearGears(k);
      return;
    }
    if (speed > member->bestSpeed) ReportScore(*member, kRankSpeed, speed);
  }
  EstimateGear(k, speed, Shown(k, PanelValue::kCadence));
}

void RiderBoard::OnDistance(const SensorEventFields& e) {
  const float distance = static_cast<float>(e.value);
  SetText(e.uiid, PanelValue::kDistance,
          distance < 0 ? "" : StringPrintf("%6.2f", static_cast<double>(distance)));
}

void RiderBoard::OnCadence(const SensorEventFields& e) {
  const int k = e.uiid;
  Track& track = panels_[static_cast<std::size_t>(k)].tracks[kCadenceTrack];
  track.graphId = e.graphId;
  const int cadence = static_cast<int>(e.value);
  if (cadence < 0) {
    track.graphId = -1;
    track.lastTick = 0;
    view_.RemoveSeries(k, e.graphId);
    ClearGears(k);
    SetText(k, PanelValue::kCadence, "");
    SetText(k, PanelValue::kMaxCadence, "");
    return;
  }
  track.lastTick = e.tick;
  SetText(k, PanelValue::kCadence, StringPrintf("%5d", cadence));
  view_.PushSample(k, track.graphId, Sample(cadence));
  if (Shown(k, PanelValue::kMaxCadence) < cadence) {
    SetText(k, PanelValue::kMaxCadence, StringPrintf("%5d", cadence));
    const MemberRecord* member = MemberOf(k);
    if (member == nullptr) {
      ClearGears(k);
      return;
    }
    if (member->bestCadence < cadence) ReportScore(*member, kRankCadence, cadence);
  }
  EstimateGear(k, Shown(k, PanelValue::kSpeed), cadence);
}

void RiderBoard::OnHeartRate(const SensorEventFields& e) {
  const int k = e.uiid;
  Track& track = panels_[static_cast<std::size_t>(k)].tracks[kHeartRateTrack];
  track.graphId = e.graphId;
  const int bpm = static_cast<int>(e.value);
  if (bpm < 0) {
    track.graphId = -1;
    track.lastTick = 0;
    view_.RemoveSeries(k, e.graphId);
    SetText(k, PanelValue::kHeartRate, "");
    SetText(k, PanelValue::kMaxHeartRate, "");
    return;
  }
  track.lastTick = e.tick;
  SetText(k, PanelValue::kHeartRate, StringPrintf("%5d", bpm));
  view_.PushSample(k, track.graphId, Sample(bpm));
  if (Shown(k, PanelValue::kMaxHeartRate) < bpm) {
    SetText(k, PanelValue::kMaxHeartRate, StringPrintf("%5d", bpm));
    const MemberRecord* member = MemberOf(k);
    if (member != nullptr && member->bestHeartRate < bpm) {
      ReportScore(*member, kRankHeartRate, bpm);
    }
  }
}

void RiderBoard::OnPower(const SensorEventFields& e) {
  const int k = e.uiid;
  Track& track = panels_[static_cast<std::size_t>(k)].tracks[kPowerTrack];
  track.graphId = e.graphId;
  const int power = static_cast<int>(e.value);
  if (power < 0) {
    track.graphId = -1;
    track.lastTick = 0;
    view_.RemoveSeries(k, e.graphId);
    SetText(k, PanelValue::kPower, "");
    return;
  }
  track.lastTick = e.tick;
  SetText(k, PanelValue::kPower, StringPrintf("%5d", power));
  view_.PushSample(k, track.graphId, Sample(power));
}

void RiderBoard::OnChannelReleased(const SensorEventFields& e) {
  const int k = e.uiid;
  SensorSlot* slot = SlotFor(k, e.deviceType);
  if (slot == nullptr) return;
  if (e.deviceType == device_type::kBikePower) {
    // The combined sensor, if the rider has one, draws the cadence again.
    const int series = view_.AddSeries(k, series_colour::kCadence);
    if (!plan_.WithDecoder(k, device_type::kBikeSpeedCadence,
                           [series](CDisplay& combined) { combined.SetGraphId(1, series); })) {
      view_.RemoveSeries(k, series);
    }
  }
  slot->Clear();

  // A channel the stick closed by itself is assigned again for as long as
  // the rider wants the sensor.
  switch (e.deviceType) {
    case device_type::kBikeSpeedCadence:
      if (BoxChecked(k, SensorBox::kSpeed) && BoxChecked(k, SensorBox::kCadence)) TickSpeed(k, false);
      break;
    case device_type::kBikeSpeed:
      if (BoxChecked(k, SensorBox::kSpeed)) TickSpeed(k, false);
      break;
    case device_type::kBikePower:
      if (BoxChecked(k, SensorBox::kPower) && BoxChecked(k, SensorBox::kCadence)) TickPower(k, false);
      break;
    case device_type::kHeartRate:
      if (BoxChecked(k, SensorBox::kHeartRate)) TickHeartRate(k, false);
      break;
    case device_type::kBikeCadence:
      if (BoxChecked(k, SensorBox::kCadence)) TickCadence(k, false);
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Gears and scores

void RiderBoard::ClearGears(int panel) {
  view_.SetSelectedGear(panel, GearIndicator::kFront, -1);
  view_.SetSelectedGear(panel, GearIndicator::kRear, -1);
}

void RiderBoard::EstimateGear(int panel, double speed, double cadence) {
  if (Text(panel, PanelValue::kSpeed).empty() || Shown(panel, PanelValue::kSpeed) == 0.0 ||
      Text(panel, PanelValue::kCadence).empty() || Shown(panel, PanelValue::kCadence) == 0.0) {
    ClearGears(panel);
    return;
  }
  const auto member = riderLists_.SelectedMember(panel);
  if (!member || roster_.FindMember(*member) == nullptr) {
    ClearGears(panel);
    return;
  }
  std::int32_t position = -1;
  std::int32_t unused = -1;
  const std::vector<int>* chainrings = roster_.ActiveChainrings(*member, position);
  const std::vector<int>* sprockets = roster_.ActiveCassette(*member, unused);
  const double wheel = roster_.ActiveWheelCircumference(*member, unused);
  if (chainrings == nullptr || sprockets == nullptr || wheel == -1.0) {
    ClearGears(panel);
    return;
  }
  const auto gear = vel::EstimateGear(gearRatios_, position, *chainrings, *sprockets,
                                      ObservedRatio(speed, cadence, wheel));
  view_.SetSelectedGear(panel, GearIndicator::kFront, gear ? gear->first : -1);
  view_.SetSelectedGear(panel, GearIndicator::kRear, gear ? gear->second : -1);
}

void RiderBoard::ReportScore(const MemberRecord& member, int rankingType, double score) {
  web::json::value request = web::json::value::object(true);
  request["header"] = web::json::value::number(8);
  request["rankingtype"] = web::json::value::number(rankingType);
  request["memberid"] = web::json::value::number(member.id);
  request["membername"] = web::json::value::string(member.name);
  request["accountid"] = web::json::value::number(login_.accountId);
  request["score"] = rankingType == kRankSpeed
                         ? web::json::value::number(score)
                         : web::json::value::number(static_cast<std::int32_t>(score));
  web::json::value reply;
  // Only a best the server took becomes the member's best; otherwise it is
  // reported again when the panel's maximum next rises above it.
  if (server_.SendPacket(request, reply)) roster_.RecordBest(member.id, rankingType, score);
}

// ---------------------------------------------------------------------------
// Member lists, start buttons, sensor boxes

void RiderBoard::SelectMember(int panel, std::optional<int> entry) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  riderLists_.Select(panel, entry);
  // Leaving a member closes its sensors first.
  for (int b = 0; b < kSensorBoxCount; ++b) {
    const auto box = static_cast<SensorBox>(b);
    if (BoxChecked(panel, box)) {
      SetBox(panel, box, false);
      Untick(panel, box);
    }
  }
  view_.SetStartButton(panel, kStartText, false);
  for (int b = 0; b < kSensorBoxCount; ++b) SetBoxEnabled(panel, static_cast<SensorBox>(b), false);
  view_.SetGroupCaption(panel, "");
  SetClock(panel, "");
  p.clock = ClockState::kStopped;
  view_.SetGearCount(panel, GearIndicator::kFront, -1);
  view_.SetGearCount(panel, GearIndicator::kRear, -1);
  p.ownSensors.clear();

  if (!riderLists_.SelectedMember(panel)) {
    p.clock = ClockState::kNoMember;
    return;
  }
  if (riderLists_.SelectedElsewhere(panel)) {
    // One member rides in one panel.
    riderLists_.Select(panel, std::nullopt);
    view_.SetMemberSelection(panel, std::nullopt);
    return;
  }
  const MemberRecord* member = MemberOf(panel);
  if (member == nullptr) {
    p.clock = ClockState::kNoMember;
    return;
  }
  view_.SetStartButton(panel, kStartText, true);
  SetClock(panel, "00:00:00");
  for (const DeviceRecord& d : member->devices) {
    if (!d.active) continue;
    switch (d.type) {
      case device_type::kBikeSpeed: SetBoxEnabled(panel, SensorBox::kSpeed, true); break;
      case device_type::kBikeCadence: SetBoxEnabled(panel, SensorBox::kCadence, true); break;
      case device_type::kBikeSpeedCadence:
        SetBoxEnabled(panel, SensorBox::kSpeed, true);
        SetBoxEnabled(panel, SensorBox::kCadence, true);
        break;
      case device_type::kHeartRate: SetBoxEnabled(panel, SensorBox::kHeartRate, true); break;
      case device_type::kBikePower:
        SetBoxEnabled(panel, SensorBox::kPower, true);
        SetBoxEnabled(panel, SensorBox::kCadence, true);
        break;
      default:
        return;  // a sensor of another kind ends the set-up here
    }
  }
  p.clock = ClockState::kStopped;
  std::int32_t position = -1;
  const auto* chainrings = roster_.ActiveChainrings(member->id, position);
  const auto* sprockets = roster_.ActiveCassette(member->id, position);
  view_.SetGearCount(panel, GearIndicator::kFront,
                     chainrings ? static_cast<int>(chainrings->size()) : -1);
  view_.SetGearCount(panel, GearIndicator::kRear,
                     sprockets ? static_cast<int>(sprockets->size()) : -1);
}

void RiderBoard::UseSensors(int panel, const std::vector<DeviceRecord>& sensors) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  p.ownSensors = sensors;
  for (const DeviceRecord& d : sensors) {
    if (d.type == device_type::kBikeSpeed || d.type == device_type::kBikeSpeedCadence) {
      SetBoxEnabled(panel, SensorBox::kSpeed, true);
    }
    if (d.type == device_type::kBikeCadence || d.type == device_type::kBikeSpeedCadence ||
        d.type == device_type::kBikePower) {
      SetBoxEnabled(panel, SensorBox::kCadence, true);
    }
    if (d.type == device_type::kHeartRate) SetBoxEnabled(panel, SensorBox::kHeartRate, true);
    if (d.type == device_type::kBikePower) SetBoxEnabled(panel, SensorBox::kPower, true);
  }
}

void RiderBoard::ClickStart(int panel) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  if (p.clock == ClockState::kNoMember) {
    view_.SetStartButton(panel, kStartText, false);
  } else if (p.clock == ClockState::kRunning) {
    p.clock = ClockState::kStopped;
    view_.SetStartButton(panel, kStartText, true);
  } else {
    p.clock = ClockState::kRunning;
    p.startTick = TickCount32();
    view_.SetStartButton(panel, kStopText, true);
  }
}

void RiderBoard::ClickSensorBox(int panel, SensorBox box) {
  if (!BoxEnabled(panel, box)) return;
  const bool ticked = !BoxChecked(panel, box);
  SetBox(panel, box, ticked);
  if (ticked) {
    Tick(panel, box, true);
  } else {
    Untick(panel, box);
  }
}

void RiderBoard::Tick(int panel, SensorBox box, bool showMessages) {
  switch (box) {
    case SensorBox::kSpeed: TickSpeed(panel, showMessages); break;
    case SensorBox::kCadence: TickCadence(panel, showMessages); break;
    case SensorBox::kHeartRate: TickHeartRate(panel, showMessages); break;
    case SensorBox::kPower: TickPower(panel, showMessages); break;
  }
}

void RiderBoard::TickSpeed(int panel, bool showMessages) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  if (const auto combined = FirstSensor(panel, device_type::kBikeSpeedCadence)) {
    if (Register(panel, *combined, p.speedCadence)) {
      SetBox(panel, SensorBox::kCadence, true);
    } else {
      Show(showMessages, kComboFailed);
      SetBox(panel, SensorBox::kSpeed, false);
      if (!p.power.Free()) SetBox(panel, SensorBox::kCadence, false);
    }
  } else if (const auto speed = FirstSensor(panel, device_type::kBikeSpeed)) {
    if (!Register(panel, *speed, p.speed)) {
      Show(showMessages, kSpeedFailed);
      SetBox(panel, SensorBox::kSpeed, false);
    }
  }
}

void RiderBoard::TickCadence(int panel, bool showMessages) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  if (const auto power = FirstSensor(panel, device_type::kBikePower)) {
    if (!p.power.Free()) return;  // already on: nothing to do, nothing to say
    if (Register(panel, *power, p.power)) {
      SetBox(panel, SensorBox::kPower, true);
    } else {
      Show(showMessages, kPowerFailed);
      SetBox(panel, SensorBox::kCadence, false);
      SetBox(panel, SensorBox::kPower, false);
    }
  } else if (const auto combined = FirstSensor(panel, device_type::kBikeSpeedCadence)) {
    if (Register(panel, *combined, p.speedCadence)) {
      SetBox(panel, SensorBox::kSpeed, true);
    } else {
      Show(showMessages, kComboFailed);
      SetBox(panel, SensorBox::kCadence, false);
      SetBox(panel, SensorBox::kSpeed, false);
    }
  } else if (const auto cadence = FirstSensor(panel, device_type::kBikeCadence)) {
    if (!Register(panel, *cadence, p.cadence)) {
      Show(showMessages, kCadenceFailed);
      SetBox(panel, SensorBox::kCadence, false);
    }
  }
}

void RiderBoard::TickHeartRate(int panel, bool showMessages) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  if (const auto strap = FirstSensor(panel, device_type::kHeartRate)) {
    if (!Register(panel, *strap, p.heartRate)) {
      Show(showMessages, kHeartRateFailed);
      SetBox(panel, SensorBox::kHeartRate, false);
    }
  }
}

void RiderBoard::TickPower(int panel, bool showMessages) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  if (const auto power = FirstSensor(panel, device_type::kBikePower)) {
    if (Register(panel, *power, p.power)) {
      if (p.speedCadence.Free()) SetBox(panel, SensorBox::kCadence, true);
    } else {
      Show(showMessages, kPowerFailed);
      if (!p.speedCadence.Free()) SetBox(panel, SensorBox::kCadence, false);
      SetBox(panel, SensorBox::kPower, false);
    }
  }
}

void RiderBoard::Untick(int panel, SensorBox box) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  switch (box) {
    case SensorBox::kSpeed:
      if (p.speedCadence.Free()) {
        Close(panel, p.speed);
      } else {
        Close(panel, p.speedCadence);
        if (p.power.Free()) SetBox(panel, SensorBox::kCadence, false);
      }
      break;
    case SensorBox::kCadence:
      if (!p.power.Free()) {
        Close(panel, p.power);
        SetBox(panel, SensorBox::kPower, false);
        if (!p.speedCadence.Free()) SetBox(panel, SensorBox::kCadence, true);
      } else if (!p.speedCadence.Free()) {
        Close(panel, p.speedCadence);
        SetBox(panel, SensorBox::kSpeed, false);
      } else {
        Close(panel, p.cadence);
      }
      break;
    case SensorBox::kHeartRate:
      if (!p.heartRate.Free()) Close(panel, p.heartRate);
      break;
    case SensorBox::kPower:
      if (!p.power.Free()) {
        Close(panel, p.power);
        if (p.speedCadence.Free()) SetBox(panel, SensorBox::kCadence, false);
      }
      break;
  }
}

bool RiderBoard::Register(int panel, const DeviceRecord& sensor, SensorSlot& slot) {
  return plan_.AssignSensor(panel, sensor.type, sensor.number, slot);
}

void RiderBoard::Close(int panel, SensorSlot& slot) { plan_.CloseSensor(panel, slot); }

std::optional<DeviceRecord> RiderBoard::FirstSensor(int panel, int deviceType) const {
  const Panel& p = panels_.at(static_cast<std::size_t>(panel));
  const MemberRecord* member = MemberOf(panel);
  const std::vector<DeviceRecord>& sensors = member != nullptr ? member->devices : p.ownSensors;
  for (const DeviceRecord& d : sensors) {
    if (d.active && d.type == deviceType) return d;
  }
  return std::nullopt;
}

SensorSlot* RiderBoard::SlotFor(int panel, int deviceType) {
  Panel& p = panels_.at(static_cast<std::size_t>(panel));
  switch (deviceType) {
    case device_type::kBikeSpeed: return &p.speed;
    case device_type::kBikeCadence: return &p.cadence;
    case device_type::kBikeSpeedCadence: return &p.speedCadence;
    case device_type::kHeartRate: return &p.heartRate;
    case device_type::kBikePower: return &p.power;
    default: return nullptr;
  }
}

const SensorSlot& RiderBoard::Slot(int panel, int deviceType) const {
  static const SensorSlot kNone;
  const SensorSlot* slot = const_cast<RiderBoard*>(this)->SlotFor(panel, deviceType);
  return slot != nullptr ? *slot : kNone;
}

// ---------------------------------------------------------------------------
// Panel state

const std::string& RiderBoard::Text(int panel, PanelValue value) const {
  return panels_.at(static_cast<std::size_t>(panel)).texts[static_cast<std::size_t>(value)];
}

double RiderBoard::Shown(int panel, PanelValue value) const {
  const std::string& text = Text(panel, value);
  return text.empty() ? 0.0 : std::strtod(text.c_str(), nullptr);
}

void RiderBoard::SetText(int panel, PanelValue value, const std::string& text) {
  panels_.at(static_cast<std::size_t>(panel)).texts[static_cast<std::size_t>(value)] = text;
  view_.SetValueText(panel, value, text);
}

bool RiderBoard::BoxChecked(int panel, SensorBox box) const {
  return panels_.at(static_cast<std::size_t>(panel)).boxes[static_cast<std::size_t>(box)].checked;
}

bool RiderBoard::BoxEnabled(int panel, SensorBox box) const {
  return panels_.at(static_cast<std::size_t>(panel)).boxes[static_cast<std::size_t>(box)].enabled;
}

void RiderBoard::SetBox(int panel, SensorBox box, bool checked) {
  Box& b = panels_.at(static_cast<std::size_t>(panel)).boxes[static_cast<std::size_t>(box)];
  b.checked = checked;
  view_.SetSensorBox(panel, box, b.checked, b.enabled);
}

void RiderBoard::SetBoxEnabled(int panel, SensorBox box, bool enabled) {
  Box& b = panels_.at(static_cast<std::size_t>(panel)).boxes[static_cast<std::size_t>(box)];
  b.enabled = enabled;
  view_.SetSensorBox(panel, box, b.checked, b.enabled);
}

void RiderBoard::SetClock(int panel, const std::string& text) {
  std::string& shown = panels_.at(static_cast<std::size_t>(panel)).clockText;
  if (shown == text) return;
  shown = text;
  view_.SetClockText(panel, text);
}

void RiderBoard::Show(bool showMessages, const char* text) {
  if (showMessages) messages_.Show(text);
}

const MemberRecord* RiderBoard::MemberOf(int panel) const {
  const auto member = riderLists_.SelectedMember(panel);
  return member ? roster_.FindMember(*member) : nullptr;
}

}  // namespace vel
