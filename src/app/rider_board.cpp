#include "app/rider_board.h"

#include "app/panel_member.h"
#include "common/tick_clock.h"
#include "common/verify.h"
#include "sensors/sensor_event_reader.h"

namespace vel {
namespace {

const char* const kNoStick = "감지된 ANT+ 수신기가 없습니다.";

}  // namespace

RiderBoard::RiderBoard(RiderPanelView& view, MessageBox& messages, PacketSender& server,
                       TeamRoster& roster, RiderLists& riderLists, LoginValues& login)
    : view_(view),
      messages_(messages),
      roster_(roster),
      riderLists_(riderLists),
      scores_(server, roster, login),
      readings_(view, roster, riderLists, scores_),
      clocks_(view),
      health_(view),
      eventsBinding_(QueueBinding::Role::kEvents, events_),
      plan_(sticks_, view,
            [this](int panel) {
              const auto member = riderLists_.SelectedMember(panel);
              std::int32_t position = -1;
              return member ? roster_.ActiveWheelCircumference(*member, position) : -1.0;
            }),
      boxes_(view, messages, plan_,
             [this](int panel) -> const std::vector<DeviceRecord>& { return SensorsOf(panel); }) {}

RiderBoard::~RiderBoard() {
  EndRides();
  sticks_.Shutdown();
}

void RiderBoard::RecordRidesTo(RideRecorder* recorder, PanelRides::WallClock wallClock) {
  EndRides();
  rides_.RecordTo(recorder, std::move(wallClock));
}

void RiderBoard::EndRides() { rides_.AllRidesOver(TickCount64()); }

void RiderBoard::EndClass() {
  EndRides();
  CheckClassOver();
}

RideSample RiderBoard::Shown(int panel) const {
  const auto whole = [&](PanelValue value) -> std::optional<int> {
    const auto number = readings_.Number(panel, value);
    return number ? std::optional<int>(static_cast<int>(*number)) : std::nullopt;
  };
  RideSample sample;
  sample.heartRate = whole(PanelValue::kHeartRate);
  sample.speed = readings_.Number(panel, PanelValue::kSpeed);
  sample.cadence = whole(PanelValue::kCadence);
  sample.power = whole(PanelValue::kPower);
  sample.distance = readings_.Number(panel, PanelValue::kDistance);
  if (const auto gear = readings_.Gear(panel)) {
    sample.frontTeeth = gear->front;
    sample.rearTeeth = gear->rear;
  }
  return sample;
}

void RiderBoard::OpenSticks(const ReceiverSettings& settings) {
  if (sticks_.OpenReceivers(settings) == 0) messages_.Show(kNoStick);
}

void RiderBoard::DrainEvents() {
  scores_.BeginDrain();
  // Sticks lost before this drain: every event their loops pushed is queued
  // by now, so they are all read before the sensors move on.
  const std::vector<std::size_t> lost = sticks_.LostSticks();
  bool channelsFreed = !lost.empty();
  // A drain run inside a report's wait must not take its events into the
  // batch the outer drain is still reading.
  const bool nested = draining_;
  draining_ = true;
  StringBatch nestedBatch;
  StringBatch& batch = nested ? nestedBatch : drained_;
  events_.TakeAll(batch);
  batch.ForEach([&](std::string_view text) {
    const auto e = ReadSensorEvent(text);
    if (!e) return;
    // Events come only from this program's decoders and receive loops.
    VEL_VERIFY_OR_DEBUG_ASSERT(e->uiid >= 0 && e->uiid < kPanels) { return; }
    switch (static_cast<EventHeader>(e->header)) {
      case EventHeader::kHeartRate:
      case EventHeader::kSpeed:
      case EventHeader::kCadence:
      case EventHeader::kPower: {
        readings_.OnReading(*e);
        const SensorBox sensor = BoxOfReading(static_cast<EventHeader>(e->header));
        if (e->value < 0) {
          health_.Off(e->uiid, sensor);
        } else {
          health_.Heard(e->uiid, sensor, TickCount64());
        }
        if (sensor == SensorBox::kHeartRate || sensor == SensorBox::kPower)
          ShowZone(e->uiid, sensor);
        break;
      }
      case EventHeader::kDistance: readings_.OnDistance(*e); break;
      case EventHeader::kBattery:
        if (const SensorKind* kind = FindSensorKind(e->deviceType)) {
          health_.Battery(e->uiid, kind->registeringBox, static_cast<BatteryStatus>(e->value));
        }
        break;
      case EventHeader::kChannelReleased:
        sticks_.ReleaseSeen(e->receiver, e->channel);
        boxes_.OnChannelReleased(e->uiid, e->deviceType, e->receiver, e->channel);
        channelsFreed = true;
        break;
      default: break;  // other headers are dropped
    }
  });
  // Bests the last drains had no time for, once this drain's own are in.
  scores_.SendPending();
  KeepSticksUp(lost, channelsFreed);
  draining_ = nested;
}

void RiderBoard::KeepSticksUp(const std::vector<std::size_t>& lost, bool channelsFreed) {
  for (std::size_t r : lost) {
    boxes_.OnStickLost(static_cast<int>(r));
    sticks_.Retire(r);
  }
  sticks_.AdoptFound();
  const bool ready = !sticks_.NewlyReady().empty();
  if ((ready || channelsFreed) && boxes_.AnyWaiting()) boxes_.PlaceWaiting();
  sticks_.CheckChannels(TickCount64());
}

void RiderBoard::UpdateClocks() {
  clocks_.Update(TickCount32());
  const std::uint64_t now = TickCount64();
  rides_.SampleDue(now, [this](int panel) { return Shown(panel); });
  health_.Check(now);
}

void RiderBoard::ClearStaleValues() {
  readings_.ClearStaleValues(TickCount64());
  // A value the watchdog cleared has no zone any more.
  for (int panel = 0; panel < kPanels; ++panel) {
    ShowZone(panel, SensorBox::kHeartRate);
    ShowZone(panel, SensorBox::kPower);
  }
}

void RiderBoard::UseRiderSettings(RiderSettingsLookup lookup) {
  settings_ = std::move(lookup);
  for (int panel = 0; panel < kPanels; ++panel) {
    ShowZone(panel, SensorBox::kHeartRate);
    ShowZone(panel, SensorBox::kPower);
  }
}

RiderSettings RiderBoard::SettingsOf(int panel) const {
  const auto member = riderLists_.SelectedMember(panel);
  return member && settings_ ? settings_(*member) : RiderSettings{};
}

RiderBody RiderBoard::BodyOf(int panel) const {
  RiderBody body;
  if (const MemberRecord* member = MemberOf(panel)) {
    if (member->weight > 0) body.weightKg = member->weight;
    if (member->gender > 0) body.gender = member->gender;
  }
  const RiderSettings settings = SettingsOf(panel);
  const int year = ThisYear();
  body.age = AgeIn(settings, year);
  if (const auto max = EffectiveMaxHeartRate(settings, year)) body.maxHeartRate = max->bpm;
  body.ftp = settings.ftp;
  return body;
}

std::optional<ZoneReading> RiderBoard::Zone(int panel, SensorBox sensor) const {
  const RiderBody body = BodyOf(panel);
  if (sensor == SensorBox::kHeartRate) {
    const auto bpm = readings_.Number(panel, PanelValue::kHeartRate);
    return bpm ? HeartRateZone(static_cast<int>(*bpm), body.maxHeartRate) : std::nullopt;
  }
  const auto watts = readings_.Number(panel, PanelValue::kPower);
  return watts ? PowerZone(static_cast<int>(*watts), body.ftp) : std::nullopt;
}

void RiderBoard::ShowZone(int panel, SensorBox sensor) {
  view_.SetZone(panel, sensor == SensorBox::kHeartRate ? ZoneKind::kHeartRate : ZoneKind::kPower,
                Zone(panel, sensor));
}

PanelTile RiderBoard::Tile(int panel) const {
  PanelTile tile;
  const MemberRecord* member = MemberOf(panel);
  tile.seated = riderLists_.SelectedMember(panel).has_value();
  if (!tile.seated) return tile;
  if (member != nullptr) tile.name = member->name;
  const RiderSettings settings = SettingsOf(panel);
  const auto max = EffectiveMaxHeartRate(settings, ThisYear());
  tile.maxHeartRateEstimated = max && max->estimated;
  const auto whole = [&](PanelValue value) -> std::optional<int> {
    const auto number = readings_.Number(panel, value);
    return number ? std::optional<int>(static_cast<int>(*number)) : std::nullopt;
  };
  tile.heartRate = whole(PanelValue::kHeartRate);
  tile.power = whole(PanelValue::kPower);
  tile.cadence = whole(PanelValue::kCadence);
  tile.speed = readings_.Number(panel, PanelValue::kSpeed);
  tile.heartRateZone = Zone(panel, SensorBox::kHeartRate);
  tile.powerZone = Zone(panel, SensorBox::kPower);
  tile.clockRunning = clocks_.Running(panel);
  if (const auto live = rides_.Live(panel)) {
    tile.ridingSeconds = live->ridingSeconds;
    tile.distanceKm = live->distanceKm;
    tile.kcal = live->kcal;
    tile.avgPower = live->avgPower;
    tile.zonePoints = HeartRateZonePoints(*live);
  }
  for (int k = 0; k < kSensorBoxCount; ++k) {
    const auto box = static_cast<SensorBox>(k);
    tile.battery[static_cast<std::size_t>(k)] = health_.Level(panel, box);
    tile.silent[static_cast<std::size_t>(k)] = health_.Silent(panel, box);
  }
  return tile;
}

void RiderBoard::SelectMember(int panel, std::optional<int> entry) {
  // The ride of the member leaving ends with what the panel showed.
  rides_.RideOver(panel, TickCount64());
  health_.Reset(panel);
  CheckClassOver();
  riderLists_.Select(panel, entry);
  // Leaving a member closes its sensors first.
  boxes_.Reset(panel);
  clocks_.Reset(panel);
  view_.SetGroupCaption(panel, "");
  view_.SetGearCount(panel, GearIndicator::kFront, -1);
  view_.SetGearCount(panel, GearIndicator::kRear, -1);
  ownSensors_.at(static_cast<std::size_t>(panel)).clear();

  if (!riderLists_.SelectedMember(panel)) {
    clocks_.NoMember(panel);
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
    clocks_.NoMember(panel);
    return;
  }
  clocks_.Ready(panel);
  for (const DeviceRecord& d : member->devices) {
    if (!d.active) continue;
    const SensorKind* kind = FindSensorKind(d.type);
    if (kind == nullptr) return;  // a sensor of another kind ends the set-up here
    boxes_.EnableFor(panel, *kind);
  }
  std::int32_t position = -1;
  const auto* chainrings = roster_.ActiveChainrings(member->id, position);
  const auto* sprockets = roster_.ActiveCassette(member->id, position);
  view_.SetGearCount(panel, GearIndicator::kFront,
                     chainrings ? static_cast<int>(chainrings->size()) : -1);
  view_.SetGearCount(panel, GearIndicator::kRear,
                     sprockets ? static_cast<int>(sprockets->size()) : -1);
}

void RiderBoard::UseSensors(int panel, const std::vector<DeviceRecord>& sensors) {
  ownSensors_.at(static_cast<std::size_t>(panel)) = sensors;
  for (const DeviceRecord& d : sensors) {
    if (const SensorKind* kind = FindSensorKind(d.type)) boxes_.EnableFor(panel, *kind);
  }
}

void RiderBoard::ClickStart(int panel) {
  // A member deleted in the team window while seated here is no member: the
  // clock neither starts nor runs on.
  const MemberRecord* member = MemberOf(panel);
  if (member == nullptr) clocks_.NoMember(panel);
  clocks_.ClickStart(panel, TickCount32());
  const std::uint64_t now = TickCount64();
  if (clocks_.Running(panel) && member != nullptr) {
    rides_.ClockStarted(panel, *member, BodyOf(panel), now, [this](int k) { return Shown(k); });
  } else {
    rides_.ClockStopped(panel, now);
  }
  CheckClassOver();
}

void RiderBoard::OnClassOver(ClassOverHandler handler) { classOver_ = std::move(handler); }

void RiderBoard::CheckClassOver() {
  if (!rides_.ClassOpen() || rides_.AnyClockRunning()) return;
  std::vector<ClassRide> rides = rides_.EndClass();
  if (classOver_ && !rides.empty()) classOver_(std::move(rides));
}

void RiderBoard::ClickSensorBox(int panel, SensorBox box) { boxes_.Click(panel, box); }

bool RiderBoard::SeatMember(int panel, std::uint64_t memberId) {
  const auto& entries = riderLists_.Entries(panel);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].memberId != memberId) continue;
    SelectMember(panel, static_cast<int>(i));
    for (auto box :
         {SensorBox::kSpeed, SensorBox::kCadence, SensorBox::kHeartRate, SensorBox::kPower}) {
      if (BoxEnabled(panel, box) && !BoxChecked(panel, box)) ClickSensorBox(panel, box);
    }
    return true;
  }
  return false;
}

int RiderBoard::SeatTeam() {
  int panel = 0;
  for (const MemberRecord* member : roster_.Members()) {
    if (panel == kPanels) break;
    if (SeatMember(panel, member->id)) ++panel;
  }
  return panel;
}

const std::vector<DeviceRecord>& RiderBoard::SensorsOf(int panel) const {
  const MemberRecord* member = MemberOf(panel);
  return member != nullptr ? member->devices : ownSensors_.at(static_cast<std::size_t>(panel));
}

const MemberRecord* RiderBoard::MemberOf(int panel) const {
  return PanelMember(riderLists_, roster_, panel);
}

}  // namespace vel
