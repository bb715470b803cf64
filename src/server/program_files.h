#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vel {

// The file operations of the updater, done so that a target is never seen
// half written: a copy goes to a temporary file beside the target and is
// renamed over it.

// The temporary files of ReplaceFile: ".vel-update-" and six characters.
// One left by a kill mid-copy is cleared at the next start.
inline constexpr char kUpdateTemporaryPrefix[] = ".vel-update-";

// The path of the running executable (/proc/self/exe); none when the
// kernel does not say.
std::optional<std::filesystem::path> RunningExecutablePath();

// Copies `source` over `target`: the bytes go to a new temporary file in
// the target's folder, which gets `mode` (the source's permissions when
// none is given) and is then renamed over the target. On failure the
// target is untouched, the temporary file is gone, and `error` (when
// given) says why.
bool ReplaceFile(const std::filesystem::path& source, const std::filesystem::path& target,
                 std::optional<std::filesystem::perms> mode = std::nullopt,
                 std::string* error = nullptr);

// Deletes a folder with all its files and subfolders. Every entry is
// visited whatever happens to a single one; symbolic links are removed,
// never followed. An empty path does nothing. True when the folder is gone.
bool DeleteTree(const std::filesystem::path& folder);

}  // namespace vel
