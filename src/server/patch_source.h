#pragma once

#include <cpprest/json.h>

#include <cstdint>
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
  // status 200 with the whole body written. A body longer than `maxBytes`
  // is refused; nothing of a refused or failed download is left in `local`.
  virtual bool DownloadPatchFile(const std::string& file, const std::filesystem::path& local,
                                 std::uint64_t maxBytes) = 0;
};

}  // namespace vel
