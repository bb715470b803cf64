// The program waits for its sign-in window's process and takes what it
// reports; stand-in windows are small shell scripts.
#include "ui/sign_in_process.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace vel {
namespace {

using ::testing::ElementsAre;

class SignInProcessTest : public ::testing::Test {
 protected:
  std::filesystem::path Window(const std::string& body) {
    const auto path = scratch / "vel-sign-in";
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
  }
  std::optional<LoginValues> Run(const std::filesystem::path& program) {
    SignInProcess window(program, {[this] { ++shown; },
                                   [this](const std::string& line) { logged.push_back(line); }});
    return window.Run();
  }

  test::ScratchFolder scratch;
  int shown = 0;
  std::vector<std::string> logged;
};

TEST_F(SignInProcessTest, ASignInReportedAndEndedWithOkIsTaken) {
  const auto signedIn =
      Run(Window("echo shown; echo 'a library talks'; echo 'log Network key...'\n"
                 "printf 'signed-in {\"accountid\":77,\"teamname\":\"fast\"}\\n'; exit 0"));
  ASSERT_TRUE(signedIn);
  EXPECT_EQ(signedIn->accountId, 77u);
  EXPECT_EQ(signedIn->teamName, "fast");
  EXPECT_EQ(shown, 1);
  EXPECT_THAT(logged, ElementsAre("Network key..."));
}

TEST_F(SignInProcessTest, ACancelledCrashedOrMissingWindowSignsNobodyIn) {
  const std::string signedIn = "printf 'signed-in {\"accountid\":1,\"teamname\":\"a\"}\\n'; ";
  EXPECT_FALSE(Run(Window("echo shown; exit 1")));
  EXPECT_FALSE(Run(Window(signedIn + "kill -SEGV $$")));
  EXPECT_FALSE(Run(Window(signedIn + "exit 2")));
  EXPECT_FALSE(Run(scratch / "no-such-window"));
  ASSERT_FALSE(logged.empty());
  EXPECT_THAT(logged.back(), ::testing::HasSubstr("could not be started"));
}

}  // namespace
}  // namespace vel
