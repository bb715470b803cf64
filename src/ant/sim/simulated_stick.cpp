#include "ant/sim/simulated_stick.h"

#include <algorithm>
#include <limits>

#include "ant/ant_frame.h"
#include "ant/sim/virtual_room.h"
#include "common/ant_commands.h"
#include "common/ant_message.h"

namespace vel::sim {
namespace {

constexpr std::uint8_t kOk = ant_code::RESPONSE_NO_ERROR;
constexpr std::uint8_t kWrongState = ant_code::kChannelInWrongState;
constexpr std::uint8_t kCloseAllChannels = ant_code::kCloseAllChannels;
constexpr std::uint8_t kInvalidMessage = ant_code::kInvalidMessage;
constexpr std::uint8_t kInvalidNetworkNumber = ant_code::kInvalidNetworkNumber;

constexpr std::uint8_t kResetReasonCommand = ant_reset::kCommand;
constexpr std::uint8_t kResetReasonWatchdog = ant_reset::kWatchdog;
constexpr std::uint8_t kHighestRfFrequency = 124;
// Shorter periods than 1/1024 s are refused: no receiver runs that fast.
constexpr std::uint16_t kShortestPeriod = 32;
constexpr std::uint8_t kTransmitChannelBit = 0x10;

// Capabilities: channels, networks, standard options, advanced options 1 and 2, SensRcore channels.
constexpr std::uint8_t kCapabilities[] = {
    SimulatedStick::kChannels, SimulatedStick::kNetworks, 0x00, 0xBA, 0x36, 0x00};

}  // namespace

SimulatedStick::SimulatedStick(VirtualRoom& room, int index) : room_(room), index_(index) {}

bool SimulatedStick::Attach(StickSink* sink) {
  std::lock_guard lock(mutex_);
  if (!pluggedIn_ || sink_ != nullptr || sink == nullptr) return false;
  PowerOn();
  sink_ = sink;
  framesDelivered_ = 0;
  return true;
}

void SimulatedStick::Detach(StickSink* sink) {
  std::lock_guard lock(mutex_);
  if (sink_ == sink) sink_ = nullptr;
}

void SimulatedStick::PowerOn() {
  channels_ = {};
  extendedMessages_ = false;
  delayed_.clear();
  decoder_.Reset();
}

void SimulatedStick::Receive(const std::uint8_t* bytes, std::size_t count) {
  std::lock_guard lock(mutex_);
  if (!pluggedIn_ || sink_ == nullptr) return;
  for (std::size_t i = 0; i < count; ++i) {
    switch (decoder_.Feed(bytes[i])) {
      case AntFrameDecoder::Result::kMore: break;
      case AntFrameDecoder::Result::kFrame:
        OnFrame(decoder_.Id(), decoder_.Data(), decoder_.Length());
        break;
      case AntFrameDecoder::Result::kBadChecksum: ++badFrames_; break;
    }
  }
  PumpLocked(room_.NowTicks());
}

void SimulatedStick::Pump() { PumpUntil(room_.NowTicks()); }

void SimulatedStick::PumpUntil(std::uint64_t ticks) {
  std::lock_guard lock(mutex_);
  if (!pluggedIn_ || sink_ == nullptr) return;
  PumpLocked(ticks);
}

std::optional<std::uint64_t> SimulatedStick::NextDueUs() const {
  std::lock_guard lock(mutex_);
  std::optional<std::uint64_t> next;
  auto consider = [&next](std::uint64_t ticks) {
    if (!next || ticks < *next) next = ticks;
  };
  for (const Delayed& d : delayed_) consider(d.due);
  for (const Channel& c : channels_) {
    if (c.state == ChannelState::kSearching || c.state == ChannelState::kTracking)
      consider(c.nextDue);
    if (c.state == ChannelState::kSearching && c.searchDeadline) consider(*c.searchDeadline);
  }
  if (!next) return std::nullopt;
  return (*next * 1000000 + kTicksPerSecond - 1) / kTicksPerSecond;
}

void SimulatedStick::Unplug() {
  std::lock_guard lock(mutex_);
  if (!pluggedIn_) return;
  pluggedIn_ = false;
  if (sink_ != nullptr) sink_->OnStickGone();
}

void SimulatedStick::Replug() {
  std::lock_guard lock(mutex_);
  pluggedIn_ = true;
  sink_ = nullptr;  // the old host's handle is dead; a new one may attach
}

bool SimulatedStick::IsPluggedIn() const {
  std::lock_guard lock(mutex_);
  return pluggedIn_;
}

void SimulatedStick::ResetItself() {
  std::lock_guard lock(mutex_);
  if (!pluggedIn_ || sink_ == nullptr) return;
  PowerOn();
  Send(ant_id::kStartup, &kResetReasonWatchdog, 1);
}

void SimulatedStick::GarbleNextFrame() {
  std::lock_guard lock(mutex_);
  garbleNext_ = true;
}

void SimulatedStick::InjectJunk(const std::vector<std::uint8_t>& bytes) {
  std::lock_guard lock(mutex_);
  Output(bytes.data(), bytes.size(), 0);
}

void SimulatedStick::DelayNextResponse(std::uint32_t ms) {
  std::lock_guard lock(mutex_);
  delayNextMs_ = ms;
}

std::uint32_t SimulatedStick::BadFramesReceived() const {
  std::lock_guard lock(mutex_);
  return badFrames_;
}

std::uint64_t SimulatedStick::FramesDelivered() const {
  std::lock_guard lock(mutex_);
  return framesDelivered_;
}

void SimulatedStick::FaultNextAnswerTo(std::uint8_t command, AnswerFault fault) {
  std::lock_guard lock(mutex_);
  faultedCommand_ = command;
  answerFault_ = fault;
}

void SimulatedStick::OnFrame(std::uint8_t id, const std::uint8_t* data, std::uint8_t length) {
  using Kind = AnswerFault::Kind;
  const std::uint8_t answered = id == ant_id::kRequestMessage && length >= 2 ? data[1] : id;
  std::optional<AnswerFault> fault;
  if (faultedCommand_ == answered) {
    fault = answerFault_;
    faultedCommand_.reset();
  }
  if (fault && fault->kind == Kind::kRefused) {
    Respond(length > 0 ? data[0] : 0, id, fault->code);
    return;
  }
  const bool lost = fault && fault->kind == Kind::kLost;
  const std::uint32_t lateMs = fault && fault->kind == Kind::kLate ? fault->lateMs : delayNextMs_;
  if (lateMs == 0 && !lost) {
    HandleCommand(id, data, length);
    return;
  }
  // Everything this command causes goes out later, in one piece, or never.
  std::vector<std::uint8_t> held;
  capture_ = &held;
  capturedFrames_ = 0;
  HandleCommand(id, data, length);
  capture_ = nullptr;
  if (!held.empty() && !lost) {
    delayed_.push_back({room_.TicksAfterMs(lateMs), std::move(held), capturedFrames_});
  }
  delayNextMs_ = 0;
}

void SimulatedStick::HandleCommand(std::uint8_t id, const std::uint8_t* data, std::uint8_t length) {
  const std::optional<ant_command::Fields> fields = ant_command::Decode(id, data, length);
  if (!fields) {
    Respond(length > 0 ? data[0] : 0, id, kInvalidMessage);
    return;
  }
  const ant_command::Fields& f = *fields;
  const std::uint8_t first = f.first;

  if (id == ant_id::kResetSystem) {
    PowerOn();
    Send(ant_id::kStartup, &kResetReasonCommand, 1);
    return;
  }
  if (id == ant_id::kNetworkKey) {
    if (first >= kNetworks) return Respond(first, id, kInvalidNetworkNumber);
    for (const Channel& c : channels_) {
      if (c.network == first &&
          (c.state == ChannelState::kSearching || c.state == ChannelState::kTracking)) {
        return Respond(first, id, kCloseAllChannels);
      }
    }
    return Respond(first, id, kOk);  // the room's sensors do not check the key
  }
  if (id == ant_id::kEnableExtendedMessages) {
    extendedMessages_ = f.enable;
    return Respond(first, id, kOk);
  }
  if (id == ant_id::kRequestMessage) return Request(first, f.requestedId);

  // Channel commands.
  if (first >= kChannels) return Respond(first, id, kInvalidMessage);
  Channel& c = channels_[first];
  const bool open = c.state == ChannelState::kSearching || c.state == ChannelState::kTracking;
  switch (id) {
    case ant_id::kAssignChannel:
      if (c.state != ChannelState::kUnassigned) return Respond(first, id, kWrongState);
      if (f.network >= kNetworks) return Respond(first, id, kInvalidNetworkNumber);
      c = Channel{};
      c.state = ChannelState::kAssigned;
      c.type = f.channelType;
      c.network = f.network;
      return Respond(first, id, kOk);
    case ant_id::kUnassignChannel:
      if (c.state != ChannelState::kAssigned) return Respond(first, id, kWrongState);
      c = Channel{};
      return Respond(first, id, kOk);
    case ant_id::kOpenChannel:
      if (c.state != ChannelState::kAssigned) return Respond(first, id, kWrongState);
      Respond(first, id, kOk);
      return OpenChannel(first);
    case ant_id::kCloseChannel:
      if (!open) return Respond(first, id, kWrongState);
      c.state = ChannelState::kAssigned;
      c.sensor = nullptr;
      c.searchDeadline.reset();
      Respond(first, id, kOk);
      return RfEvent(first, ant_code::kChannelClosed);
    default: break;
  }
  // Channel settings: the channel must be assigned.
  if (c.state == ChannelState::kUnassigned) return Respond(first, id, kWrongState);
  switch (id) {
    case ant_id::kChannelId:
      c.deviceNumber = f.deviceNumber;
      c.deviceType = f.deviceType;
      c.transmissionType = f.transmissionType;
      return Respond(first, id, kOk);
    case ant_id::kChannelRfFrequency:
      if (f.rfChannel > kHighestRfFrequency) return Respond(first, id, kInvalidMessage);
      c.rfFrequency = f.rfChannel;
      return Respond(first, id, kOk);
    case ant_id::kChannelPeriod:
      if (f.period < kShortestPeriod) return Respond(first, id, kInvalidMessage);
      c.period = f.period;
      return Respond(first, id, kOk);
    case ant_id::kSearchTimeout:
      // In steps of 2.5 s; 255 searches for ever.
      c.infiniteSearch = f.searchTimeout == 255;
      c.searchTimeoutMs = f.searchTimeout * 2500u;
      return Respond(first, id, kOk);
    case ant_id::kLowPrioritySearchTimeout: return Respond(first, id, kOk);
    default: return Respond(first, id, kInvalidMessage);
  }
}

void SimulatedStick::Request(std::uint8_t channel, std::uint8_t what) {
  switch (what) {
    case ant_id::kVersion:
      return Send(ant_id::kVersion, kVersion.data(), static_cast<std::uint8_t>(kVersion.size()));
    case ant_id::kCapabilities:
      return Send(ant_id::kCapabilities, kCapabilities, sizeof kCapabilities);
    case ant_id::kChannelStatus:
    case ant_id::kChannelId: {
      if (channel >= kChannels) return Respond(channel, ant_id::kRequestMessage, kInvalidMessage);
      const Channel& c = channels_[channel];
      if (what == ant_id::kChannelStatus) {
        const std::uint8_t status = static_cast<std::uint8_t>(
            (c.type & 0xF0) | ((c.network & 0x03) << 2) | static_cast<std::uint8_t>(c.state));
        const std::uint8_t data[] = {channel, status};
        return Send(ant_id::kChannelStatus, data, sizeof data);
      }
      // A tracking channel reports the sensor it found.
      SensorIdentity id{c.deviceNumber, c.deviceType, c.transmissionType};
      if (c.state == ChannelState::kTracking && c.sensor != nullptr) id = c.sensor->Identity();
      const std::uint8_t data[] = {channel, static_cast<std::uint8_t>(id.deviceNumber),
                                   static_cast<std::uint8_t>(id.deviceNumber >> 8), id.deviceType,
                                   id.transmissionType};
      return Send(ant_id::kChannelId, data, sizeof data);
    }
    default: return Respond(channel, ant_id::kRequestMessage, kInvalidMessage);
  }
}

void SimulatedStick::OpenChannel(std::uint8_t channel) {
  Channel& c = channels_[channel];
  const std::uint64_t now = room_.NowTicks();
  c.state = ChannelState::kSearching;
  c.sensor = nullptr;
  c.nextDue = now + c.period;
  c.searchDeadline.reset();
  // A transmitting channel has nothing to search for.
  if ((c.type & kTransmitChannelBit) != 0 || c.infiniteSearch) return;
  const std::uint32_t timeoutMs = c.searchTimeoutMs.value_or(room_.SearchTimeoutMs());
  c.searchDeadline = room_.TicksAfterMs(timeoutMs);
}

void SimulatedStick::ChannelTick(std::uint8_t channel, std::uint64_t due) {
  Channel& c = channels_[channel];
  c.nextDue = due + c.period;
  if ((c.type & kTransmitChannelBit) != 0) return;
  if (c.state == ChannelState::kSearching) {
    if (c.rfFrequency != kRfFrequencyOfRoom) return;
    c.sensor = room_.FindSensor(c.deviceNumber, c.deviceType, c.transmissionType);
    if (c.sensor == nullptr) return;
    c.state = ChannelState::kTracking;
    c.searchDeadline.reset();
  }
  Payload payload;
  if (c.sensor == nullptr || !room_.MessageAt(*c.sensor, due, payload)) return;

  std::uint8_t data[14] = {channel};
  std::copy(payload.begin(), payload.end(), data + 1);
  std::uint8_t length = 9;
  if (extendedMessages_) {
    const SensorIdentity& id = c.sensor->Identity();
    data[9] = kExtendedChannelIdFlag;
    data[10] = static_cast<std::uint8_t>(id.deviceNumber);
    data[11] = static_cast<std::uint8_t>(id.deviceNumber >> 8);
    data[12] = id.deviceType;
    data[13] = id.transmissionType;
    length = 14;
  }
  Send(ant_id::kBroadcastData, data, length);
}

void SimulatedStick::PumpLocked(std::uint64_t now) {
  const bool realTime = !room_.Clock().IsManual();
  for (Channel& c : channels_) {
    const bool open = c.state == ChannelState::kSearching || c.state == ChannelState::kTracking;
    // On real time a stalled pump skips what is long past instead of
    // sending a burst of stale data.
    if (open && realTime && now > c.nextDue + kTicksPerSecond) {
      c.nextDue += (now - c.nextDue) / c.period * c.period;
    }
  }
  for (;;) {
    // The earliest thing due: late responses, then channel ticks, then
    // search deadlines, each in channel order.
    enum class What { kNothing, kDelayed, kTick, kDeadline } what = What::kNothing;
    std::uint64_t when = std::numeric_limits<std::uint64_t>::max();
    std::size_t which = 0;
    for (std::size_t i = 0; i < delayed_.size(); ++i) {
      if (delayed_[i].due < when) {
        when = delayed_[i].due;
        what = What::kDelayed;
        which = i;
      }
    }
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      const Channel& c = channels_[i];
      if (c.state != ChannelState::kSearching && c.state != ChannelState::kTracking) continue;
      if (c.nextDue < when) {
        when = c.nextDue;
        what = What::kTick;
        which = i;
      }
    }
    for (std::size_t i = 0; i < channels_.size(); ++i) {
      const Channel& c = channels_[i];
      if (c.state == ChannelState::kSearching && c.searchDeadline && *c.searchDeadline < when) {
        when = *c.searchDeadline;
        what = What::kDeadline;
        which = i;
      }
    }
    if (what == What::kNothing || when > now) return;

    const auto channel = static_cast<std::uint8_t>(which);
    switch (what) {
      case What::kDelayed: {
        const Delayed late = std::move(delayed_[which]);
        delayed_.erase(delayed_.begin() + static_cast<std::ptrdiff_t>(which));
        Output(late.bytes.data(), late.bytes.size(), late.frames);
        break;
      }
      case What::kTick: ChannelTick(channel, when); break;
      case What::kDeadline: {
        Channel& c = channels_[which];
        c.state = ChannelState::kAssigned;
        c.searchDeadline.reset();
        RfEvent(channel, ant_code::kRxSearchTimeout);
        RfEvent(channel, ant_code::kChannelClosed);
        break;
      }
      case What::kNothing: return;
    }
  }
}

