#include "server/packet_cipher.h"

#include <openssl/err.h>
#include <openssl/evp.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

namespace vel {
namespace {

// The 16 ASCII codes of each text, without a terminating zero.
constexpr char kKeyText[] = "mkvtrelqpazwynsb";
constexpr char kIvText[] = "7302958164027381";
static_assert(sizeof kKeyText == 17 && sizeof kIvText == 17);

const unsigned char* Key() { return reinterpret_cast<const unsigned char*>(kKeyText); }
const unsigned char* Iv() { return reinterpret_cast<const unsigned char*>(kIvText); }

// EVP_EncryptUpdate and EVP_DecryptUpdate count in int and write up to one
// block more than they read.
constexpr std::size_t kMaxInput = static_cast<std::size_t>(INT_MAX) - 2 * PacketCipher::kBlockSize;

struct ContextFree {
  void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, ContextFree>;

// One line per failure with OpenSSL's text for the newest error of this
// thread's queue. The text goes through a local buffer, not OpenSSL's
// static one, so that failures on two threads cannot garble each other.
void Report(const char* call) {
  char text[256];
  ERR_error_string_n(ERR_peek_last_error(), text, sizeof text);
  ERR_clear_error();
  std::printf("ERR: %s() - %s\n", call, text);
  std::fflush(stdout);
}

void ReportTooLong(const char* call, std::size_t size) {
  std::printf("ERR: %s() - input of %zu bytes is too long\n", call, size);
  std::fflush(stdout);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> PacketCipher::Encrypt(
    std::span<const std::uint8_t> plain) const {
  if (plain.size() > kMaxInput) {
    ReportTooLong("EVP_EncryptUpdate", plain.size());
    return std::nullopt;
  }
  ERR_clear_error();
  Context context(EVP_CIPHER_CTX_new());
  if (!context) {
    Report("EVP_CIPHER_CTX_new");
    return std::nullopt;
  }
  if (EVP_EncryptInit(context.get(), EVP_aes_128_cbc(), Key(), Iv()) != 1) {
    Report("EVP_EncryptInit");
    return std::nullopt;
  }
  std::vector<std::uint8_t> out(CipherLength(plain.size()));
  int updated = 0;
  if (EVP_EncryptUpdate(context.get(), out.data(), &updated, plain.data(),
                        static_cast<int>(plain.size())) != 1) {
    Report("EVP_EncryptUpdate");
    return std::nullopt;
  }
  int finished = 0;
  if (EVP_EncryptFinal(context.get(), out.data() + updated, &finished) != 1) {
    Report("EVP_EncryptFinal");
    return std::nullopt;
  }
  out.resize(static_cast<std::size_t>(updated) + static_cast<std::size_t>(finished));
  return out;
}

std::optional<std::vector<std::uint8_t>> PacketCipher::Encrypt(std::string_view plain) const {
  return Encrypt(std::span(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()));
}

std::optional<std::vector<std::uint8_t>> PacketCipher::Decrypt(
    std::span<const std::uint8_t> cipher) const {
  if (cipher.size() > kMaxInput) {
    ReportTooLong("EVP_DecryptUpdate", cipher.size());
    return std::nullopt;
  }
  ERR_clear_error();
  Context context(EVP_CIPHER_CTX_new());
  if (!context) {
    Report("EVP_CIPHER_CTX_new");
    return std::nullopt;
  }
  if (EVP_DecryptInit(context.get(), EVP_aes_128_cbc(), Key(), Iv()) != 1) {
    Report("EVP_DecryptInit");
    return std::nullopt;
  }
  // OpenSSL may write up to one block more than the input during update.
  std::vector<std::uint8_t> out(cipher.size() + kBlockSize);
  int updated = 0;
  if (EVP_DecryptUpdate(context.get(), out.data(), &updated, cipher.data(),
                        static_cast<int>(cipher.size())) != 1) {
    Report("EVP_DecryptUpdate");
    return std::nullopt;
  }
  int finished = 0;
  if (EVP_DecryptFinal(context.get(), out.data() + updated, &finished) != 1) {
    Report("EVP_DecryptFinal");
    return std::nullopt;
  }
  out.resize(static_cast<std::size_t>(updated) + static_cast<std::size_t>(finished));
  return out;
}

std::string_view PacketCipher::PlainText(const std::vector<std::uint8_t>& plain) {
  if (plain.empty()) return {};
  const auto* text = reinterpret_cast<const char*>(plain.data());
  const void* zero = std::memchr(text, 0, plain.size());
  const std::size_t length =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - text) : plain.size();
  return std::string_view(text, length);
}

}  // namespace vel
