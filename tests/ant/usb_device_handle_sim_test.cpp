#include "ant/usb_device_handle_sim.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_room.h"
#include "support/ant_frames.h"

namespace vel {
namespace {

void Write(USBDeviceHandle& h, std::uint8_t id, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> f = test::Frame(id, data);
  std::size_t written = 0;
  ASSERT_EQ(h.Write(f.data(), f.size(), written), HandleResult::kOk);
}

// Reads until `count` bytes came, or gives up after `tries` reads.
std::vector<std::uint8_t> ReadSome(USBDeviceHandle& h, std::size_t count, int tries = 40) {
  std::vector<std::uint8_t> out;
  for (int i = 0; i < tries && out.size() < count; ++i) {
    std::uint8_t buf[255];
    std::size_t n = 0;
    if (h.Read(buf, sizeof buf, n, 100) == HandleResult::kDeviceGone) break;
    out.insert(out.end(), buf, buf + n);
  }
  return out;
}

TEST(UsbDeviceHandleSimTest, OnRealTimeTheReaderSendsAChannelsDataAtItsPeriod) {
  auto room = std::make_shared<sim::VirtualRoom>(std::make_shared<sim::SteadySimClock>());
  auto handle = USBDeviceHandleSim::Open(USBDeviceSim(room, 3));
  ASSERT_TRUE(handle);
  EXPECT_FALSE(USBDeviceHandleSim::Open(USBDeviceSim(room, 3)));  // one host at a time
  EXPECT_EQ(handle->GetDevice().GetDeviceType(), usb_device_type::kSimulated);

  Write(*handle, 0x42, {0, 0, 0});
  Write(*handle, 0x51, {0, 0, 0, 122, 0});
  Write(*handle, 0x45, {0, 57});
  Write(*handle, 0x43, {0, 0x00, 0x10});  // 4096/32768 s: 8 Hz
  Write(*handle, 0x4B, {0});
  const std::size_t responses = 5 * 7;
  // Half a second of real time brings several data frames of 13 bytes.
  const std::vector<std::uint8_t> bytes = ReadSome(*handle, responses + 3 * 13);
  EXPECT_GE(bytes.size(), responses + 3 * 13);

  std::size_t written = 0;
  EXPECT_EQ(handle->Write(bytes.data(), 0, written), HandleResult::kNoBytes);
}

TEST(UsbDeviceHandleSimTest, UnpluggingMarksTheHandleGoneAndOpeningFails) {
  auto room = std::make_shared<sim::VirtualRoom>(std::make_shared<sim::ManualSimClock>());
  auto handle = USBDeviceHandleSim::Open(USBDeviceSim(room, 0));
  ASSERT_TRUE(handle);
  room->Stick(0).Unplug();
  std::uint8_t buf[8];
  std::size_t n = 0;
  EXPECT_EQ(handle->Read(buf, sizeof buf, n, 1000), HandleResult::kDeviceGone);
  const std::uint8_t frame[] = {0xA4, 0x01, 0x4A, 0x00, 0xEF};
  EXPECT_EQ(handle->Write(frame, sizeof frame, n), HandleResult::kDeviceGone);
  handle.reset();
  EXPECT_FALSE(USBDeviceHandleSim::Open(USBDeviceSim(room, 0)));
  room->Stick(0).Replug();
  EXPECT_TRUE(USBDeviceHandleSim::Open(USBDeviceSim(room, 0)));
  EXPECT_FALSE(USBDeviceHandleSim::Open(USBDeviceSim(room, 10)));
}

}  // namespace
}  // namespace vel
