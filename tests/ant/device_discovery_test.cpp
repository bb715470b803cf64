#include "ant/device_discovery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ant/serial_generic.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/simulated_stick.h"
#include "ant/sim/virtual_room.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;

// A sysfs tree as the kernel lays it out for USB serial adapters:
// class/tty/<name>/device links to the interface's tty node, two levels
// below the USB device directory that holds the identity files.
class FakeSysfs {
 public:
  FakeSysfs() {
    fs::create_directories(root_ / "class" / "tty");
    fs::create_directories(root_ / "dev");
  }

  void AddTty(const std::string& name, const std::string& vid, int bus, int address,
              const std::string& serial = "1234") {
    const fs::path usb =
        root_ / "devices" / "pci0000:00" / "usb1" / (std::to_string(bus) + "-" + name);
    const fs::path node = usb / (std::to_string(bus) + "-" + name + ":1.0") / name;
    fs::create_directories(node);
    Write(usb / "idVendor", vid);
    Write(usb / "idProduct", "1008");
    Write(usb / "product", "ANT USBStick2");
    Write(usb / "serial", serial);
    Write(usb / "busnum", std::to_string(bus));
    Write(usb / "devnum", std::to_string(address));
    fs::create_directories(root_ / "class" / "tty" / name);
    fs::create_directory_symlink(node, root_ / "class" / "tty" / name / "device");
    Write(root_ / "dev" / name, "");
  }
  // A tty with no USB parent (a built-in serial port).
  void AddPlainTty(const std::string& name) {
    const fs::path node = root_ / "devices" / "platform" / "serial8250" / "tty" / name;
    fs::create_directories(node);
    fs::create_directories(root_ / "class" / "tty" / name);
    fs::create_directory_symlink(node, root_ / "class" / "tty" / name / "device");
  }
  fs::path File(const std::string& name) {
    Write(root_ / name, "");
    return root_ / name;
  }

  DiscoverySettings Settings() const {
    DiscoverySettings s;
    s.sysfsRoot = root_.Path().string();
    s.devRoot = (root_ / "dev").string();
    s.libusbLibrary = "libvel-no-such-libusb.so.0";
    return s;
  }

 private:
  static void Write(const fs::path& p, const std::string& text) {
    std::ofstream(p) << text << "\n";
  }
  test::ScratchFolder root_;
};

std::vector<std::string> Names(const USBDeviceList<USBDevice>& list) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < list.Size(); ++i) {
    out.push_back(std::to_string(list[i]->GetDeviceType()) + " " +
                  fs::path(list[i]->Describe()).filename().string());
  }
  return out;
}

TEST(DeviceDiscoveryTest, ListsTtySticksThenExtraPathsThenSimulatedSticks) {
  FakeSysfs sysfs;
  sysfs.AddTty("ttyUSB10", "0fcf", 1, 12);
  sysfs.AddTty("ttyUSB2", "0fcf", 1, 5, "5678");
  sysfs.AddTty("ttyUSB0", "10c4", 1, 3);  // some other USB serial adapter
  sysfs.AddPlainTty("ttyS0");
  DiscoverySettings settings = sysfs.Settings();
  const fs::path forwarded = sysfs.File("forwarded-stick");
  settings.extraTtys = {forwarded.string(), "/nonexistent/tty", settings.devRoot + "/ttyUSB2"};
  settings.simulatedSticks = 2;
  settings.room = std::make_shared<sim::VirtualRoom>(std::make_shared<sim::ManualSimClock>());

  const USBDeviceList<USBDevice> all = DiscoverAntSticks(settings);
  // Numeric order of the ttys; the missing path and the repeated stick are
  // left out; simulated sticks come last.
  EXPECT_THAT(Names(all), ElementsAre("1 ttyUSB2", "1 ttyUSB10", "1 forwarded-stick",
                                      "3 simulated stick 0", "3 simulated stick 1"));
  EXPECT_EQ(all[0]->GetVid(), 0x0FCF);
  EXPECT_EQ(all[0]->GetPid(), 0x1008);
  EXPECT_EQ(all[0]->GetSerialNumber(), 5678u);
  char product[32];
  ASSERT_TRUE(all[0]->GetProductDescription(product, sizeof product));
  EXPECT_STREQ(product, "ANT USBStick2");
  char tiny[4];
  ASSERT_TRUE(all[0]->GetProductDescription(tiny, sizeof tiny));
  EXPECT_STREQ(tiny, "ANT");
  EXPECT_FALSE(all[0]->GetProductDescription(tiny, 0));
  EXPECT_EQ(static_cast<const USBDeviceSI&>(*all[0]).Identity().deviceAddress, 5);
  EXPECT_EQ(all[2]->GetVid(), 0);  // no USB identity known for a forwarded port

  // A pulled-out simulated stick is not listed, so the ports after it move up.
  settings.room->Stick(0).Unplug();
  EXPECT_THAT(Names(DiscoverAntSticks(settings)),
              ElementsAre("1 ttyUSB2", "1 ttyUSB10", "1 forwarded-stick", "3 simulated stick 1"));
}

