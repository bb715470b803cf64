#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "ant/device_discovery.h"
#include "ant/serial.h"
#include "ant/usb_device.h"
#include "ant/usb_device_handle.h"
#include "ant/usb_device_list.h"

namespace vel {

// The serial transport over any kind of ANT stick (tty, libusb, simulated).
// Open finds the sticks afresh, opens the one at the chosen port and starts
// the receive thread, which hands every byte the handle reads to the
// callback (the framer) and reports the stick's loss.
//
// Threads: the receive thread calls the callback; WriteBytes may be called
// from any thread while the transport is open; Init/Open/Close/destruction
// come from the owner's thread. Close always joins the receive thread (whose
// Read is bounded and cancelled by Close), so no byte reaches the callback
// after Close returns.
class DSISerialGeneric : public DSISerial {
 public:
  static constexpr std::uint32_t kReadTimeoutMs = 1000;
  static constexpr std::size_t kReadBufferSize = 255;

  using DeviceEnumerator = std::function<USBDeviceList<USBDevice>()>;

  // Finds sticks as the environment says (VEL_ANT_TTY, VEL_ANT_SIM) at each Open.
  DSISerialGeneric();
  explicit DSISerialGeneric(DiscoverySettings settings);
  explicit DSISerialGeneric(DeviceEnumerator enumerate);
  ~DSISerialGeneric() override;
  DSISerialGeneric(const DSISerialGeneric&) = delete;
  DSISerialGeneric& operator=(const DSISerialGeneric&) = delete;

  // Port 0 at 57 600 baud.
  bool InitAuto() override;
  bool Init(std::uint32_t baudRate, std::uint8_t port) override;
  std::uint32_t GetDeviceSerialNumber() override;
  bool GetDeviceUsbInfo(std::uint8_t port, char* product, char* serial, std::size_t size) override;
  bool GetDevicePid(std::uint16_t& pid) override;
  bool GetDeviceVid(std::uint16_t& vid) override;
  bool Open() override;
  void Close(bool reset = false) override;
  bool WriteBytes(const std::uint8_t* bytes, std::size_t count) override;
  std::uint8_t GetPort() override { return port_; }

  // True while the receive thread runs (it stops by itself on device loss).
  bool IsReceiving() const { return receiving_.load(); }

 private:
  void ReceiveLoop();
  std::shared_ptr<USBDeviceHandle> CurrentHandle() const;

  DeviceEnumerator enumerate_;
  std::uint32_t baudRate_ = 0;
  std::uint8_t port_ = kNoPort;
  std::unique_ptr<USBDevice> device_;  // private copy of the chosen stick

  // Guards the handle pointer only; writes go to the handle without it.
  mutable std::mutex handleMutex_;
  std::shared_ptr<USBDeviceHandle> handle_;

  std::mutex threadMutex_;  // start and stop of the receive thread
  std::thread thread_;
  std::atomic<bool> stop_{true};
  std::atomic<bool> receiving_{false};
};

}  // namespace vel
