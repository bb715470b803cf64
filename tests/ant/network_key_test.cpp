#include "ant/network_key.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST(NetworkKeyTest, SixteenHexDigitsAreTheKeyAndAnythingElseSaysWhatIsWrong) {
  const NetworkKeySetting key = ReadNetworkKey("B9a521FBBD72c345");
  EXPECT_TRUE(key.given);
  EXPECT_THAT(key.problem, IsEmpty());
  EXPECT_EQ(key.key, (std::array<std::uint8_t, 8>{0xB9, 0xA5, 0x21, 0xFB, 0xBD, 0x72, 0xC3, 0x45}));

  const NetworkKeySetting unset = ReadNetworkKey(nullptr);
  EXPECT_FALSE(unset.given);
  EXPECT_THAT(unset.problem, IsEmpty()) << "no key is no mistake";

  const NetworkKeySetting shortKey = ReadNetworkKey("B9A521FBBD72C34");
  EXPECT_FALSE(shortKey.given);
  EXPECT_EQ(shortKey.key, unset.key) << "the program's own key";
  EXPECT_THAT(shortKey.problem, HasSubstr("16 hex digits but has 15 characters"));
  EXPECT_THAT(ReadNetworkKey("").problem, HasSubstr("has 0 characters"));
  EXPECT_THAT(ReadNetworkKey("B9A521FBBD72C34G").problem, HasSubstr("'G' at position 16"));
  EXPECT_THAT(ReadNetworkKey("B9A521FB\tD72C345").problem, HasSubstr("byte 0x09 at position 9"));
  EXPECT_THAT(ReadNetworkKey("0x A521FBBD72C34").problem, HasSubstr("'x' at position 2"));
}

}  // namespace
}  // namespace vel
