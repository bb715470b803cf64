// Any bytes a stick might send: framed, cut, taken with varying maximum
// lengths and handed to a decoder of every kind (channel 0 heart rate,
// 1 speed, 2 cadence, 3 speed/cadence, 4 power), which must never read or
// write outside its buffers nor publish a value that is not a number.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "ant/ant_receiver.h"
#include "ant/framer.h"
#include "common/queues.h"
#include "sensors/sensor_kinds.h"

namespace {

class DeafTransport : public vel::AntTransport {
 public:
  bool WriteBytes(const std::uint8_t*, std::size_t) override { return false; }
};

constexpr std::array<std::uint8_t, 5> kTypes = {120, 123, 122, 121, 11};

void CheckEvents(vel::StringQueue& events) {
  for (std::string s; events.TryPop(s);) {
    if (s.find("inf") != std::string::npos || s.find("nan") != std::string::npos) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static DeafTransport transport;
  static vel::StringQueue events;
  static vel::StringQueue log;
  static vel::QueueBinding bindEvents(vel::QueueBinding::Role::kEvents, events);
  static vel::QueueBinding bindLog(vel::QueueBinding::Role::kLog, log);

  // A short queue: cheap to make for every input, and it overflows.
  auto framer = std::make_unique<vel::DSIFramerANT>(&transport, 64);
  vel::AntReceiver receiver(framer.get());
  std::array<std::unique_ptr<vel::CDisplay>, kTypes.size()> decoders;
  for (std::size_t c = 0; c < kTypes.size(); ++c) {
    vel::DecoderSetup setup;
    setup.owner = &receiver;
    setup.channelNumber = static_cast<std::uint8_t>(c);
    setup.graphIds[0] = 0;
    setup.graphIds[1] = 1;
    setup.wheelCircumferenceM = c == 1 ? 0.0f : 2.096f;  // also the no-wheel case
    decoders[c] = vel::MakeDecoder(kTypes[c], setup);
  }
  auto dispatch = [&](const vel::AntMessage& m, std::uint16_t n) {
    if (n > vel::MESG_MAX_SIZE_VALUE || n == 0) return;
    if (m.data[0] < decoders.size()) decoders[m.data[0]]->ProcessMessage(m, n);
  };

  vel::AntMessage message;
  for (std::size_t i = 0; i < size; ++i) {
    framer->OnByte(data[i]);
    if (data[i] % 7 == 0) {
      const auto maximum = static_cast<std::uint16_t>(data[i] % 50);
      dispatch(message, framer->TakeMessage(message, maximum));
    }
    if (data[i] == 0x5A) {
      // The user-interface thread moving graphs between sensors.
      const std::int32_t id = (i & 1) ? 1 : -1;
      decoders[3]->SetGraphId(static_cast<int>(i % 3), id);
      decoders[4]->SetGraphId(static_cast<int>(i % 3), id);
    }
  }
  framer->AwaitMessage(0);
  for (std::uint16_t n;
       (n = framer->TakeMessage(message, 0)) != vel::DSIFramerANT::kResultTimeout;) {
    dispatch(message, n);
  }
  framer->OnSerialError(vel::serial_error::kDeviceGone);
  framer->TakeMessage(message, 0);
  for (auto& d : decoders) d.reset();
  CheckEvents(events);
  for (std::string s; log.TryPop(s);) {
  }
  return 0;
}
