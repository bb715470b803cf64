#include "app/program_start.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

using ::testing::ElementsAre;

// Records the steps taken; each answers as the test sets it.
class RecordedSteps : public ProgramSteps {
 public:
  void WriteDefaultConfig() override { taken.push_back("write config"); }
  bool LoadConfig() override {
    taken.push_back("read config");
    return configReadable;
  }
  bool ProgramFolderWritable() override { return folderWritable; }
  bool RunUpdateCheck() override {
    taken.push_back("update check");
    return updateGoesOn;
  }
  bool RunLogin() override {
    taken.push_back("login");
    return loginOk;
  }
  void RunMainWindow() override { taken.push_back("main window"); }
  void DeletePatchFolder() override { taken.push_back("delete patch"); }
  void Log(const std::string&) override { taken.push_back("log"); }

  bool configReadable = true;
  bool folderWritable = true;
  bool updateGoesOn = true;
  bool loginOk = true;
  std::vector<std::string> taken;
};

TEST(ProgramStartTest, StepsRunInOrderAndEachEndingSkipsWhatFollows) {
  RecordedSteps ok;
  EXPECT_EQ(RunProgramStart(ok), StartEnd::kMainWindowClosed);
  EXPECT_THAT(ok.taken, ElementsAre("write config", "read config", "update check", "login",
                                    "main window", "delete patch"));

  RecordedSteps noConfig;
  noConfig.configReadable = false;
  EXPECT_EQ(RunProgramStart(noConfig), StartEnd::kNoConfig);
  EXPECT_THAT(noConfig.taken, ElementsAre("write config", "read config")) << "no window at all";

  RecordedSteps updateRun;
  updateRun.updateGoesOn = false;
  EXPECT_EQ(RunProgramStart(updateRun), StartEnd::kUpdateRun);
  EXPECT_THAT(updateRun.taken,
              ElementsAre("write config", "read config", "update check", "delete patch"));

  RecordedSteps cancelled;
  cancelled.loginOk = false;
  EXPECT_EQ(RunProgramStart(cancelled), StartEnd::kNotSignedIn);
  EXPECT_THAT(cancelled.taken,
              ElementsAre("write config", "read config", "update check", "login", "delete patch"));
}

TEST(ProgramStartTest, APackagedProgramLeavesUpdatesToThePackageManagerAndGoesOn) {
  RecordedSteps packaged;
  packaged.folderWritable = false;
  EXPECT_EQ(RunProgramStart(packaged), StartEnd::kMainWindowClosed);
  EXPECT_THAT(packaged.taken, ElementsAre("write config", "read config", "log", "login",
                                          "main window", "delete patch"));
}

}  // namespace
}  // namespace vel
