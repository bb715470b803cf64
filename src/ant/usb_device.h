#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ant/usb_device_handle.h"

namespace vel {

namespace sim {
class VirtualRoom;
}

// Device kinds reported by GetDeviceType.
namespace usb_device_type {
inline constexpr int kSerial = 1;     // a stick behind the kernel's tty driver
inline constexpr int kLibusb = 2;     // a stick claimed through libusb
inline constexpr int kSimulated = 3;  // a stick of the simulated room
}  // namespace usb_device_type

// The record of one ANT stick found by discovery. The transport keeps a
// private copy of the one it opens.
class USBDevice {
 public:
  virtual ~USBDevice() = default;

  virtual std::uint16_t GetVid() const = 0;
  virtual std::uint16_t GetPid() const = 0;
  virtual std::uint32_t GetSerialNumber() const = 0;
  // Copy the text, cut to fit and zero-terminated; false when size is 0.
  virtual bool GetProductDescription(char* buffer, std::size_t size) const = 0;
  virtual bool GetSerialString(char* buffer, std::size_t size) const = 0;
  virtual int GetDeviceType() const = 0;
  // Nothing in this program resets a stick this way.
  virtual bool ResetDevice() { return false; }

  virtual std::unique_ptr<USBDevice> Clone() const = 0;
  // Opens a handle on the stick (for a tty at `baudRate`), or nullptr.
  virtual std::unique_ptr<USBDeviceHandle> OpenHandle(std::uint32_t baudRate) const = 0;
  // How log lines name the stick ("/dev/ttyUSB0", "USB 1-5", "simulated stick 0").
  virtual std::string Describe() const = 0;
  // What tells this stick from the others while it stays plugged in: the
  // path of a tty (a path that goes away and comes back is the same stick
  // back), the place of a libusb stick on its bus, the number of a
  // simulated stick.
  virtual std::string Key() const = 0;
};

// What every real stick record holds: USB identity and its strings.
struct UsbIdentity {
  std::uint16_t vid = 0;
  std::uint16_t pid = 0;
  std::uint32_t serialNumber = 0;  // the serial text read as a decimal number
  std::string product;
  std::string serialText;
  int busNumber = 0;      // 0 when unknown
  int deviceAddress = 0;  // 0 when unknown
};

class USBDeviceWithIdentity : public USBDevice {
 public:
  explicit USBDeviceWithIdentity(UsbIdentity identity) : identity_(std::move(identity)) {}

  std::uint16_t GetVid() const override { return identity_.vid; }
  std::uint16_t GetPid() const override { return identity_.pid; }
  std::uint32_t GetSerialNumber() const override { return identity_.serialNumber; }
  bool GetProductDescription(char* buffer, std::size_t size) const override;
  bool GetSerialString(char* buffer, std::size_t size) const override;
  const UsbIdentity& Identity() const { return identity_; }

 private:
  UsbIdentity identity_;
};

// A stick reached through a tty device node (/dev/ttyUSBn, or a path given
// in VEL_ANT_TTY).
class USBDeviceSI : public USBDeviceWithIdentity {
 public:
  USBDeviceSI(std::string path, UsbIdentity identity)
      : USBDeviceWithIdentity(std::move(identity)), path_(std::move(path)) {}

  int GetDeviceType() const override { return usb_device_type::kSerial; }
  std::unique_ptr<USBDevice> Clone() const override;
  std::unique_ptr<USBDeviceHandle> OpenHandle(std::uint32_t baudRate) const override;
  std::string Describe() const override { return path_; }
  std::string Key() const override { return "tty:" + path_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A stick claimed through libusb, found again by bus number and address
// when it is opened.
class USBDeviceLibusb : public USBDeviceWithIdentity {
 public:
  USBDeviceLibusb(std::string libraryName, UsbIdentity identity)
      : USBDeviceWithIdentity(std::move(identity)), libraryName_(std::move(libraryName)) {}

  int GetDeviceType() const override { return usb_device_type::kLibusb; }
  std::unique_ptr<USBDevice> Clone() const override;
  std::unique_ptr<USBDeviceHandle> OpenHandle(std::uint32_t baudRate) const override;
  std::string Describe() const override;
  std::string Key() const override;
  const std::string& LibraryName() const { return libraryName_; }

 private:
  std::string libraryName_;
};

// One stick of a simulated room.
class USBDeviceSim : public USBDevice {
 public:
  static constexpr std::uint16_t kVid = 0x0FCF;
  static constexpr std::uint16_t kPid = 0x1008;

  USBDeviceSim(std::shared_ptr<sim::VirtualRoom> room, int index)
      : room_(std::move(room)), index_(index) {}

  std::uint16_t GetVid() const override { return kVid; }
  std::uint16_t GetPid() const override { return kPid; }
  std::uint32_t GetSerialNumber() const override {
    return 9000u + static_cast<std::uint32_t>(index_);
  }
  bool GetProductDescription(char* buffer, std::size_t size) const override;
  bool GetSerialString(char* buffer, std::size_t size) const override;
  int GetDeviceType() const override { return usb_device_type::kSimulated; }
  std::unique_ptr<USBDevice> Clone() const override;
  std::unique_ptr<USBDeviceHandle> OpenHandle(std::uint32_t baudRate) const override;
  std::string Describe() const override;
  std::string Key() const override { return "sim:" + std::to_string(index_); }

  const std::shared_ptr<sim::VirtualRoom>& Room() const { return room_; }
  int Index() const { return index_; }

 private:
  std::shared_ptr<sim::VirtualRoom> room_;
  int index_;
};

}  // namespace vel
