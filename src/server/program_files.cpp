#include "server/program_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>
#include <vector>

namespace vel {
namespace {

namespace fs = std::filesystem;

// Closes a descriptor on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a failing close can be reported.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool Fail(std::string* error, std::string_view what) {
  if (error) *error = std::string(what) + ": " + std::strerror(errno);
  return false;
}

bool CopyBytes(int from, int to) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(from, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(to, buffer + done, static_cast<std::size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      done += put;
    }
  }
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
  FileDescriptor in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return Fail(error, "open " + source.string());
  struct stat sourceStat {};
  if (::fstat(in.get(), &sourceStat) != 0) return Fail(error, "stat " + source.string());
  if (!S_ISREG(sourceStat.st_mode)) {
    errno = EINVAL;
    return Fail(error, source.string() + " is not a plain file");
  }
  const mode_t permissions = mode ? static_cast<mode_t>(*mode) & 07777 : sourceStat.st_mode & 07777;

  // A short fixed name: the target's own name may already be near the
  // file system's limit.
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string temporary = (folder / ".vel-update-XXXXXX").string();
  FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
  if (out.get() < 0) return Fail(error, "create a file beside " + target.string());
  const auto fail = [&](std::string_view what) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    errno = saved;
    return Fail(error, what);
  };
  if (!CopyBytes(in.get(), out.get())) return fail("copy " + source.string());
  if (::fchmod(out.get(), permissions) != 0) return fail("set the mode of " + target.string());
  // On disk before the rename, so that a power cut never leaves an empty
  // program behind the new name.
  if (::fsync(out.get()) != 0) return fail("write " + target.string());
  if (!out.Close()) return fail("write " + target.string());
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail("replace " + target.string());
  return true;
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
