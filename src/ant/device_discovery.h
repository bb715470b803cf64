#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ant/usb_device.h"
#include "ant/usb_device_list.h"

namespace vel {

namespace sim {
class VirtualRoom;
}

// Where discovery looks. The defaults are the real system; tests point the
// roots at a fake sysfs tree and name a library that does not exist.
struct DiscoverySettings {
  std::string sysfsRoot = "/sys";
  std::string devRoot = "/dev";
  std::string libusbLibrary = "libusb-1.0.so.0";
  // Device paths of sticks behind other serial bridges or forwarded ports.
  std::vector<std::string> extraTtys;
  // Number of simulated sticks to list (0 to 9).
  int simulatedSticks = 0;
  // The room of the simulated sticks; none means the process's shared room.
  std::shared_ptr<sim::VirtualRoom> room;

  // VEL_ANT_TTY (colon-separated paths) and VEL_ANT_SIM (a digit).
  static DiscoverySettings FromEnvironment();
  // The same from the two texts (either may be null).
  static DiscoverySettings FromValues(const char* ttyList, const char* simCount);
};

inline constexpr std::uint16_t kAntVendorId = 0x0FCF;     // Dynastream
inline constexpr std::uint16_t kNordicVendorId = 0x1915;  // sticks on Nordic chips

// A VEL_ANT_SIM value as a stick count: one digit 0 to 9; anything else is 0.
int ParseSimulatedStickCount(const char* text);

// What a rescan for newly plugged sticks leaves out: the sticks the room
// already holds (a libusb stick is then not opened to read its strings),
// and libusb altogether between hot-plug arrivals.
struct RescanFilter {
  std::function<bool(const std::string& key)> held;
  bool libusb = true;
};

// Every ANT stick, in port order: tty sticks (sysfs ttyUSBn of vendor
// 0x0FCF, then VEL_ANT_TTY paths), libusb sticks not already listed as a
// tty, then simulated sticks.
USBDeviceList<USBDevice> DiscoverAntSticks(const DiscoverySettings& settings,
                                           const RescanFilter& filter = {});

USBDeviceList<USBDeviceSI> ListTtySticks(const DiscoverySettings& settings);
// Sticks of vendor 0x0FCF or 0x1915 that libusb sees, but those `held`
// names; none when the library cannot be loaded.
USBDeviceList<USBDeviceLibusb> ListLibusbSticks(
    const DiscoverySettings& settings,
    const std::function<bool(const std::string& key)>& held = {});
// A stick bound to the kernel's tty driver shows up to libusb as well; the
// tty record (same bus number and address) is the one that stays.
USBDeviceList<USBDeviceLibusb> DropTtyBoundSticks(const USBDeviceList<USBDeviceLibusb>& usb,
                                                  const USBDeviceList<USBDeviceSI>& ttys);
// The simulated sticks that are plugged in, up to the count asked for.
USBDeviceList<USBDeviceSim> ListSimulatedSticks(const DiscoverySettings& settings);

}  // namespace vel
