#include "server/mac_address.h"

#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>

#include "common/string_printf.h"

namespace vel {

std::map<std::string, std::uint32_t> DefaultGateways(const std::string& routeTable) {
  std::map<std::string, std::uint32_t> gateways;
  std::istringstream lines(routeTable);
  std::string line;
  std::getline(lines, line);  // the column names
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, flags, refCount, use, metric, mask;
    if (!(fields >> name >> destination >> gateway >> flags >> refCount >> use >> metric >> mask)) {
      continue;
    }
    if (destination != "00000000" || mask != "00000000") continue;  // not a default route
    std::uint32_t address = 0;
    std::istringstream(gateway) >> std::hex >> address;
    // The first default route of an interface is the one that counts.
    gateways.emplace(name, address);
  }
  return gateways;
}

std::string MacText(const std::array<std::uint8_t, 6>& h) {
  return StringPrintf("%02X-%02X-%02X-%02X-%02X-%02X", h[0], h[1], h[2], h[3], h[4], h[5]);
}

std::string MacTextOfGatewayAdapter(std::vector<NetworkAdapter> adapters) {
  std::stable_sort(
      adapters.begin(), adapters.end(),
      [](const NetworkAdapter& a, const NetworkAdapter& b) { return a.index < b.index; });
  for (const NetworkAdapter& adapter : adapters) {
    if (adapter.defaultGateway != 0) return MacText(adapter.hardware);
  }
  return {};
}

bool ListNetworkAdapters(std::vector<NetworkAdapter>& adapters, int& error) {
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    error = errno;
    return false;
  }
  std::ifstream routeFile("/proc/net/route");
  const std::string routeTable{std::istreambuf_iterator<char>(routeFile),
                               std::istreambuf_iterator<char>()};
  const std::map<std::string, std::uint32_t> gateways = DefaultGateways(routeTable);
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_PACKET) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
    if (link->sll_halen < 6) continue;
    NetworkAdapter adapter;
    adapter.index = link->sll_ifindex;
    adapter.name = entry->ifa_name != nullptr ? entry->ifa_name : "";
    std::copy_n(link->sll_addr, 6, adapter.hardware.begin());
    const auto gateway = gateways.find(adapter.name);
    if (gateway != gateways.end()) adapter.defaultGateway = gateway->second;
    adapters.push_back(adapter);
  }
  freeifaddrs(list);
  return true;
}

std::string GetMacAddress(MessageBox& messages) {
  std::vector<NetworkAdapter> adapters;
  int error = 0;
  if (!ListNetworkAdapters(adapters, error)) {
    messages.Show(StringPrintf("Error for GetAdaptersInfo : %d", error));
    return {};
  }
  return MacTextOfGatewayAdapter(std::move(adapters));
}

}  // namespace vel
