#include "server/program_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>
#include <vector>

#include "common/atomic_file.h"
#include "common/unique_fd.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

bool Fail(std::string* error, std::string_view what) {
  if (error) *error = std::string(what) + ": " + std::strerror(errno);
  return false;
}

}  // namespace

std::optional<fs::path> RunningExecutablePath() {
  std::error_code ec;
  fs::path path = fs::read_symlink("/proc/self/exe", ec);
  if (ec || path.empty()) return std::nullopt;
  // Once the file has been replaced the kernel appends this to the name.
  constexpr std::string_view kDeleted = " (deleted)";
  const std::string text = path.string();
  if (text.size() > kDeleted.size() && text.ends_with(kDeleted) && !fs::exists(path, ec)) {
    path = text.substr(0, text.size() - kDeleted.size());
  }
  return path;
}

bool ReplaceFile(const fs::path& source, const fs::path& target, std::optional<fs::perms> mode,
                 std::string* error) {
  UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.Get() < 0) return Fail(error, "open " + source.string());
  struct stat sourceStat {};
  if (::fstat(in.Get(), &sourceStat) != 0) return Fail(error, "stat " + source.string());
  if (!S_ISREG(sourceStat.st_mode)) {
    errno = EINVAL;
    return Fail(error, source.string() + " is not a plain file");
  }
  const mode_t permissions = mode ? static_cast<mode_t>(*mode) & 07777 : sourceStat.st_mode & 07777;
  // A short fixed name: the target's own name may already be near the
  // file system's limit.
  AtomicFile copy(target, permissions, kUpdateTemporaryPrefix);
  copy.CopyFrom(in.Get());
  if (copy.Commit()) return true;
  if (error) *error = copy.Error();
  return false;
}

bool DeleteTree(const fs::path& folder) {
  if (folder.empty()) return true;
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(folder, ec);
  if (status.type() == fs::file_type::not_found) return true;
  if (ec) return false;
  if (fs::is_directory(status)) {
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      entries.push_back(it->path());
    }
    for (const fs::path& entry : entries) {
      std::error_code entryError;
      if (fs::is_directory(fs::symlink_status(entry, entryError))) {
        DeleteTree(entry);
      } else {
        fs::remove(entry, entryError);
      }
    }
  }
  fs::remove(folder, ec);
  return !fs::exists(fs::symlink_status(folder, ec));
}

}  // namespace vel
