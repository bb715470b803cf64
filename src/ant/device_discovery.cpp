#include "ant/device_discovery.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string_view>
#include <system_error>

#include "ant/libusb_library.h"
#include "ant/sim/simulated_stick.h"
#include "ant/sim/virtual_room.h"

namespace vel {
namespace fs = std::filesystem;
namespace {

// One line of a sysfs attribute without its line feed; empty when missing.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
    line.pop_back();
  }
  return line;
}

template <typename T>
T ParseNumber(std::string_view text, int base) {
  T value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size() ? value : T{0};
}

// The number at the end of a tty name, for numeric order (ttyUSB2 before ttyUSB10).
unsigned TtyIndex(const std::string& name, std::size_t prefixLength) {
  return ParseNumber<unsigned>(std::string_view(name).substr(prefixLength), 10);
}

// The USB device directory (the one holding idVendor) above a tty's sysfs
// node, within the sysfs root; empty when there is none.
fs::path UsbDeviceDirectory(const fs::path& sysfsRoot, const std::string& ttyName) {
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(sysfsRoot, ec);
  fs::path dir = fs::canonical(sysfsRoot / "class" / "tty" / ttyName / "device", ec);
  if (ec) return {};
  for (int depth = 0; depth < 8 && !dir.empty() && dir != root && dir != dir.root_path(); ++depth) {
    if (fs::exists(dir / "idVendor", ec)) return dir;
    dir = dir.parent_path();
  }
  return {};
}

UsbIdentity ReadIdentity(const fs::path& usbDir) {
  UsbIdentity id;
  id.vid = ParseNumber<std::uint16_t>(ReadAttribute(usbDir / "idVendor"), 16);
  id.pid = ParseNumber<std::uint16_t>(ReadAttribute(usbDir / "idProduct"), 16);
  id.product = ReadAttribute(usbDir / "product");
  id.serialText = ReadAttribute(usbDir / "serial");
  id.serialNumber = ParseNumber<std::uint32_t>(id.serialText, 10);
  id.busNumber = ParseNumber<int>(ReadAttribute(usbDir / "busnum"), 10);
  id.deviceAddress = ParseNumber<int>(ReadAttribute(usbDir / "devnum"), 10);
  return id;
}

std::string SameFileKey(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::weakly_canonical(path, ec);
  return ec ? path : p.string();
}

}  // namespace

int ParseSimulatedStickCount(const char* text) {
  if (text == nullptr || text[0] < '0' || text[0] > '9' || text[1] != '\0') return 0;
  return text[0] - '0';
}

DiscoverySettings DiscoverySettings::FromValues(const char* ttyList, const char* simCount) {
  DiscoverySettings settings;
  if (ttyList != nullptr) {
    std::string_view list(ttyList);
    for (std::size_t start = 0; start <= list.size();) {
      std::size_t colon = list.find(':', start);
      if (colon == std::string_view::npos) colon = list.size();
      if (colon > start) settings.extraTtys.emplace_back(list.substr(start, colon - start));
      start = colon + 1;
    }
  }
  settings.simulatedSticks = ParseSimulatedStickCount(simCount);
  return settings;
}

DiscoverySettings DiscoverySettings::FromEnvironment() {
  return FromValues(std::getenv("VEL_ANT_TTY"), std::getenv("VEL_ANT_SIM"));
}

USBDeviceList<USBDeviceSI> ListTtySticks(const DiscoverySettings& settings) {
  USBDeviceList<USBDeviceSI> list;
  std::set<std::string> listed;

  const std::string prefix = "ttyUSB";
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(fs::path(settings.sysfsRoot) / "class" / "tty", ec), end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    return TtyIndex(a, prefix.size()) < TtyIndex(b, prefix.size());
  });
  for (const std::string& name : names) {
    const fs::path usbDir = UsbDeviceDirectory(settings.sysfsRoot, name);
    if (usbDir.empty()) continue;
    UsbIdentity id = ReadIdentity(usbDir);
    if (id.vid != kAntVendorId) continue;
    const std::string path = (fs::path(settings.devRoot) / name).string();
    listed.insert(SameFileKey(path));
    list.Add(std::make_shared<USBDeviceSI>(path, std::move(id)));
  }

  for (const std::string& path : settings.extraTtys) {
    if (!fs::exists(path, ec) || !listed.insert(SameFileKey(path)).second) continue;
    // A path that is also a USB tty of this machine gets its identity from sysfs.
    UsbIdentity id;
    const fs::path usbDir =
        UsbDeviceDirectory(settings.sysfsRoot, fs::path(SameFileKey(path)).filename().string());
    if (!usbDir.empty()) id = ReadIdentity(usbDir);
    list.Add(std::make_shared<USBDeviceSI>(path, std::move(id)));
  }
  return list;
}

