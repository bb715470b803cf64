#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>
#include <vector>

#include "server/request_executor.h"
#include "support/child_process.h"
#include "support/loopback_server.h"
#include "support/recording_message_box.h"
#include "support/scratch_folder.h"
#include "support/wait_until.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using web::json::value;

// vel-server as a process of its own.
class ServerProcess : public test::ChildProcess {
 public:
  explicit ServerProcess(const std::vector<std::string>& args)
      : ChildProcess(VEL_SERVER_EXE, args) {}

  // Waits for the text on standard output.
  bool WaitFor(const std::string& text) const {
    return test::WaitUntil([&] { return Out().find(text) != std::string::npos; });
  }

  // The exit status once it has ended, or -1.
  int Exit() {
    const auto end = WaitForEnd();
    return end ? end->status : -1;
  }
};

class VelServerProcessTest : public ::testing::Test {
 protected:
  std::vector<std::string> Args() {
    app_ = "127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort());
    return {"--app",     app_,
            "--patch",   "127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort()),
            "--sign-in", "127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort()),
            "--db",      (dir_ / "server.db").string(),
            "--patches", (dir_ / "patches").string()};
  }

  test::ScratchFolder dir_;
  std::string app_;
};

TEST_F(VelServerProcessTest, HelpAndBadOptions) {
  ServerProcess help({"--help"});
  ASSERT_TRUE(help.Started()) << help.Error();
  EXPECT_EQ(help.Exit(), 0);
  EXPECT_THAT(help.Out(), HasSubstr("usage: vel-server"));

  ServerProcess bad({"--app", "nowhere"});
  EXPECT_EQ(bad.Exit(), 2);
  EXPECT_THAT(bad.Err(), HasSubstr("--app: not HOST:PORT"));
}

TEST_F(VelServerProcessTest, ServesAndStopsCleanlyOnEitherSignal) {
  for (const int signal : {SIGTERM, SIGINT}) {
    ServerProcess server(Args());
    ASSERT_TRUE(server.WaitFor("application server on")) << server.Out() << server.Err();

    test::RecordingMessageBox box;
    Endpoints endpoints;
    endpoints.mainUrl = "http://" + app_;
    RequestExecutor executor(ServerConfig::BuiltIn(endpoints), box);
    value reply;
    EXPECT_TRUE(executor.SendPacket(value::parse(R"({"header":-1})"), reply));

    server.Signal(signal);
    EXPECT_EQ(server.Exit(), 0);
    EXPECT_THAT(server.Out(), HasSubstr(" app POST header -1 result true\n"));
    EXPECT_THAT(server.Out(), HasSubstr("stopped\n"));
    EXPECT_TRUE(fs::exists(dir_ / "server.db"));
    EXPECT_TRUE(fs::is_directory(dir_ / "patches"));
  }
}

TEST_F(VelServerProcessTest, APortInUseEndsTheStartWithAMessage) {
  const std::vector<std::string> args = Args();
  ServerProcess first(args);
  ASSERT_TRUE(first.WaitFor("application server on"));
  ServerProcess second(args);
  EXPECT_EQ(second.Exit(), 1) << second.Err();
  EXPECT_THAT(second.Err(), HasSubstr("cannot listen on http://" + app_));
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Exit(), 0);
}

}  // namespace
}  // namespace vel
