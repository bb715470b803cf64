#include "server/sealed_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

// A disk that fills up mid-write: the file-size limit cuts the write short
// after a few bytes, as a full disk would.
class WriteCutShort {
 public:
  explicit WriteCutShort(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit cut = saved_;
    cut.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &cut);
  }
  ~WriteCutShort() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t oldHandler_;
};

TEST_F(SealedFileTest, AWriteCutShortLeavesTheOldFileWholeAndNothingBeside) {
  value old = value::object();
  old["accesstoken"] = value::string("old-token");
  ASSERT_TRUE(WriteSealedFile(File(), old, kMaxSealedFileBytes, kPrivateSealedFileMode));
  value next = value::object();
  next["accesstoken"] = value::string(std::string(200, 'n'));
  {
    WriteCutShort cut(16);
    EXPECT_FALSE(WriteSealedFile(File(), next));
  }
  const SealedFile read = ReadSealedFile(File());
  ASSERT_EQ(read.status, SealedFileStatus::kOk);
  EXPECT_EQ(read.value.at("accesstoken").as_string(), "old-token");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_.Path()), fs::directory_iterator()), 1)
      << "no temporary file stays";
}

TEST_F(SealedFileTest, TheSavedLoginIsTheUsersAloneAndLeftoversOfAKillAreCleared) {
  std::ofstream(dir_ / ".VEL.f.Ab3dEf") << "torn";  // a write killed before its rename
  std::ofstream(File()) << "older file, any mode";
  fs::permissions(File(), fs::perms(0644));
  ASSERT_TRUE(
      WriteSealedFile(File(), value::object(), kMaxSealedFileBytes, kPrivateSealedFileMode));
  struct stat st {};
  ASSERT_EQ(::stat(File().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(fs::exists(dir_ / ".VEL.f.Ab3dEf"));
  EXPECT_EQ(ReadSealedFile(File()).status, SealedFileStatus::kOk);
}

}  // namespace
}  // namespace vel
