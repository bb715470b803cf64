#include "server/version_number.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

TEST(VersionNumberTest, FourDecimalNumbersArePaddedToTheServersForm) {
  EXPECT_EQ(FormatVersionNumber("2019.2.17.0"), "201902170");
  EXPECT_EQ(FormatVersionNumber("2019.12.1.15"),
            "20191201"
            "15");
  EXPECT_EQ(FormatVersionNumber("7.0.0.0"), "000700000");
  for (const char* bad : {"", "2019.2.17", "2019.2.17.0.1", "2019.2.17.x", "2019.-2.17.0",
                          "+2019.2.17.0", "2019..17.0", "2019.2.17.0 ", "99999999999.1.1.1"}) {
    EXPECT_EQ(FormatVersionNumber(bad), std::nullopt) << bad;
  }
  EXPECT_TRUE(FormatVersionNumber(CompiledFileVersion())) << CompiledFileVersion();
}

}  // namespace
}  // namespace vel