TEST(DeviceDiscoveryTest, EnvironmentTextsGiveTtyPathsAndASimulatedStickCount) {
  DiscoverySettings s = DiscoverySettings::FromValues("/dev/a::/dev/b:", "3");
  EXPECT_THAT(s.extraTtys, ElementsAre("/dev/a", "/dev/b"));
  EXPECT_EQ(s.simulatedSticks, 3);
  EXPECT_TRUE(DiscoverySettings::FromValues(nullptr, nullptr).extraTtys.empty());
  for (const char* bad : {"", "10", "-1", "x", "3x", " 3", "٣"}) {
    EXPECT_EQ(ParseSimulatedStickCount(bad), 0) << bad;
  }
  EXPECT_EQ(ParseSimulatedStickCount("9"), 9);
  EXPECT_EQ(ParseSimulatedStickCount(nullptr), 0);
}

TEST(DeviceDiscoveryTest, AMissingLibusbMeansNoLibusbSticksAndNoCrash) {
  FakeSysfs sysfs;
  DiscoverySettings settings = sysfs.Settings();
  EXPECT_EQ(ListLibusbSticks(settings).Size(), 0u);
  EXPECT_EQ(DiscoverAntSticks(settings).Size(), 0u);

  // The transport over such a list: nothing to open.
  DSISerialGeneric serial(settings);
  class Sink : public DSISerialCallback {
    void OnByte(std::uint8_t) override {}
    void OnSerialError(std::uint8_t) override {}
  } sink;
  serial.SetCallback(&sink);
  serial.Init(57600, 0);
  EXPECT_FALSE(serial.Open());
}

TEST(DeviceDiscoveryTest, AStickBoundToTheTtyDriverIsListedOnlyAsATty) {
  auto usb = [](int bus, int address) {
    UsbIdentity id;
    id.vid = 0x0FCF;
    id.busNumber = bus;
    id.deviceAddress = address;
    return std::make_shared<USBDeviceLibusb>("libusb-1.0.so.0", id);
  };
  USBDeviceList<USBDeviceLibusb> seen;
  seen.Add(usb(1, 5));
  seen.Add(usb(1, 6));
  seen.Add(usb(2, 5));
  UsbIdentity ttyId;
  ttyId.busNumber = 1;
  ttyId.deviceAddress = 5;
  USBDeviceList<USBDeviceSI> ttys;
  ttys.Add(std::make_shared<USBDeviceSI>("/dev/ttyUSB0", ttyId));
  ttys.Add(std::make_shared<USBDeviceSI>("/tmp/forwarded", UsbIdentity{}));  // bus unknown
  const auto left = DropTtyBoundSticks(seen, ttys);
  ASSERT_EQ(left.Size(), 2u);
  EXPECT_EQ(left[0]->Identity().deviceAddress, 6);
  EXPECT_EQ(left[1]->Identity().busNumber, 2);
  EXPECT_EQ(left[0]->GetDeviceType(), usb_device_type::kLibusb);
}

}  // namespace
}  // namespace vel
