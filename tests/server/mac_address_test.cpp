#include "server/mac_address.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

constexpr char kRoutes[] =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
    "wlan0\t0000A8C0\t00000000\t0001\t0\t0\t600\t00FFFFFF\t0\t0\t0\n"
    "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
    "eth0\t00000000\t0201A8C0\t0003\t0\t0\t200\t00000000\t0\t0\t0\n"
    "docker0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n";

TEST(MacAddressTest, TheFirstAdapterWithADefaultGatewayGivesTheMacText) {
  const auto gateways = DefaultGateways(kRoutes);
  ASSERT_EQ(gateways.size(), 1u) << "only default routes count";
  EXPECT_EQ(gateways.at("eth0"), 0x0101A8C0u) << "the first default route of an interface";

  NetworkAdapter lo{1, "lo", {0, 0, 0, 0, 0, 0}, 0};
  NetworkAdapter wlan{3, "wlan0", {0xa0, 0xb1, 0xc2, 0xd3, 0xe4, 0xf5}, 0};
  NetworkAdapter eth{2, "eth0", {0x00, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}, gateways.at("eth0")};
  NetworkAdapter usb{4, "usb0", {1, 2, 3, 4, 5, 6}, 0x0102A8C0};
  EXPECT_EQ(MacTextOfGatewayAdapter({usb, wlan, lo, eth}), "00-1B-2C-3D-4E-5F")
      << "in interface order, whatever order they were listed in";
  EXPECT_EQ(MacTextOfGatewayAdapter({lo, wlan}), "") << "no adapter with a gateway";
}

}  // namespace
}  // namespace vel
