#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/companion_server.h"
#include "support/loopback_server.h"

namespace vel::test {

// The companion server's patch server over a folder of numbered releases,
// with the requests it answered (method and path with query as logged).
class PatchServer {
 public:
  explicit PatchServer(std::filesystem::path releases);

  std::string Url() const { return server_.PatchUrl(); }
  std::vector<ReceivedRequest> Received() const;

 private:
  RunningCompanionServer server_;
};

}  // namespace vel::test
