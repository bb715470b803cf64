#pragma once

#include <cpprest/json.h>

#include <filesystem>
#include <string>

namespace vel {

// The patch server as the updater sees it.
class PatchSource {
 public:
  virtual ~PatchSource() = default;
  // GET of the update information; true only for a status-200 JSON reply
  // whose "result" is true. `pathAndQuery` is built with web::uri_builder.
  virtual bool FetchPatchInfo(const std::string& pathAndQuery, web::json::value& reply) = 0;
  // GET "/test" with the query file=`file` into `local`; true only for
  // status 200 with the whole body written.
  virtual bool DownloadPatchFile(const std::string& file, const std::filesystem::path& local) = 0;
};

}  // namespace vel
