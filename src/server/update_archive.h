#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

namespace vel {

// True for an archive entry name that is a plain file name: not empty, no
// folder separator ("/" or "\"), no ".." anywhere, not ".", no zero byte
// and short enough for one file name. Only such names are unpacked, so no
// entry can reach outside the unpack folder.
bool IsPlainEntryName(std::string_view name);

// How much unpacking may still write: a zip bomb is refused, not unpacked.
struct UnpackLimits {
  std::uint64_t entryBytes = 0;      // the most one entry may unpack to
  std::uint64_t remainingBytes = 0;  // what all archives still to come may unpack to
};

// Unpacks one update archive (ZIP) into `unpackFolder`, each entry under
// its stored name, replacing a file of the same name; later entries of the
// same name win. The archive is applied whole or not at all: every entry
// is first read into `scratchFolder` (made afresh, removed at the end), and
// only when all were read whole with a good CRC are they moved into the
// unpack folder. An archive that is not a valid ZIP or holds an unreadable,
// damaged or encrypted entry leaves the unpack folder as it was (false).
//
// Entries that are not plain files (a name that is not IsPlainEntryName,
// a folder, a symbolic link) are skipped with a log line; the rest of the
// archive still counts. An entry keeps the permissions the archive gives
// it (Unix attributes), rw-r--r-- without them; an entry whose name begins
// with `executableName` is installed as the staged program and so is
// always executable by whoever may read it (rwxr-xr-x without attributes).
//
// An entry that unpacks to more than `limits.entryBytes`, or an archive
// whose entries together unpack to more than `limits.remainingBytes`, is
// refused whole once reading gets there (whatever sizes the archive
// claims); an archive applied takes its bytes off `limits.remainingBytes`.
bool UnpackArchive(const std::filesystem::path& archive, const std::filesystem::path& unpackFolder,
                   const std::filesystem::path& scratchFolder, std::string_view executableName,
                   UnpackLimits& limits);

}  // namespace vel
