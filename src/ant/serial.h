#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "ant/ant_transport.h"
#include "ant/serial_callback.h"

namespace vel {

// The byte pipe between a framer and one ANT stick: it writes the framer's
// frames and feeds it every byte the stick sends, from one thread, with the
// stick's errors (DSISerialCallback).
class DSISerial : public AntTransport {
 public:
  static constexpr std::uint8_t kNoPort = 0xFF;

  ~DSISerial() override = default;

  virtual bool InitAuto() = 0;
  virtual bool Init(std::uint32_t baudRate, std::uint8_t port) = 0;
  virtual std::uint32_t GetDeviceSerialNumber() = 0;
  virtual bool GetDeviceUsbInfo(std::uint8_t, char*, char*, std::size_t) { return false; }
  virtual bool GetDevicePid(std::uint16_t&) { return false; }
  virtual bool GetDeviceVid(std::uint16_t&) { return false; }
  // Set before Open; the receive thread reads it.
  virtual void SetCallback(DSISerialCallback* callback) { callback_.store(callback); }
  virtual bool Open() = 0;
  virtual void Close(bool reset = false) = 0;
  bool WriteBytes(const std::uint8_t* bytes, std::size_t count) override = 0;
  virtual std::uint8_t GetPort() = 0;

 protected:
  DSISerialCallback* Callback() const { return callback_.load(); }

 private:
  std::atomic<DSISerialCallback*> callback_{nullptr};
};

}  // namespace vel
