#include "server/update_archive.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "common/queues.h"
#include "common/string_printf.h"
#include "server/program_files.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kReadChunk = 64 * 1024;
// "Version made by" names the system whose attributes the high 16 bits of
// the external attributes carry; 3 is Unix.
constexpr unsigned long kMadeOnUnix = 3;

class ZipReader {
 public:
  explicit ZipReader(const fs::path& path) : zip_(unzOpen64(path.c_str())) {}
  ~ZipReader() {
    if (zip_) unzClose(zip_);
  }
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;
  unzFile get() const { return zip_; }

 private:
  unzFile zip_;
};

// The archive and the entry as named in log lines: "201902180/a.zip".
std::string Label(const fs::path& archive) {
  return (archive.parent_path().filename() / archive.filename()).string();
}

enum class EntryKind { kFile, kNotAFile };

struct EntryInfo {
  std::string name;
  EntryKind kind = EntryKind::kFile;
  mode_t mode = 0644;
  unz_file_info64 zip{};
};

bool ReadEntryInfo(unzFile zip, std::string_view executableName, EntryInfo& entry) {
  if (unzGetCurrentFileInfo64(zip, &entry.zip, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return false;
  }
  std::vector<char> name(entry.zip.size_filename + 1);
  if (unzGetCurrentFileInfo64(zip, &entry.zip, name.data(), static_cast<uLong>(name.size()),
                              nullptr, 0, nullptr, 0) != UNZ_OK) {
    return false;
  }
  // The stored length, not the C string: a zero byte inside must be seen.
  entry.name.assign(name.data(), entry.zip.size_filename);
  entry.mode = entry.name.starts_with(executableName) ? 0755 : 0644;
  const auto unixMode = static_cast<mode_t>(entry.zip.external_fa >> 16);
  if ((entry.zip.version >> 8) == kMadeOnUnix && unixMode != 0) {
    const mode_t type = unixMode & S_IFMT;
    if (type != 0 && type != S_IFREG) entry.kind = EntryKind::kNotAFile;
    // Never set-id bits from an archive; the owner keeps read and write so
    // that the next update can replace the file.
    entry.mode = (unixMode & 0777) | S_IRUSR | S_IWUSR;
  }
  // The staged program must start, whatever mode it was packed with.
  if (entry.name.starts_with(executableName)) entry.mode |= (entry.mode & 0444) >> 2;
  return true;
}

enum class Extracted { kWhole, kBroken, kTooLarge };

// Reads the current entry whole into `target`, at most `maxBytes` of it;
// kBroken for a read error, a short entry, a CRC mismatch or a file that
// cannot be written.
Extracted ExtractEntry(unzFile zip, const EntryInfo& entry, const fs::path& target,
                       std::uint64_t maxBytes) {
  if (entry.zip.flag & 1) return Extracted::kBroken;  // encrypted: the program has no password
  if (entry.zip.uncompressed_size > maxBytes) return Extracted::kTooLarge;
  if (unzOpenCurrentFile(zip) != UNZ_OK) return Extracted::kBroken;
  const int fd =
      ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  bool ok = fd >= 0;
  bool tooLarge = false;
  ZPOS64_T total = 0;
  std::vector<char> buffer(kReadChunk);
  while (ok) {
    const int got = unzReadCurrentFile(zip, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (got == 0) break;
    if (got < 0) {
      ok = false;
      break;
    }
    total += static_cast<ZPOS64_T>(got);
    // The stored sizes may lie; what comes out of the decompressor counts.
    if (total > maxBytes) {
      ok = false;
      tooLarge = true;
      break;
    }
    for (int done = 0; ok && done < got;) {
      const ssize_t put = ::write(fd, buffer.data() + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      ok = put > 0;
      if (ok) done += static_cast<int>(put);
    }
  }
  // The CRC is checked here, and only when everything was read.
  const int closed = unzCloseCurrentFile(zip);
  ok = ok && closed == UNZ_OK && total == entry.zip.uncompressed_size;
  if (fd >= 0) {
    ok = ::fchmod(fd, entry.mode) == 0 && ok;
    ok = ::close(fd) == 0 && ok;
  }
  if (tooLarge) return Extracted::kTooLarge;
  return ok ? Extracted::kWhole : Extracted::kBroken;
}

}  // namespace

bool IsPlainEntryName(std::string_view name) {
  return !name.empty() && name.size() <= NAME_MAX && name != "." &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
         name.find("..") == std::string_view::npos;
}

bool UnpackArchive(const fs::path& archive, const fs::path& unpackFolder,
                   const fs::path& scratchFolder, std::string_view executableName,
                   UnpackLimits& limits) {
  const std::string label = Label(archive);
  ZipReader reader(archive);
  if (!reader.get()) {
    PushLog(StringPrintf("Update: %s is not a ZIP archive, skipped", label.c_str()));
    return false;
  }
  DeleteTree(scratchFolder);
  std::error_code ec;
  fs::create_directories(scratchFolder, ec);

  std::vector<std::string> staged;  // in the order first seen
  std::set<std::string> seen;
  std::uint64_t unpacked = 0;
  bool ok = !ec;
  if (!ok) {
    PushLog(StringPrintf("Update: cannot unpack %s: %s", label.c_str(), ec.message().c_str()));
  }
  int status = ok ? unzGoToFirstFile(reader.get()) : UNZ_OK;
  while (ok && status == UNZ_OK) {
    EntryInfo entry;
    if (!ReadEntryInfo(reader.get(), executableName, entry)) {
      ok = false;
      break;
    }
    if (!IsPlainEntryName(entry.name)) {
      PushLog(StringPrintf("Update: entry \"%s\" of %s is not a plain file name, skipped",
                           entry.name.c_str(), label.c_str()));
    } else if (entry.kind != EntryKind::kFile) {
      PushLog(StringPrintf("Update: entry \"%s\" of %s is not a plain file, skipped",
                           entry.name.c_str(), label.c_str()));
    } else {
      const std::uint64_t maxBytes = std::min(limits.entryBytes, limits.remainingBytes - unpacked);
      const fs::path target = scratchFolder / entry.name;
      const Extracted extracted = ExtractEntry(reader.get(), entry, target, maxBytes);
      if (extracted != Extracted::kWhole) {
        PushLog(StringPrintf(extracted == Extracted::kTooLarge
                                 ? "Update: entry \"%s\" of %s unpacks to more than the update "
                                   "may take, archive skipped"
                                 : "Update: entry \"%s\" of %s cannot be read whole, archive "
                                   "skipped",
                             entry.name.c_str(), label.c_str()));
        ok = false;
        break;
      }
      unpacked += entry.zip.uncompressed_size;  // checked against what was read
      if (seen.insert(entry.name).second) staged.push_back(entry.name);
    }
    status = unzGoToNextFile(reader.get());
  }
  if (ok && status != UNZ_END_OF_LIST_OF_FILE) {
    PushLog(StringPrintf("Update: %s is damaged, skipped", label.c_str()));
    ok = false;
  }
  if (ok) {
    limits.remainingBytes -= unpacked;
    fs::create_directories(unpackFolder, ec);
    for (const std::string& name : staged) {
      fs::rename(scratchFolder / name, unpackFolder / name, ec);
      if (ec) {
        PushLog(StringPrintf("Update: cannot unpack \"%s\" of %s: %s", name.c_str(), label.c_str(),
                             ec.message().c_str()));
      }
    }
  }
  DeleteTree(scratchFolder);
  return ok;
}

}  // namespace vel
