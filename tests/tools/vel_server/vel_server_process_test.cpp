#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "server/request_executor.h"
#include "support/loopback_server.h"
#include "support/recording_message_box.h"

extern char** environ;

namespace vel {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using web::json::value;

// vel-server as a process of its own, its output in files.
class ServerProcess {
 public:
  ServerProcess(const fs::path& dir, std::vector<std::string> args) : dir_(dir) {
    args.insert(args.begin(), VEL_SERVER_EXE);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, (dir / "out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (dir / "err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    spawned_ = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~ServerProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool Spawned() const { return spawned_; }
  std::string Out() const { return Read(dir_ / "out"); }
  std::string Err() const { return Read(dir_ / "err"); }

  // Waits up to 20 s for the text on standard output.
  bool WaitFor(const std::string& text) const {
    for (int i = 0; i < 200; ++i) {
      if (Out().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // The exit status after up to 20 s, or -1.
  int Exit() {
    for (int i = 0; i < 200; ++i) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return -1;
  }

  void Signal(int signal) const { kill(pid_, signal); }

 private:
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
  pid_t pid_ = -1;
  bool spawned_ = false;
  bool exited_ = false;
};

class VelServerProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vel-server-process-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> Args() {
    app_ = "127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort());
    return {"--app", app_,
            "--patch", "127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort()),
            "--sign-in", "127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort()),
            "--db", (dir_ / "server.db").string(),
            "--patches", (dir_ / "patches").string()};
  }

  fs::path dir_;
  std::string app_;
};

TEST_F(VelServerProcessTest, HelpAndBadOptions) {
  ServerProcess help(dir_, {"--help"});
  ASSERT_TRUE(help.Spawned());
  EXPECT_EQ(help.Exit(), 0);
  EXPECT_THAT(help.Out(), HasSubstr("usage: vel-server"));

  ServerProcess bad(dir_, {"--app", "nowhere"});
  EXPECT_EQ(bad.Exit(), 2);
  EXPECT_THAT(bad.Err(), HasSubstr("--app: not HOST:PORT"));
}

TEST_F(VelServerProcessTest, ServesAndStopsCleanlyOnEitherSignal) {
  for (const int signal : {SIGTERM, SIGINT}) {
    ServerProcess server(dir_, Args());
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
  ServerProcess first(dir_, args);
  ASSERT_TRUE(first.WaitFor("application server on"));
  ServerProcess second(dir_, args);
  EXPECT_EQ(second.Exit(), 1);
  EXPECT_THAT(second.Err(), HasSubstr("cannot listen on http://" + app_));
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Exit(), 0);
}

}  // namespace
}  // namespace vel
