#include "server/packet_cipher.h"

#include <cpprest/asyncrt_utils.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace vel {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t seed = 1) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

TEST(PacketCipherTest, PaddingAlwaysAddsOneToSixteenBytesAndRoundTrips) {
  const PacketCipher cipher;
  for (const auto& [plain, sealed] : std::vector<std::pair<std::size_t, std::size_t>>{
           {0, 16}, {1, 16}, {15, 16}, {16, 32}, {17, 32}, {4095, 4096}, {4096, 4112}}) {
    const auto input = Bytes(plain);
    const auto out = cipher.Encrypt(input);
    ASSERT_TRUE(out) << plain;
    EXPECT_EQ(out->size(), sealed) << plain;
    EXPECT_EQ(PacketCipher::CipherLength(plain), sealed);
    const auto back = cipher.Decrypt(*out);
    ASSERT_TRUE(back) << plain;
    EXPECT_EQ(*back, input) << plain;
  }
}

TEST(PacketCipherTest, UsesTheProgramsKeyAndIv) {
  // Known answers from `openssl enc -aes-128-cbc -K 6d6b76...7362 -iv 3733...3831 -base64 -A`.
  const PacketCipher cipher;
  const std::string empty = utility::conversions::to_base64(*cipher.Encrypt(std::string_view()));
  EXPECT_EQ(empty, "FoGpOFCzHFw15lqruk22HQ==");
  EXPECT_EQ(empty.size(), 24u);
  EXPECT_EQ(
      utility::conversions::to_base64(*cipher.Encrypt(std::string_view(R"({"result":true})"))),
      "uI4yS8oqmLOvxEGIY5AGTg==");
  // Equal plaintexts give equal ciphertexts: one IV for every message.
  EXPECT_EQ(*cipher.Encrypt(std::string_view("abc")), *cipher.Encrypt(std::string_view("abc")));
}

TEST(PacketCipherTest, RefusesBadLengthsAndDamagedPaddingWithOpenSslsText) {
  const PacketCipher cipher;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(cipher.Decrypt(Bytes(15)));
  EXPECT_FALSE(cipher.Decrypt(std::vector<std::uint8_t>()));
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_THAT(out, StartsWith("ERR: EVP_DecryptFinal() - error:"));
  EXPECT_THAT(out, HasSubstr("wrong final block length"));
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 2);

  auto sealed = *cipher.Encrypt(std::string_view("a text of some length"));
  sealed.back() ^= 0x5A;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(cipher.Decrypt(sealed));
  out = testing::internal::GetCapturedStdout();
  EXPECT_THAT(out, StartsWith("ERR: EVP_DecryptFinal() - error:"));
  EXPECT_THAT(out, HasSubstr("bad decrypt"));
}

TEST(PacketCipherTest, PlainTextEndsAtTheFirstZeroByte) {
  EXPECT_EQ(PacketCipher::PlainText({'a', 'b', 0, 'c'}), "ab");
  EXPECT_EQ(PacketCipher::PlainText({'a', 'b'}), "ab");
  EXPECT_EQ(PacketCipher::PlainText({}), "");
}

TEST(PacketCipherTest, CallsOnManyThreadsAtOnceStayApart) {
  // Also the failure path, whose error text is per thread.
  std::vector<std::thread> threads;
  std::vector<int> good(4, 0);
  testing::internal::CaptureStdout();
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &good] {
      const PacketCipher cipher;
      for (int i = 0; i < 200; ++i) {
        const auto input = Bytes(static_cast<std::size_t>(i), static_cast<std::uint8_t>(t));
        const auto back = cipher.Decrypt(*cipher.Encrypt(input));
        if (back && *back == input && !cipher.Decrypt(Bytes(17)))
          ++good[static_cast<std::size_t>(t)];
      }
    });
  }
  for (auto& thread : threads) thread.join();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(good, std::vector<int>(4, 200));
}

}  // namespace
}  // namespace vel
