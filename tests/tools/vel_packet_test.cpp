#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vel {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kKeyHex[] = "6d6b767472656c7170617a77796e7362";  // "mkvtrelqpazwynsb"
constexpr char kIvHex[] = "37333032393538313634303237333831";   // "7302958164027381"

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class VelPacketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("vel-packet-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // Runs a shell pipeline with `input` on its standard input.
  ToolRun Shell(const std::string& pipeline, const std::string& input = "") {
    std::ofstream(dir_ / "in", std::ios::binary) << input;
    const std::string command = "(" + pipeline + ") <'" + (dir_ / "in").string() + "' >'" +
                                (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() + "'";
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Read(dir_ / "out");
    run.err = Read(dir_ / "err");
    return run;
  }

  static std::string Tool() { return VEL_PACKET_EXE; }
  static std::string OpenSsl(const std::string& options) {
    return std::string("/usr/bin/openssl enc -aes-128-cbc -K ") + kKeyHex + " -iv " + kIvHex + " " +
           options;
  }
  static void NeedOpenSsl() {
    if (!fs::exists("/usr/bin/openssl")) GTEST_SKIP() << "no /usr/bin/openssl";
  }

  fs::path dir_;
};

TEST_F(VelPacketTest, SealedBodiesDecryptWithTheOpenSslCommandLine) {
  NeedOpenSsl();
  const std::string request = R"({"header":8,"rankingtype":0,"memberid":17,"membername":"김철수"})";
  const ToolRun sealed = Shell(Tool() + " seal", request + "\n");
  ASSERT_EQ(sealed.status, 0) << sealed.err;
  ASSERT_THAT(sealed.out, StartsWith("packet="));
  const std::string base64 = sealed.out.substr(7, sealed.out.size() - 8);
  const ToolRun plain = Shell(OpenSsl("-d -base64 -A"), base64);
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.out, request);  // compact, in the order written
}

TEST_F(VelPacketTest, OpensWhatTheOpenSslCommandLineSealed) {
  NeedOpenSsl();
  const std::string reply = R"({"header":10,"result":false,"errcode":1})";
  const ToolRun base64 = Shell(OpenSsl("-base64 -A"), reply);
  ASSERT_EQ(base64.status, 0) << base64.err;
  for (const std::string& input :
       {base64.out, "packet=" + base64.out, R"({"packet":")" + base64.out + "\"}\n"}) {
    const ToolRun opened = Shell(Tool() + " open", input);
    EXPECT_EQ(opened.status, 0) << input << opened.err;
    EXPECT_EQ(opened.out, reply + "\n") << input;
  }
  // Raw ciphertext files, as VEL.json and VEL.f are written.
  const std::string file = (dir_ / "VEL.f").string();
  ASSERT_EQ(Shell(OpenSsl("-out '" + file + "'"), reply).status, 0);
  const ToolRun opened = Shell(Tool() + " open-file '" + file + "'");
  EXPECT_EQ(opened.status, 0) << opened.err;
  EXPECT_EQ(opened.out, reply + "\n");
}

TEST_F(VelPacketTest, SealedFilesRoundTripAndDecryptWithOpenSsl) {
  const std::string json = R"({"macaddress":"00-1A-2B-3C-4D-5E","accesstoken":"EAAB"})";
  const std::string file = (dir_ / "VEL.f").string();
  ASSERT_EQ(Shell(Tool() + " seal-file '" + file + "'", json).status, 0);
  EXPECT_EQ(fs::file_size(file) % 16, 0u);
  EXPECT_EQ(Shell(Tool() + " open-file '" + file + "'").out, json + "\n");
  if (fs::exists("/usr/bin/openssl")) {
    EXPECT_EQ(Shell(OpenSsl("-d -in '" + file + "'")).out, json);
  }
}

TEST_F(VelPacketTest, BadInputEndsWithOneLineAndStatusTwo) {
  const std::string file = (dir_ / "bad").string();
  std::ofstream(file, std::ios::binary) << std::string(48, 'x');
  const std::string longJson = "{\"a\":\"" + std::string(2000, 'a') + "\"}";
  struct Case {
    std::string command;
    std::string input;
    std::string says;
  };
  const std::vector<Case> cases = {
      {"", "", "bad arguments"},
      {" frobnicate", "", "bad arguments"},
      {" seal", "{\"header\":", "Syntax error"},
      {" seal", "{\"a\":\"" + std::string(4100, 'a') + "\"}", "at most 4095"},
      {" open", "not*base64", ""},
      {" open", "AAAAAAAAAAAAAAAAAAAAAA==", "does not decrypt"},
      {" open", R"({"nopacket":1})", ""},
      {" open-file '" + file + "'", "", "does not decrypt"},
      {" open-file '" + (dir_ / "missing").string() + "'", "", "cannot open"},
      {" seal-file '" + (dir_ / "x").string() + "'", longJson, "at most 1024"},
      {" seal-file '" + (dir_ / "no" / "x").string() + "'", "{}", "cannot write"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Shell(Tool() + c.command, c.input);
    EXPECT_EQ(run.status, 2) << c.command;
    EXPECT_THAT(run.err, StartsWith("vel-packet: ")) << c.command;
    EXPECT_THAT(run.err, HasSubstr(c.says)) << c.command;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "") << c.command;
  }
  EXPECT_FALSE(fs::exists(dir_ / "x"));
}

}  // namespace
}  // namespace vel
