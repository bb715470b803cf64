#include "crash/crash_dump_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "support/run_program.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

TEST(CrashDumpNameTest, PrefixAndLocalTimeWithPaddedFields) {
  char name[64];
  // 2019-06-01 18:05:09 UTC, seen from UTC+9.
  FormatCrashDumpName(name, sizeof name, "VEP", 1559412309, 0);
  EXPECT_STREQ(name, "VEP_2019.06.01-18_05_09.dmp");
  FormatCrashDumpName(name, sizeof name, "VEP", 1559412309, 9 * 3600);
  EXPECT_STREQ(name, "VEP_2019.06.02-03_05_09.dmp");
  FormatCrashDumpName(name, sizeof name, "VEP", 951782400, 0);  // leap day
  EXPECT_STREQ(name, "VEP_2000.02.29-00_00_00.dmp");
  char tiny[8];
  FormatCrashDumpName(tiny, sizeof tiny, "VEP", 0, 0);
  EXPECT_STREQ(tiny, "VEP_197") << "cut to the buffer, always terminated";
}

struct Crash {
  int exitStatus = -1;
  int signal = 0;
  std::vector<fs::path> dumps;
};

// The victim, run in `dir`.
Crash RunVictim(const fs::path& dir, const std::string& how) {
  Crash c;
  test::ProgramSetup setup;
  setup.workingDirectory = dir;
  const test::ProgramRun run = test::RunProgram(VEL_CRASH_VICTIM, {how}, setup);
  c.exitStatus = run.status;
  c.signal = run.signal;
  if (dir != "/proc") {
    for (const auto& e : fs::directory_iterator(dir)) c.dumps.push_back(e.path());
  }
  return c;
}

class CrashDumpTest : public ::testing::Test {
 protected:
  test::ScratchFolder scratch;
  const fs::path& dir = scratch.Path();
};

TEST_F(CrashDumpTest, SegfaultLeavesANamedCoreFileThatGdbReads) {
  const Crash c = RunVictim(dir, "segv");
  EXPECT_EQ(c.exitStatus, 128 + SIGSEGV) << "the process ends once the dump is written";
  ASSERT_EQ(c.dumps.size(), 1u);
  const std::string name = c.dumps[0].filename().string();
  // VEP_YYYY.MM.DD-hh_mm_ss.dmp
  const std::string shape = "VEP_9999.99.99-99_99_99.dmp";
  ASSERT_EQ(name.size(), shape.size()) << name;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (shape[i] == '9') {
      EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(name[i]))) << name;
    } else {
      EXPECT_EQ(name[i], shape[i]) << name;
    }
  }
  std::ifstream in(c.dumps[0], std::ios::binary);
  char magic[4] = {};
  in.read(magic, 4);
  EXPECT_EQ(std::string(magic, 4),
            "\x7F"
            "ELF");
  EXPECT_GT(fs::file_size(c.dumps[0]), 100000u) << "the process's memory is in it";

  if (!fs::exists("/usr/bin/gdb")) GTEST_SKIP() << "gdb not installed";
  const test::ProgramRun gdb = test::RunProgram(
      "gdb", {"-batch", "-nx", "-ex", "bt", VEL_CRASH_VICTIM, c.dumps[0].string()});
  const std::string output = gdb.out + gdb.err;
  EXPECT_THAT(output, ::testing::HasSubstr("CrashInsideVictim")) << output;
  EXPECT_THAT(output, ::testing::HasSubstr("main")) << output;
}

TEST_F(CrashDumpTest, AbortAndRaisedSignalsAreDumpedToo) {
  for (const char* how : {"abort", "raise-ill"}) {
    const Crash c = RunVictim(dir, how);
    EXPECT_EQ(c.dumps.size(), 1u) << how;
    EXPECT_EQ(c.exitStatus, 128 + (std::string(how) == "abort" ? SIGABRT : SIGILL)) << how;
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
}

TEST_F(CrashDumpTest, UnwritableFolderFallsBackToTheDefaultAction) {
  // No one, root included, creates files in /proc.
  const Crash c = RunVictim("/proc", "segv");
  EXPECT_EQ(c.signal, SIGSEGV) << "the signal's own default action ended it";
}

}  // namespace
}  // namespace vel
