#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace vel {

// AES-128-CBC with PKCS#7 padding under the program's one key and IV. Every
// packet to and from the application server and the local files VEL.json
// and VEL.f go through it. The object holds nothing: each call sets up and
// releases its own OpenSSL context, so calls may run on any thread at once.
//
// A failure prints "ERR: <OpenSSL call>() - <OpenSSL's error text>" on
// standard output and gives no value; nothing is thrown.
class PacketCipher {
 public:
  static constexpr std::size_t kBlockSize = 16;

  // Padding is never switched off: an n-byte plaintext always takes whole
  // blocks plus 1 to 16 bytes of padding.
  static constexpr std::size_t CipherLength(std::size_t plainLength) {
    return (plainLength / kBlockSize + 1) * kBlockSize;
  }

  std::optional<std::vector<std::uint8_t>> Encrypt(std::span<const std::uint8_t> plain) const;
  std::optional<std::vector<std::uint8_t>> Encrypt(std::string_view plain) const;
  // The plaintext exactly as sealed; it may hold zero bytes, which callers
  // that read text cut at (see PlainText).
  std::optional<std::vector<std::uint8_t>> Decrypt(std::span<const std::uint8_t> cipher) const;

  // The text of a decrypted packet: its bytes up to the first zero byte.
  static std::string_view PlainText(const std::vector<std::uint8_t>& plain);
};

}  // namespace vel
