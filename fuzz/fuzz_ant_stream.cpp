// Any bytes a stick might send: framed, cut, taken with varying maximum
// lengths and handed to a decoder, which must never read or write outside
// its buffers.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "ant/ant_receiver.h"
#include "ant/framer.h"
#include "sensors/heart_rate_decoder.h"
#include "sensors/sensor_queues.h"

namespace {

class DeafTransport : public vel::AntTransport {
 public:
  bool WriteBytes(const std::uint8_t*, std::size_t) override { return false; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static DeafTransport transport;
  static vel::StringQueue events;
  static vel::StringQueue log;
  static vel::QueueBinding bindEvents(vel::QueueBinding::Role::kEvents, events);
  static vel::QueueBinding bindLog(vel::QueueBinding::Role::kLog, log);

  auto framer = std::make_unique<vel::DSIFramerANT>(&transport);
  vel::AntReceiver receiver(framer.get());
  vel::CHRMDisplay decoder(&receiver, 0, 0, 0, 0);
  vel::AntMessage message;
  for (std::size_t i = 0; i < size; ++i) {
    framer->OnByte(data[i]);
    if (data[i] % 7 == 0) {
      const std::uint16_t maximum = static_cast<std::uint16_t>(data[i] % 50);
      const std::uint16_t n = framer->TakeMessage(message, maximum);
      if (n <= vel::MESG_MAX_SIZE_VALUE) decoder.ProcessMessage(message, n);
    }
  }
  framer->AwaitMessage(0);
  for (std::uint16_t n; (n = framer->TakeMessage(message, 0)) != vel::DSIFramerANT::kResultTimeout;) {
    if (n <= vel::MESG_MAX_SIZE_VALUE) decoder.ProcessMessage(message, n);
  }
  framer->OnSerialError(vel::serial_error::kDeviceGone);
  framer->TakeMessage(message, 0);
  for (std::string s; events.TryPop(s);) {
  }
  for (std::string s; log.TryPop(s);) {
  }
  return 0;
}
