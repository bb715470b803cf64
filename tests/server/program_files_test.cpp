#include "server/program_files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "support/read_file.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

class ProgramFilesTest : public ::testing::Test {
 protected:
  std::size_t Entries(const fs::path& folder) const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
  }
  test::ScratchFolder dir_;
};

TEST_F(ProgramFilesTest, ReplaceFileSwapsInTheWholeCopyOrLeavesTheTargetAlone) {
  std::ofstream(dir_ / "new") << "new bytes";
  fs::permissions(dir_ / "new", fs::perms(0750));
  std::ofstream(dir_ / "target") << "old";
  ASSERT_TRUE(ReplaceFile(dir_ / "new", dir_ / "target"));
  EXPECT_EQ(ReadFile(dir_ / "target"), "new bytes");
  EXPECT_EQ(fs::status(dir_ / "target").permissions(), fs::perms(0750)) << "the source's mode";
  ASSERT_TRUE(ReplaceFile(dir_ / "new", dir_ / "target", fs::perms(0604)));
  EXPECT_EQ(fs::status(dir_ / "target").permissions(), fs::perms(0604));

  fs::create_directories(dir_ / "folder" / "inside");
  std::string error;
  EXPECT_FALSE(ReplaceFile(dir_ / "new", dir_ / "folder", std::nullopt, &error));
  EXPECT_NE(error.find("replace"), std::string::npos) << error;
  EXPECT_FALSE(ReplaceFile(dir_ / "missing", dir_ / "target", std::nullopt, &error));
  EXPECT_FALSE(ReplaceFile(dir_ / "folder", dir_ / "target", std::nullopt, &error));
  EXPECT_EQ(ReadFile(dir_ / "target"), "new bytes");
  EXPECT_EQ(Entries(dir_.Path()), 3u) << "no temporary file left behind";
}

TEST_F(ProgramFilesTest, DeleteTreeRemovesEverythingButFollowsNoLink) {
  const fs::path outside = dir_ / "outside";
  fs::create_directories(outside);
  std::ofstream(outside / "keep") << "keep";
  const fs::path tree = dir_ / "patch";
  fs::create_directories(tree / "201902180" / "deeper");
  std::ofstream(tree / "201902180" / "a.zip") << "a";
  std::ofstream(tree / "201902180" / "deeper" / "b") << "b";
  fs::create_directory_symlink(outside, tree / "link");
  fs::create_symlink(outside / "keep", tree / "file-link");

  EXPECT_TRUE(DeleteTree(tree));
  EXPECT_FALSE(fs::exists(tree));
  EXPECT_EQ(ReadFile(outside / "keep"), "keep");
  EXPECT_TRUE(DeleteTree(tree)) << "nothing to delete";
  EXPECT_TRUE(DeleteTree(fs::path()));
}

TEST(RunningExecutableTest, IsThisTestProgram) {
  const auto path = RunningExecutablePath();
  ASSERT_TRUE(path);
  EXPECT_TRUE(fs::equivalent(*path, "/proc/self/exe"));
}

}  // namespace
}  // namespace vel
