#include "support/patch_server.h"

#include <sstream>

namespace vel::test {

PatchServer::PatchServer(std::filesystem::path releases)
    : server_(RunningCompanionServer::Setup{false, std::move(releases)}) {}

std::vector<ReceivedRequest> PatchServer::Received() const {
  // Log lines read "patch GET /?version=201902170 200".
  std::vector<ReceivedRequest> seen;
  for (const std::string& line : server_.LogLines()) {
    std::istringstream fields(line);
    std::string listener, method, path;
    fields >> listener >> method >> path;
    if (listener == "patch") seen.push_back(ReceivedRequest{method, path, "", ""});
  }
  return seen;
}

}  // namespace vel::test
