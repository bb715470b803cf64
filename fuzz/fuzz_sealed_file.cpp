// The program's sealed local files (VEL.json, VEL.f): raw bytes as found on
// disk, a plaintext sealed first (to reach the parser), or the bytes written
// to a file and read back through the size limit. The first byte picks the
// form. Nothing may throw.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <system_error>

#include "server/packet_cipher.h"
#include "server/sealed_file.h"
#include "server/server_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The cipher reports each refused file on standard output.
  static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  (void)quiet;
  static const struct ScratchFile {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("vel-fuzz-sealed-" + std::to_string(::getpid()));
    ~ScratchFile() {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    }
  } scratch;
  const std::filesystem::path& file = scratch.path;
  if (size == 0) return 0;
  const std::span<const std::uint8_t> rest(data + 1, size - 1);
  vel::SealedFile opened;
  switch (data[0] % 3) {
    case 0: opened = vel::OpenSealedBytes(rest); break;
    case 1: {
      const auto cipher = vel::PacketCipher().Encrypt(rest);
      if (cipher) opened = vel::OpenSealedBytes(*cipher);
      break;
    }
    default: {
      std::ofstream(file, std::ios::binary | std::ios::trunc)
          .write(reinterpret_cast<const char*>(rest.data()),
                 static_cast<std::streamsize>(rest.size()));
      opened = vel::ReadSealedFile(file);
      break;
    }
  }
  if (opened.status == vel::SealedFileStatus::kOk) {
    (void)vel::ServerConfig::FromJson(opened.value);
  }
  return 0;
}
