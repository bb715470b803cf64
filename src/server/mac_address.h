#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/message_box.h"

namespace vel {

// One network adapter as the saved login sees it: its hardware address and
// the gateway of its default route (0 when it has none).
struct NetworkAdapter {
  int index = 0;  // the kernel's interface index: the adapters' stable order
  std::string name;
  std::array<std::uint8_t, 6> hardware{};
  std::uint32_t defaultGateway = 0;
};

// The default route's gateway of each interface, from the kernel's routing
// table as /proc/net/route shows it.
std::map<std::string, std::uint32_t> DefaultGateways(const std::string& routeTable);

// "%02X-%02X-%02X-%02X-%02X-%02X".
std::string MacText(const std::array<std::uint8_t, 6>& hardware);

// The MAC text of the first adapter, in index order, whose default gateway
// is not 0.0.0.0; empty when none has one.
std::string MacTextOfGatewayAdapter(std::vector<NetworkAdapter> adapters);

// This computer's adapters with a hardware address; false with the error
// number when they cannot be listed.
bool ListNetworkAdapters(std::vector<NetworkAdapter>& adapters, int& error);

// The MAC text of this computer, which ties a saved login to it. A failure
// to list the adapters is told with "Error for GetAdaptersInfo : %d" and
// gives the empty text.
std::string GetMacAddress(MessageBox& messages);

}  // namespace vel
