#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "http_answer.h"

namespace vel::companion {

// The patch server's folder: one folder per version, named with its number
// in decimal (no sign, no leading zero), holding that version's update
// archives. Everything is read at the moment of the request, so archives
// may be dropped in while the server runs.
class PatchFolder {
 public:
  explicit PatchFolder(std::filesystem::path root) : root_(std::move(root)) {}

  const std::filesystem::path& Root() const { return root_; }

  // A decimal version number (digits only, at most 2^64 - 1).
  static std::optional<std::uint64_t> ParseVersion(std::string_view text);

  // "<folder>/<file>" for every file of every version folder whose number is
  // greater than `version`: folders in ascending numeric order, files by
  // name. Hidden files, subfolders and anything leading out of the folder
  // through a link are left out.
  std::vector<std::string> FilesAbove(std::uint64_t version) const;

  enum class Lookup { kFound, kMissing, kRefused };
  // Where a requested file lies. Refused: an absolute path, "..", ".", an
  // empty part, a backslash, a zero byte, or a link that leads out of the
  // folder. Missing: nothing there, or not a regular file.
  Lookup Resolve(std::string_view file, std::filesystem::path& found) const;

  // GET "/" with `version` -> {"result": true, "files": [...]} (result false
  // for a missing or non-numeric version); GET "/test" with `file` -> the
  // archive (the answer names the file, whose bytes are sent as they are
  // read), 404 when missing, 403 when refused.
  HttpAnswer Answer(std::string_view method, std::string_view path, const Query& query) const;

 private:
  std::filesystem::path root_;
};

}  // namespace vel::companion
