#include "server/sealed_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/scratch_folder.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using web::json::value;

class SealedFileTest : public ::testing::Test {
 protected:
  fs::path File() const { return dir_ / "VEL.f"; }

  test::ScratchFolder dir_;
};

TEST_F(SealedFileTest, RefusesToGrowPastTheReadLimit) {
  value json = value::object();
  json["accesstoken"] = value::string(std::string(1100, 't'));
  testing::internal::CaptureStdout();
  EXPECT_FALSE(WriteSealedFile(File(), json));
  EXPECT_THAT(testing::internal::GetCapturedStdout(), ::testing::HasSubstr("more than 1024"));
  EXPECT_FALSE(fs::exists(File()));
}

}  // namespace
}  // namespace vel
