// Update archives as the patch server might send them: the bytes are an
// archive file that is unpacked into an unpack folder deep inside a
// scratch tree. Nothing may be written anywhere but straight into the
// unpack folder as plain files, and nothing may crash or read out of
// bounds.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "server/program_files.h"
#include "server/update_archive.h"

namespace {

namespace fs = std::filesystem;

struct Scratch {
  // Several levels deep, so that a name climbing out of the unpack folder
  // still lands inside the tree and is seen.
  fs::path root = fs::temp_directory_path() / ("vel-fuzz-archive-" + std::to_string(::getpid()));
  fs::path patch = root / "a" / "b" / "c" / "d" / "e" / "f" / "program" / "patch";
  fs::path archive = patch / "201902180" / "update.zip";
  fs::path unpack = patch / "files";
  fs::path scratch = patch / "unpacking";
  ~Scratch() { vel::DeleteTree(root); }
};

// Aborts when anything but the archive and plain files straight inside the
// unpack folder is left in the tree (the folders on the way excepted).
void CheckTree(const Scratch& s) {
  std::error_code ec;
  for (fs::recursive_directory_iterator it(s.root, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& path = it->path();
    const fs::file_status status = fs::symlink_status(path);
    if (fs::is_directory(status)) {
      const auto [mismatch, rest] =
          std::mismatch(path.begin(), path.end(), s.unpack.begin(), s.unpack.end());
      const bool onTheWay = mismatch == path.end() || path == s.archive.parent_path();
      if (!onTheWay) std::abort();
      continue;
    }
    if (path == s.archive) continue;
    if (path.parent_path() != s.unpack || !fs::is_regular_file(status)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Scratch scratch;
  vel::DeleteTree(scratch.root);
  fs::create_directories(scratch.archive.parent_path());
  std::ofstream(scratch.archive, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  // Small limits, so that a bomb is refused before it costs the run time.
  vel::UnpackLimits limits{1u << 20, 4u << 20};
  vel::UnpackArchive(scratch.archive, scratch.unpack, scratch.scratch, "vel", limits);
  CheckTree(scratch);
  return 0;
}
