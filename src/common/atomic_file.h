#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "common/unique_fd.h"

namespace vel {

// A file that is replaced whole or not at all: the new bytes go to a
// temporary file beside the target, which is synced, given its mode and
// renamed over the target; the folder is synced after the rename. A crash,
// a power cut or a full disk at any point leaves either the old file or
// the new one, never a short one; at worst a temporary file stays behind,
// which RemoveLeftovers clears.
//
// One thread uses an object; it removes its temporary file when it is
// destroyed without a successful Commit.
class AtomicFile {
 public:
  // Creates the temporary file `temporaryPrefix` + six random characters
  // in the target's folder; empty prefix: "." + the target's name + ".".
  AtomicFile(std::filesystem::path target, mode_t mode, std::string temporaryPrefix = {});
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // False once anything failed; Error() then says what.
  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  // The temporary file's descriptor, for writers of their own; -1 when it
  // could not be made.
  int Descriptor() const { return fd_.Get(); }

  bool Write(std::span<const std::uint8_t> bytes);
  bool Write(std::string_view text);
  // Copies everything `from` still has to read into the file.
  bool CopyFrom(int from);
  // Puts the file in place of the target. False (the target untouched)
  // when anything before the rename failed.
  bool Commit();
  // Records a failure of the caller's own writing; Commit then refuses.
  void Fail(std::string what);

 private:
  bool Failed(std::string_view what);

  std::filesystem::path target_;
  mode_t mode_;
  std::string temporary_;
  UniqueFd fd_;
  bool committed_ = false;
  std::string error_;
};

// Writes `bytes` as the whole new content of `target` (see AtomicFile).
// False when the target could not be replaced; it is then as it was, and
// `error` (when given) says why.
bool WriteFileAtomically(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                         mode_t mode, std::string* error = nullptr,
                         std::string temporaryPrefix = {});

// Deletes the temporary files an interrupted AtomicFile left in `folder`:
// plain files named `temporaryPrefix` + six characters. Returns how many.
int RemoveLeftovers(const std::filesystem::path& folder, std::string_view temporaryPrefix);

}  // namespace vel
