#include "support/zip_writer.h"

#include <zip.h>
#include <zlib.h>

#include <stdexcept>

namespace vel::test {

void WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries) {
  std::filesystem::create_directories(path.parent_path());
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!zip) throw std::runtime_error("cannot create " + path.string());
  bool ok = true;
  for (const ZipEntry& entry : entries) {
    zip_fileinfo info{};
    uLong madeBy = 20;  // MS-DOS attributes, version 2.0
    if (entry.unixMode) {
      info.external_fa = static_cast<uLong>(*entry.unixMode) << 16;
      madeBy = (3u << 8) | 20;  // Unix
    }
    ok = ok &&
         zipOpenNewFileInZip4_64(
             zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
             entry.stored ? 0 : Z_DEFLATED, entry.stored ? 0 : Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS,
             DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, madeBy, 0, 0) == ZIP_OK &&
         zipWriteInFileInZip(zip, entry.data.data(), static_cast<unsigned>(entry.data.size())) ==
             ZIP_OK &&
         zipCloseFileInZip(zip) == ZIP_OK;
  }
  ok = zipClose(zip, nullptr) == ZIP_OK && ok;
  if (!ok) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace vel::test
