#pragma once

#include <cpprest/json.h>
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>

namespace vel {

// The program's local files (VEL.json, VEL.f) hold the raw ciphertext of
// their compact JSON text, at most 1024 bytes; longer files are refused
// unread.
inline constexpr std::size_t kMaxSealedFileBytes = 1024;

enum class SealedFileStatus {
  kOk,
  kCannotOpen,    // missing, or not readable
  kTooLong,       // more than the allowed bytes
  kUnreadable,    // opened, but the bytes could not all be read
  kNotDecrypted,  // the cipher refused it (bad length or padding)
  kNotJson,       // decrypted, but not UTF-8 JSON text
};

struct SealedFile {
  SealedFileStatus status = SealedFileStatus::kCannotOpen;
  web::json::value value;  // null unless status is kOk
};

// Reads and opens a sealed file; never throws.
SealedFile ReadSealedFile(const std::filesystem::path& path,
                          std::size_t maxBytes = kMaxSealedFileBytes);
// Opens the bytes of a sealed file (text up to the first zero byte); never
// throws.
SealedFile OpenSealedBytes(std::span<const std::uint8_t> bytes);

// Mode of a sealed file that holds no secret (VEL.json); VEL.f holds the
// sign-in token and is the user's alone.
inline constexpr mode_t kSealedFileMode = 0644;
inline constexpr mode_t kPrivateSealedFileMode = 0600;

// Puts the sealed compact JSON text of `value` in place of the file, whole
// or not at all (AtomicFile), with `mode`. False when the ciphertext would
// exceed maxBytes or the file cannot be written; the file is then as it
// was.
bool WriteSealedFile(const std::filesystem::path& path, const web::json::value& value,
                     std::size_t maxBytes = kMaxSealedFileBytes, mode_t mode = kSealedFileMode);

}  // namespace vel
