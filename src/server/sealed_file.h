#pragma once

#include <cpprest/json.h>

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

// Writes the sealed compact JSON text of `value` over the file (created or
// truncated). False when the ciphertext would exceed maxBytes (the file is
// then left as it was) or the file cannot be written.
bool WriteSealedFile(const std::filesystem::path& path, const web::json::value& value,
                     std::size_t maxBytes = kMaxSealedFileBytes);

}  // namespace vel
