#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <vector>

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kRandomCharacters = 6;

fs::path FolderOf(const fs::path& target) {
  fs::path folder = target.parent_path();
  return folder.empty() ? fs::path(".") : folder;
}

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  for (std::size_t done = 0; done < size;) {
    const ssize_t put = ::write(fd, data + done, size - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

AtomicFile::AtomicFile(fs::path target, mode_t mode, std::string temporaryPrefix)
    : target_(std::move(target)), mode_(mode) {
  if (temporaryPrefix.empty()) temporaryPrefix = "." + target_.filename().string() + ".";
  temporary_ =
      (FolderOf(target_) / (temporaryPrefix + std::string(kRandomCharacters, 'X'))).string();
  fd_.Reset(::mkostemp(temporary_.data(), O_CLOEXEC));
  if (!fd_) {
    temporary_.clear();
    Failed("create a file beside " + target_.string());
  }
}

AtomicFile::~AtomicFile() {
  fd_.Reset();
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

bool AtomicFile::Failed(std::string_view what) {
  if (error_.empty()) error_ = std::string(what) + ": " + std::strerror(errno);
  return false;
}

void AtomicFile::Fail(std::string what) {
  if (error_.empty()) error_ = std::move(what);
}

bool AtomicFile::Write(std::span<const std::uint8_t> bytes) {
  if (!Ok()) return false;
  if (!WriteAll(fd_.Get(), bytes.data(), bytes.size())) return Failed("write " + target_.string());
  return true;
}

bool AtomicFile::Write(std::string_view text) {
  return Write({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

bool AtomicFile::CopyFrom(int from) {
  if (!Ok()) return false;
  std::vector<std::uint8_t> buffer(64 * 1024);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return Failed("read the copy of " + target_.string());
    }
    if (!WriteAll(fd_.Get(), buffer.data(), static_cast<std::size_t>(got))) {
      return Failed("write " + target_.string());
    }
  }
}

bool AtomicFile::Commit() {
  if (!Ok()) return false;
  if (::fchmod(fd_.Get(), mode_ & 07777) != 0) {
    return Failed("set the mode of " + target_.string());
  }
  // On disk before the rename: a power cut must never leave the name on a
  // file whose bytes were not written yet.
  if (::fsync(fd_.Get()) != 0) return Failed("write " + target_.string());
  if (!fd_.Close()) return Failed("write " + target_.string());
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    return Failed("replace " + target_.string());
  }
  committed_ = true;
  // The rename itself is on disk once the folder is; a file system that
  // cannot sync folders has the rename in its journal all the same.
  const UniqueFd folder(::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder) (void)::fsync(folder.Get());
  return true;
}

bool WriteFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes, mode_t mode,
                         std::string* error, std::string temporaryPrefix) {
  AtomicFile file(target, mode, std::move(temporaryPrefix));
  file.Write(bytes);
  if (file.Commit()) return true;
  if (error) *error = file.Error();
  return false;
}

int RemoveLeftovers(const fs::path& folder, std::string_view temporaryPrefix) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() != temporaryPrefix.size() + kRandomCharacters ||
        !name.starts_with(temporaryPrefix)) {
      continue;
    }
    std::error_code entry;
    if (!it->is_regular_file(entry) || it->is_symlink(entry)) continue;
    if (fs::remove(it->path(), entry)) ++removed;
  }
  return removed;
}

}  // namespace vel