void SimulatedStick::Respond(std::uint8_t channel, std::uint8_t answered, std::uint8_t code) {
  const std::uint8_t data[] = {channel, answered, code};
  Send(ant_id::kChannelResponse, data, sizeof data);
}

void SimulatedStick::RfEvent(std::uint8_t channel, std::uint8_t code) {
  const std::uint8_t data[] = {channel, ant_code::kEventRfMarker, code};
  Send(ant_id::kChannelResponse, data, sizeof data);
}

void SimulatedStick::Send(std::uint8_t id, const std::uint8_t* data, std::uint8_t length) {
  std::uint8_t frame[kAntFrameOverhead + 255];
  const std::size_t size = EncodeAntFrame(id, data, length, frame);
  const bool garbled = garbleNext_;
  if (garbled) {
    frame[size - 1] ^= 0xFF;
    garbleNext_ = false;
  }
  Output(frame, size, garbled ? 0 : 1);
}

void SimulatedStick::Output(const std::uint8_t* bytes, std::size_t count, std::uint64_t frames) {
  if (capture_ != nullptr) {
    capture_->insert(capture_->end(), bytes, bytes + count);
    capturedFrames_ += frames;
    return;
  }
  if (sink_ != nullptr && pluggedIn_ && count > 0) {
    framesDelivered_ += frames;  // first: a host never seems ahead of the stick
    sink_->OnStickBytes(bytes, count);
  }
}

}  // namespace vel::sim
