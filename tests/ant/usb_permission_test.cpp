#include "ant/usb_permission.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vel {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

TEST(UsbPermissionTest, ThePermissionLineNamesTheStickAndTheRuleToInstall) {
  const std::string line = PermissionDeniedLine("/dev/ttyUSB0");
  EXPECT_THAT(line, HasSubstr("/dev/ttyUSB0"));
  EXPECT_THAT(line, HasSubstr("permission denied"));
  EXPECT_THAT(line, HasSubstr("packaging/udev/70-vel-ant.rules /etc/udev/rules.d/"));
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_TRUE(fs::exists(fs::path(VEL_SOURCE_DIR) / "packaging/udev" / kUdevRuleName));
}

}  // namespace
}  // namespace vel