USBDeviceList<USBDeviceLibusb> ListLibusbSticks(
    const DiscoverySettings& settings, const std::function<bool(const std::string& key)>& held) {
  USBDeviceList<USBDeviceLibusb> list;
  std::shared_ptr<LibusbLibrary> lib;
  try {
    lib = LibusbLibrary::Load(settings.libusbLibrary);
  } catch (LibusbError::Enum) {
    return list;  // no library: no libusb sticks
  }
  libusb_context* context = nullptr;
  if (lib->init(&context) != 0) return list;

  libusb_device** devices = nullptr;
  const ssize_t count = lib->get_device_list(context, &devices);
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor descriptor{};
    if (lib->get_device_descriptor(devices[i], &descriptor) != 0) continue;
    if (descriptor.idVendor != kAntVendorId && descriptor.idVendor != kNordicVendorId) continue;
    UsbIdentity id;
    id.vid = descriptor.idVendor;
    id.pid = descriptor.idProduct;
    id.busNumber = lib->get_bus_number(devices[i]);
    id.deviceAddress = lib->get_device_address(devices[i]);
    if (held && held(USBDeviceLibusb(settings.libusbLibrary, id).Key())) continue;
    // The strings need the device opened; without permission they stay empty.
    libusb_device_handle* handle = nullptr;
    if (lib->open(devices[i], &handle) == 0) {
      unsigned char text[256];
      if (descriptor.iProduct != 0 &&
          lib->get_string_descriptor_ascii(handle, descriptor.iProduct, text, sizeof text) > 0) {
        id.product = reinterpret_cast<const char*>(text);
      }
      if (descriptor.iSerialNumber != 0 &&
          lib->get_string_descriptor_ascii(handle, descriptor.iSerialNumber, text, sizeof text) >
              0) {
        id.serialText = reinterpret_cast<const char*>(text);
        id.serialNumber = ParseNumber<std::uint32_t>(id.serialText, 10);
      }
      lib->close(handle);
    }
    list.Add(std::make_shared<USBDeviceLibusb>(settings.libusbLibrary, std::move(id)));
  }
  if (count >= 0) lib->free_device_list(devices, 1);
  lib->exit(context);
  return list;
}

USBDeviceList<USBDeviceLibusb> DropTtyBoundSticks(const USBDeviceList<USBDeviceLibusb>& usb,
                                                  const USBDeviceList<USBDeviceSI>& ttys) {
  return usb.GetSubList([&](const USBDeviceLibusb& device) {
    const UsbIdentity& u = device.Identity();
    for (std::size_t i = 0; i < ttys.Size(); ++i) {
      const UsbIdentity& t = ttys[i]->Identity();
      if (t.busNumber != 0 && t.busNumber == u.busNumber && t.deviceAddress == u.deviceAddress) {
        return false;
      }
    }
    return true;
  });
}

USBDeviceList<USBDeviceSim> ListSimulatedSticks(const DiscoverySettings& settings) {
  USBDeviceList<USBDeviceSim> list;
  if (settings.simulatedSticks <= 0) return list;
  std::shared_ptr<sim::VirtualRoom> room =
      settings.room ? settings.room : sim::VirtualRoom::Shared();
  const int count = std::min(settings.simulatedSticks, sim::VirtualRoom::kMaxSticks);
  for (int i = 0; i < count; ++i) {
    if (room->Stick(i).IsPluggedIn()) list.Add(std::make_shared<USBDeviceSim>(room, i));
  }
  return list;
}

USBDeviceList<USBDevice> DiscoverAntSticks(const DiscoverySettings& settings,
                                           const RescanFilter& filter) {
  USBDeviceList<USBDevice> all;
  const USBDeviceList<USBDeviceSI> ttys = ListTtySticks(settings);
  all.Append(ttys);
  if (filter.libusb) all.Append(DropTtyBoundSticks(ListLibusbSticks(settings, filter.held), ttys));
  all.Append(ListSimulatedSticks(settings));
  return all;
}

}  // namespace vel
