#include "capture_replay.h"

#include <algorithm>

#include "common/string_printf.h"
#include "sensors/sensor_kinds.h"

namespace vel {
namespace {

std::string DescribeFramerError(const AntMessage& report) {
  switch (report.id) {
    case DSIFramerANT::kStatusOverflow:
      return "framer error 01: receive queue overflow, message dropped";
    case DSIFramerANT::kStatusOversized:
      return "framer error 03: message longer than 41 data bytes dropped";
    case DSIFramerANT::kStatusSerialError: {
      const std::uint8_t code = report.data[0];
      const char* what = code == serial_error::kBadChecksum   ? "bad checksum, frame dropped"
                         : code == serial_error::kDeviceGone  ? "device gone"
                         : code == serial_error::kWriteFailed ? "write failed"
                         : code == serial_error::kReadFailed  ? "read failed"
                                                              : "serial error";
      return StringPrintf("framer error 02 %02X: %s", code, what);
    }
    default: return StringPrintf("framer error %02X", report.id);
  }
}

}  // namespace

std::optional<std::uint8_t> ExtendedDeviceType(const AntMessage& message, std::uint16_t length) {
  const bool data = message.id == ant_id::kBroadcastData || message.id == ant_id::kAcknowledgedData;
  // Channel, 8 payload bytes, flag byte, then device number, type, transmission type.
  constexpr std::uint16_t kFlag = 9;
  if (!data || length < kFlag + 5 || (message.data[kFlag] & kExtendedChannelIdFlag) == 0)
    return std::nullopt;
  return message.data[kFlag + 3];
}

CaptureReplay::CaptureReplay(const std::vector<ChannelSpec>& channels, bool withLog, LineSink out,
                             LineSink errors)
    : out_(std::move(out)),
      errors_(std::move(errors)),
      eventBinding_(QueueBinding::Role::kEvents, lines_),
      logBinding_(QueueBinding::Role::kLog, withLog ? lines_ : dropped_) {
  for (const ChannelSpec& spec : channels) {
    DecoderSetup setup;
    setup.owner = &receiver_;
    setup.channelNumber = spec.channel;
    setup.uiid = 0;
    setup.graphIds[0] = 0;
    setup.graphIds[1] = 1;
    setup.wheelCircumferenceM = spec.wheelCircumferenceM;
    if (auto decoder = MakeDecoder(spec.deviceType, setup)) {
      watched_.push_back(Watched{spec.channel, std::move(decoder)});
    }
  }
}

CaptureReplay::~CaptureReplay() { Finish(); }

void CaptureReplay::Feed(const std::uint8_t* bytes, std::size_t count) {
  // Drain often enough that the framer's queue never fills.
  constexpr std::size_t kChunk = 4096;
  for (std::size_t done = 0; done < count;) {
    const std::size_t n = std::min(kChunk, count - done);
    for (std::size_t i = 0; i < n; ++i) framer_.OnByte(bytes[done + i]);
    done += n;
    DrainMessages();
  }
}

void CaptureReplay::Finish() {
  DrainMessages();
  for (Watched& w : watched_) {
    w.decoder.reset();
    Flush();
  }
  watched_.clear();
}

void CaptureReplay::DrainMessages() {
  AntMessage message;
  for (;;) {
    const std::uint16_t length = framer_.TakeMessage(message, 0);
    if (length == DSIFramerANT::kResultTimeout) return;
    if (length == DSIFramerANT::kResultError) {
      errors_(DescribeFramerError(message));
      continue;
    }
    Dispatch(message, length);
  }
}

void CaptureReplay::Dispatch(const AntMessage& message, std::uint16_t length) {
  if (length == 0) return;
  const std::optional<std::uint8_t> extendedType = ExtendedDeviceType(message, length);
  for (Watched& w : watched_) {
    if (w.channel != message.data[0] || !w.decoder) continue;
    if (extendedType && *extendedType != w.decoder->DeviceType()) continue;
    w.decoder->ProcessMessage(message, length);
    Flush();
  }
}

void CaptureReplay::Flush() {
  std::string line;
  while (lines_.TryPop(line)) out_(line);
  while (dropped_.TryPop(line)) {
  }
}

}  // namespace vel
