#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/loopback_server.h"

namespace vel::test {

// A patch server on loopback that publishes `releases`, a folder of
// numbered version folders holding update archives:
//   GET "/" ?version=V  -> {"result": true, "files": ["<folder>/<file>", ...]}
//                          for the folders numerically greater than V,
//                          ascending, each folder's files by name;
//   GET "/test" ?file=F -> the bytes of releases/F, or 404.
// Anything else is 404. The folder is read at each request, so a test may
// publish while the server runs.
class PatchServer {
 public:
  explicit PatchServer(std::filesystem::path releases);

  const std::string& Url() const { return server_.Url(); }
  std::vector<ReceivedRequest> Received() const { return server_.Received(); }

 private:
  void Answer(web::http::http_request& request, const ReceivedRequest& seen) const;

  std::filesystem::path releases_;
  LoopbackServer server_;
};

}  // namespace vel::test
