#pragma once

#include <filesystem>
#include <string_view>

namespace vel {

// True for an archive entry name that is a plain file name: not empty, no
// folder separator ("/" or "\"), no ".." anywhere, not ".", no zero byte
// and short enough for one file name. Only such names are unpacked, so no
// entry can reach outside the unpack folder.
bool IsPlainEntryName(std::string_view name);

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
// it (Unix attributes); without them it gets rw-r--r--, or rwxr-xr-x when
// its name begins with `executableName`, since those are installed as the
// staged program.
bool UnpackArchive(const std::filesystem::path& archive, const std::filesystem::path& unpackFolder,
                   const std::filesystem::path& scratchFolder, std::string_view executableName);

}  // namespace vel
