#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vel::test {

struct ZipEntry {
  ZipEntry(std::string entryName, std::string entryData,
           std::optional<unsigned> mode = std::nullopt, bool storedAsIs = false)
      : name(std::move(entryName)),
        data(std::move(entryData)),
        unixMode(mode),
        stored(storedAsIs) {}

  std::string name;
  std::string data;
  // Unix mode (type and permission bits) stored in the external
  // attributes; none: an archive made on a system without them.
  std::optional<unsigned> unixMode;
  // Stored uncompressed, so a test can find and damage the data bytes.
  bool stored = false;
};

// Writes a ZIP archive of `entries`, in order, with minizip; throws when it
// cannot.
void WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries);

}  // namespace vel::test
