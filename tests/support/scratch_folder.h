#pragma once

#include <filesystem>

namespace vel::test {

// A fresh, empty folder of its own under the system's temporary folder,
// removed with everything in it when the object goes. One per test keeps
// tests that run at once (ctest -j) out of each other's files.
class ScratchFolder {
 public:
  // Throws std::runtime_error when no folder can be made.
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // A path inside the folder.
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace vel::test
