#include "vel-server/patch_folder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

using ::testing::IsEmpty;

TEST(PatchFolderTest, VersionsAreUnsigned64BitDecimals) {
  using companion::PatchFolder;
  EXPECT_EQ(PatchFolder::ParseVersion("201902170"), 201902170u);
  EXPECT_EQ(PatchFolder::ParseVersion("18446744073709551615"), UINT64_MAX);
  EXPECT_EQ(PatchFolder::ParseVersion("0"), 0u);
  for (const char* bad : {"", " 1", "1 ", "0x10", "18446744073709551616", "99999999999999999999"}) {
    EXPECT_FALSE(PatchFolder::ParseVersion(bad)) << bad;
  }
  // A folder that is not there yet lists nothing.
  EXPECT_THAT(PatchFolder("/nonexistent/vel/patches").FilesAbove(0), IsEmpty());
}

}  // namespace
}  // namespace vel
