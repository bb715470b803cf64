#include "server/sealed_file.h"

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "server/packet_cipher.h"
#include "server/packet_envelope.h"

namespace vel {

SealedFile OpenSealedBytes(std::span<const std::uint8_t> bytes) {
  SealedFile file;
  const auto plain = PacketCipher().Decrypt(bytes);
  if (!plain) {
    file.status = SealedFileStatus::kNotDecrypted;
    return file;
  }
  try {
    file.value = ParsePlainText(PacketCipher::PlainText(*plain));
    file.status = SealedFileStatus::kOk;
  } catch (const std::exception&) {
    file.status = SealedFileStatus::kNotJson;
  }
  return file;
}

SealedFile ReadSealedFile(const std::filesystem::path& path, std::size_t maxBytes) {
  SealedFile file;
  std::ifstream in(path, std::ios::binary);
  if (!in) return file;
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) {
    file.status = SealedFileStatus::kUnreadable;
    return file;
  }
  if (static_cast<std::uint64_t>(size) > maxBytes) {
    std::printf("ERR: ReadSealedFile() - %s has %lld bytes, more than %zu\n", path.c_str(),
                static_cast<long long>(size), maxBytes);
    std::fflush(stdout);
    file.status = SealedFileStatus::kTooLong;
    return file;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  in.seekg(0, std::ios::beg);
  in.read(reinterpret_cast<char*>(bytes.data()), size);
  if (!in || in.gcount() != size) {
    file.status = SealedFileStatus::kUnreadable;
    return file;
  }
  return OpenSealedBytes(bytes);
}

bool WriteSealedFile(const std::filesystem::path& path, const web::json::value& value,
                     std::size_t maxBytes, mode_t mode) {
  const auto cipher = PacketCipher().Encrypt(value.serialize());
  if (!cipher) return false;
  if (cipher->size() > maxBytes) {
    std::printf("ERR: WriteSealedFile() - %s would have %zu bytes, more than %zu\n", path.c_str(),
                cipher->size(), maxBytes);
    std::fflush(stdout);
    return false;
  }
  // What an earlier write cut off by a kill left beside the file.
  RemoveLeftovers(path.parent_path().empty() ? "." : path.parent_path(),
                  "." + path.filename().string() + ".");
  std::string error;
  if (WriteFileAtomically(path, *cipher, mode, &error)) return true;
  std::printf("ERR: WriteSealedFile() - %s\n", error.c_str());
  std::fflush(stdout);
  return false;
}

}  // namespace vel
