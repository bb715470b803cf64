#include "crash/crash_dump_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "support/read_file.h"
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

TEST_F(CrashDumpTest, StackOverflowOnAnotherThreadIsDumpedForGdb) {
  const Crash c = RunVictim(dir, "overflow-thread");
  EXPECT_EQ(c.exitStatus, 128 + SIGSEGV);
  ASSERT_EQ(c.dumps.size(), 1u);
  EXPECT_EQ(fs::status(c.dumps[0]).permissions(), fs::perms::owner_read | fs::perms::owner_write)
      << "it holds the process's memory";

  if (!fs::exists("/usr/bin/gdb")) GTEST_SKIP() << "gdb not installed";
  const test::ProgramRun gdb = test::RunProgram(
      "gdb", {"-batch", "-nx", "-ex", "bt 3", VEL_CRASH_VICTIM, c.dumps[0].string()});
  EXPECT_THAT(gdb.out + gdb.err, ::testing::HasSubstr("OverflowInsideVictim")) << gdb.out + gdb.err;
}

TEST_F(CrashDumpTest, AFaultWhileDumpingEndsTheProcess) {
  const Crash c = RunVictim(dir, "fault-during-dump");
  EXPECT_EQ(c.signal, SIGSEGV) << "ended by the second fault, not left waiting";
}

TEST_F(CrashDumpTest, ALinkInTheDumpsPlaceIsNotFollowed) {
  // Every name the dump of the next seconds could take points at a file of
  // someone else's.
  const fs::path victimOfLink = scratch / "elsewhere";
  std::ofstream(victimOfLink) << "kept";
  fs::create_directories(dir / "run");
  char name[64];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  for (int ahead = 0; ahead < 120; ++ahead) {
    FormatCrashDumpName(name, sizeof name, "VEP", now + ahead, local.tm_gmtoff);
    fs::create_symlink(victimOfLink, dir / "run" / name);
  }
  const Crash c = RunVictim(dir / "run", "segv");
  EXPECT_EQ(c.exitStatus, 128 + SIGSEGV);
  EXPECT_EQ(test::ReadFile(victimOfLink), "kept");
  std::size_t plainFiles = 0;
  for (const fs::path& dump : c.dumps) plainFiles += fs::is_regular_file(fs::symlink_status(dump));
  EXPECT_EQ(plainFiles, 1u) << "the link was replaced by the dump";
}

TEST_F(CrashDumpTest, UnwritableFolderFallsBackToTheDefaultAction) {
  // No one, root included, creates files in /proc.
  const Crash c = RunVictim("/proc", "segv");
  EXPECT_EQ(c.signal, SIGSEGV) << "the signal's own default action ended it";
}

}  // namespace
}  // namespace vel
