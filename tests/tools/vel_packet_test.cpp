#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr char kKeyHex[] = "6d6b767472656c7170617a77796e7362";  // "mkvtrelqpazwynsb"
constexpr char kIvHex[] = "37333032393538313634303237333831";   // "7302958164027381"

using test::ProgramRun;

class VelPacketTest : public ::testing::Test {
 protected:
  // vel-packet with `arguments` and `input` on its standard input.
  static ProgramRun Tool(const std::vector<std::string>& arguments, const std::string& input = "") {
    test::ProgramSetup setup;
    setup.input = input;
    return test::RunProgram(VEL_PACKET_EXE, arguments, setup);
  }
  // openssl's AES-128-CBC with the program's key and IV.
  static ProgramRun OpenSsl(const std::vector<std::string>& options,
                            const std::string& input = "") {
    std::vector<std::string> arguments = {"enc", "-aes-128-cbc", "-K", kKeyHex, "-iv", kIvHex};
    arguments.insert(arguments.end(), options.begin(), options.end());
    test::ProgramSetup setup;
    setup.input = input;
    return test::RunProgram("/usr/bin/openssl", arguments, setup);
  }
  static void NeedOpenSsl() {
    if (!fs::exists("/usr/bin/openssl")) GTEST_SKIP() << "no /usr/bin/openssl";
  }

  test::ScratchFolder dir_;
};

TEST_F(VelPacketTest, SealedBodiesDecryptWithTheOpenSslCommandLine) {
  NeedOpenSsl();
  const std::string request = R"({"header":8,"rankingtype":0,"memberid":17,"membername":"김철수"})";
  const ProgramRun sealed = Tool({"seal"}, request + "\n");
  ASSERT_EQ(sealed.status, 0) << sealed.err;
  ASSERT_THAT(sealed.out, StartsWith("packet="));
  const std::string base64 = sealed.out.substr(7, sealed.out.size() - 8);
  const ProgramRun plain = OpenSsl({"-d", "-base64", "-A"}, base64);
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(plain.out, request);  // compact, in the order written
}

TEST_F(VelPacketTest, OpensWhatTheOpenSslCommandLineSealed) {
  NeedOpenSsl();
  const std::string reply = R"({"header":10,"result":false,"errcode":1})";
  const ProgramRun base64 = OpenSsl({"-base64", "-A"}, reply);
  ASSERT_EQ(base64.status, 0) << base64.err;
  for (const std::string& input :
       {base64.out, "packet=" + base64.out, R"({"packet":")" + base64.out + "\"}\n"}) {
    const ProgramRun opened = Tool({"open"}, input);
    EXPECT_EQ(opened.status, 0) << input << opened.err;
    EXPECT_EQ(opened.out, reply + "\n") << input;
  }
  // Raw ciphertext files, as VEL.json and VEL.f are written.
  const std::string file = (dir_ / "VEL.f").string();
  ASSERT_EQ(OpenSsl({"-out", file}, reply).status, 0);
  const ProgramRun opened = Tool({"open-file", file});
  EXPECT_EQ(opened.status, 0) << opened.err;
  EXPECT_EQ(opened.out, reply + "\n");
}

TEST_F(VelPacketTest, SealedFilesRoundTripAndDecryptWithOpenSsl) {
  const std::string json = R"({"macaddress":"00-1A-2B-3C-4D-5E","accesstoken":"EAAB"})";
  const std::string file = (dir_ / "VEL.f").string();
  ASSERT_EQ(Tool({"seal-file", file}, json).status, 0);
  EXPECT_EQ(fs::file_size(file) % 16, 0u);
  EXPECT_EQ(Tool({"open-file", file}).out, json + "\n");
  if (fs::exists("/usr/bin/openssl")) {
    EXPECT_EQ(OpenSsl({"-d", "-in", file}).out, json);
  }
}

TEST_F(VelPacketTest, BadInputEndsWithOneLineAndStatusTwo) {
  const std::string file = (dir_ / "bad").string();
  std::ofstream(file, std::ios::binary) << std::string(48, 'x');
  const std::string longJson = "{\"a\":\"" + std::string(2000, 'a') + "\"}";
  struct Case {
    std::vector<std::string> arguments;
    std::string input;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{}, "", "bad arguments"},
      {{"frobnicate"}, "", "bad arguments"},
      {{"seal"}, "{\"header\":", "Syntax error"},
      {{"seal"}, "{\"a\":\"" + std::string(4100, 'a') + "\"}", "at most 4095"},
      {{"open"}, "not*base64", ""},
      {{"open"}, "AAAAAAAAAAAAAAAAAAAAAA==", "does not decrypt"},
      {{"open"}, R"({"nopacket":1})", ""},
      {{"open-file", file}, "", "does not decrypt"},
      {{"open-file", (dir_ / "missing").string()}, "", "cannot open"},
      {{"seal-file", (dir_ / "x").string()}, longJson, "at most 1024"},
      {{"seal-file", (dir_ / "no" / "x").string()}, "{}", "cannot write"},
  };
  for (const Case& c : cases) {
    const std::string command = ::testing::PrintToString(c.arguments);
    const ProgramRun run = Tool(c.arguments, c.input);
    EXPECT_EQ(run.status, 2) << command;
    EXPECT_THAT(run.err, StartsWith("vel-packet: ")) << command;
    EXPECT_THAT(run.err, HasSubstr(c.says)) << command;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.out, "") << command;
  }
  EXPECT_FALSE(fs::exists(dir_ / "x"));
}

}  // namespace
}  // namespace vel
