#include "server/updater.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <optional>
#include <set>

#include "server/request_executor.h"
#include "support/loopback_server.h"
#include "support/patch_server.h"
#include "support/queue_capture.h"
#include "support/read_file.h"
#include "support/recording_message_box.h"
#include "support/scratch_folder.h"
#include "support/zip_writer.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using test::ZipEntry;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

// The patch server the updater is tested against.
using TestPatchServer = test::PatchServer;
using test::ReadFile;

void Write(const fs::path& path, const std::string& bytes, fs::perms mode = fs::perms(0644)) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  fs::permissions(path, mode);
}

unsigned Mode(const fs::path& path) {
  return static_cast<unsigned>(fs::status(path).permissions()) & 07777;
}

// Records every start; a start succeeds as posix_spawn's would: only for
// an executable file. A program started on trial shows at once that it
// runs, unless it is one that dies.
class RecordingStarter : public ProcessStarter {
 public:
  struct Attempt {
    std::string program;  // file name only
    std::vector<std::string> arguments;
    bool started;
    bool operator==(const Attempt&) const = default;
  };
  bool Start(const fs::path& program, const std::vector<std::string>& arguments,
             int trialFd) override {
    const bool ok = fs::is_regular_file(program) && ::access(program.c_str(), X_OK) == 0 &&
                    !broken.contains(program.filename().string());
    attempts.push_back({program.filename().string(), arguments, ok});
    if (ok && trialFd >= 0 && !dying.contains(program.filename().string())) {
      TrialReport(::dup(trialFd)).ReportRuns();
    }
    return ok;
  }
  std::vector<Attempt> attempts;
  std::set<std::string> broken;  // programs that cannot start (file names)
  std::set<std::string> dying;   // programs that start but die before they run
};

// Passes through to another source, with a hook on each side.
class EditedSource : public PatchSource {
 public:
  explicit EditedSource(PatchSource& inner) : inner_(inner) {}
  bool FetchPatchInfo(const std::string& pathAndQuery, web::json::value& reply) override {
    const bool ok = inner_.FetchPatchInfo(pathAndQuery, reply);
    if (editInfo) editInfo(reply);
    return ok;
  }
  bool DownloadPatchFile(const std::string& file, const fs::path& local,
                         std::uint64_t maxBytes) override {
    if (download) {
      if (auto result = download(file, local)) return *result;
    }
    return inner_.DownloadPatchFile(file, local, maxBytes);
  }
  std::function<void(web::json::value&)> editInfo;
  // No value: the inner source downloads.
  std::function<std::optional<bool>(const std::string&, const fs::path&)> download;

 private:
  PatchSource& inner_;
};

class UpdaterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_ = root_ / "program");
    fs::create_directories(releases_ = root_ / "releases");
    Write(program_ / "vel", "old program", fs::perms(0755));
    server_ = std::make_unique<TestPatchServer>(releases_);
    executor_ = MakeExecutor(server_->Url());
    options_.executable = program_ / "vel";
    options_.fileVersion = "2019.2.17.0";
    options_.retryInterval = std::chrono::milliseconds(10);
    options_.retryLimit = std::chrono::milliseconds(200);
  }

  std::unique_ptr<RequestExecutor> MakeExecutor(const std::string& url) {
    Endpoints endpoints;
    endpoints.patchUrl = url;
    config_ = ServerConfig::BuiltIn(endpoints);
    return std::make_unique<RequestExecutor>(config_, box_);
  }

  bool Run(std::vector<std::string> arguments, PatchSource* source = nullptr) {
    Updater updater(config_, std::move(arguments), source ? *source : *executor_, box_, starter_,
                    options_);
    return updater.RunUpdate();
  }

  void Publish(const std::string& folder, const std::string& archive,
               const std::vector<ZipEntry>& entries) {
    test::WriteZip(releases_ / folder / archive, entries);
  }

  // Every file and folder under the program directory, relative to it.
  std::set<std::string> ProgramFiles() const {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(program_)) {
      names.insert(fs::relative(entry.path(), program_).string());
    }
    return names;
  }

  std::size_t VersionQueries() const {
    std::size_t n = 0;
    for (const auto& request : server_->Received())
      n += request.pathAndQuery == "/?version=201902170";
    return n;
  }

  test::ScratchFolder root_;
  fs::path program_, releases_;
  test::QueueCapture log_;
  test::RecordingMessageBox box_;
  RecordingStarter starter_;
  ServerConfig config_;
  std::unique_ptr<TestPatchServer> server_;
  std::unique_ptr<RequestExecutor> executor_;
  UpdaterOptions options_;
};

using Attempt = RecordingStarter::Attempt;

TEST_F(UpdaterTest, OnlyAnExactNGoesOnWithoutAsking) {
  EXPECT_TRUE(Run({"vel", "N"}));
  EXPECT_THAT(server_->Received(), IsEmpty());
  EXPECT_THAT(starter_.attempts, IsEmpty());
  for (const char* other : {"n", "NO"}) {
    EXPECT_FALSE(Run({"vel", other})) << other;
  }
  EXPECT_EQ(VersionQueries(), 2u);
  EXPECT_EQ(starter_.attempts.size(), 2u);
}

TEST_F(UpdaterTest, AnEmptyListRestartsTheExecutableWithNWhenNothingIsStaged) {
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_THAT(starter_.attempts, ElementsAre(Attempt{"vel", {"N"}, true}));
  EXPECT_EQ(ProgramFiles(), std::set<std::string>{"vel"}) << "nothing copied, patch folder gone";
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(UpdaterTest, InstallsBesideTheExecutableAndStagesEverythingNamedLikeIt) {
  Publish("201902170", "old.zip", {{"data.txt", "not newer than this program"}});
  Publish("201902180", "update.zip",
          {{"vel", "new program"},
           {"vel.sig", "signature"},
           {"data.txt", "v2"},
           {"tool.sh", "#!/bin/sh", 0100750},
           {"setid", "x", 0104755}});
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_EQ(ReadFile(program_ / "vel"), "old program");
  EXPECT_EQ(ReadFile(program_ / "vel_"), "new program");
  EXPECT_EQ(ReadFile(program_ / "vel.sig_"), "signature");
  EXPECT_EQ(ReadFile(program_ / "data.txt"), "v2");
  EXPECT_EQ(Mode(program_ / "vel_"), 0755u) << "no attributes: the staged program is executable";
  EXPECT_EQ(Mode(program_ / "data.txt"), 0644u);
  EXPECT_EQ(Mode(program_ / "tool.sh"), 0750u) << "the archive's own permissions";
  EXPECT_EQ(Mode(program_ / "setid"), 0755u) << "never a set-id bit from an archive";
  EXPECT_EQ(ProgramFiles(),
            (std::set<std::string>{"vel", "vel_", "vel.sig_", "data.txt", "tool.sh", "setid"}));
  EXPECT_THAT(starter_.attempts, ElementsAre(Attempt{"vel_", {"N"}, true}));
  EXPECT_EQ(server_->Received().front().pathAndQuery, "/?version=201902170");
}

TEST_F(UpdaterTest, ANewProgramThatCannotStartIsReportedAndTheOldOneGoesOn) {
  Publish("201902180", "update.zip", {{"vel", "new program", 0100644}});
  for (const bool spawns : {false, true}) {
    SCOPED_TRACE(spawns ? "starts, then dies" : "cannot be started");
    starter_ = {};
    box_.Clear();
    fs::remove(program_ / kFailedReleaseFile);
    (spawns ? starter_.dying : starter_.broken) = {"vel_"};
    EXPECT_TRUE(Run({"vel"})) << "this run signs in itself";
    EXPECT_THAT(starter_.attempts, ElementsAre(Attempt{"vel_", {"N"}, spawns}));
    EXPECT_THAT(box_.Texts(), ElementsAre(kNewProgramFailedMessage));
    EXPECT_EQ(ReadFile(program_ / "vel"), "old program");
    EXPECT_FALSE(fs::exists(program_ / "vel_"));
    EXPECT_EQ(ReadFile(program_ / kFailedReleaseFile), "201902180\n");
  }

  // The next start skips that release, and signs in.
  starter_ = {};
  box_.Clear();
  EXPECT_TRUE(Run({"vel"}));
  EXPECT_THAT(starter_.attempts, IsEmpty());
  EXPECT_THAT(box_.Texts(), IsEmpty());
  EXPECT_THAT(log_.LogTexts(), testing::Contains(HasSubstr("release 201902180 and older skipped")));

  // A newer release is fetched; once this version is past the remembered
  // one, the mark goes.
  Publish("201902190", "update.zip", {{"data.txt", "v3"}});
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_EQ(ReadFile(program_ / "data.txt"), "v3");
  options_.fileVersion = "2019.2.19.0";
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_FALSE(fs::exists(program_ / kFailedReleaseFile));

  // A mark that is no number is no mark.
  Write(program_ / kFailedReleaseFile, "garbage");
  options_.fileVersion = "2019.2.17.0";
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_THAT(log_.LogTexts(), testing::Contains(HasSubstr("holds no release number")));
}

TEST_F(UpdaterTest, AZipBombIsRefusedWholeAndTheUpdateStaysWithinItsTotal) {
  options_.maxEntryBytes = 1 << 20;
  options_.maxUnpackedBytes = 3 << 19;
  Publish("201902180", "1-fits.zip", {{"fits.txt", std::string(1 << 20, 'a')}});
  // A few kilobytes that unpack to two megabytes.
  Publish("201902180", "2-bomb.zip", {{"small.txt", "small"}, {"vel", std::string(2 << 20, '\0')}});
  Publish("201902180", "3-over-total.zip", {{"more.txt", std::string(1 << 20, 'b')}});
  EXPECT_LT(fs::file_size(releases_ / "201902180" / "2-bomb.zip"), 16u << 10);
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"vel", "fits.txt"}));
  EXPECT_THAT(starter_.attempts, ElementsAre(Attempt{"vel", {"N"}, true}));
  EXPECT_THAT(box_.Texts(), IsEmpty());
}

TEST_F(UpdaterTest, DownloadsPastTheUpdatesLimitAreRefused) {
  Publish("201902180", "a.zip", {{"a.txt", std::string(4000, 'a'), std::nullopt, true}});
  Publish("201902180", "b.zip", {{"b.txt", std::string(4000, 'b'), std::nullopt, true}});
  options_.maxDownloadBytes = fs::file_size(releases_ / "201902180" / "a.zip") + 1000;
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"vel", "a.txt"}));
  EXPECT_THAT(log_.LogTexts(), testing::Contains(HasSubstr("download of \"201902180/b.zip\"")));
}

TEST_F(UpdaterTest, TheHigherVersionFolderWinsInEitherListedOrder) {
  // 1201902170 is the higher number but the lower text.
  Publish("201902180", "a.zip", {{"same.txt", "lower"}, {"only-lower.txt", "kept"}});
  Publish("1201902170", "b.zip", {{"same.txt", "higher"}});
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_EQ(ReadFile(program_ / "same.txt"), "higher");
  EXPECT_EQ(ReadFile(program_ / "only-lower.txt"), "kept");

  fs::remove(program_ / "same.txt");
  EditedSource reversed(*executor_);
  std::vector<std::string> listed;
  reversed.editInfo = [&listed](web::json::value& info) {
    auto& files = info.at("files").as_array();
    std::reverse(files.begin(), files.end());
    for (const auto& file : files) listed.push_back(file.as_string());
  };
  EXPECT_FALSE(Run({"vel"}, &reversed));
  EXPECT_THAT(listed, ElementsAre("1201902170/b.zip", "201902180/a.zip"));
  EXPECT_EQ(ReadFile(program_ / "same.txt"), "higher");
}

TEST_F(UpdaterTest, EntriesNamingOtherFoldersOrLinksNeverLeaveTheUnpackFolder) {
  const std::string escape = "vel-escape-" + std::to_string(::getpid());
  Publish("201902180", "evil.zip",
          {{"../" + escape, "x"},
           {"../../../../../" + escape, "x"},
           {(root_ / escape).string(), "x"},
           {"sub/" + escape, "x"},
           {"..\\" + escape, "x"},
           {"..", "x"},
           {".", "x"},
           {"link", "/etc/passwd", 0120777},
           {"ok.txt", "fine"}});
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"vel", "ok.txt"}));
  for (fs::path folder = program_ / "patch" / "files";; folder = folder.parent_path()) {
    EXPECT_FALSE(fs::exists(folder / escape)) << folder;
    if (folder == folder.root_path()) break;
  }
  const auto lines = log_.LogTexts();
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) {
                            return l.find("not a plain file name") != std::string::npos;
                          }),
            7);
  EXPECT_THAT(lines, testing::Contains(
                         HasSubstr("entry \"link\" of 201902180/evil.zip is not a plain file")));
}

TEST_F(UpdaterTest, AFailedDownloadShowsTheMessageOnceAndNothingOfItIsInstalled) {
  Publish("201902180", "a.zip", {{"a.txt", "a"}});
  Publish("201902180", "b.zip", {{"b.txt", "b"}});
  Publish("201902180", "c.zip", {{"c.txt", "c"}});
  auto unreachable =
      MakeExecutor("http://127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort()));
  EditedSource source(*executor_);
  // A file the server lists but does not have (404).
  source.editInfo = [](web::json::value& info) {
    info["files"][3] = web::json::value::string("201902180/missing.zip");
  };
  source.download = [&](const std::string& file, const fs::path& local) -> std::optional<bool> {
    if (file.ends_with("a.zip")) return unreachable->DownloadPatchFile(file, local, 1000);
    if (file.ends_with("b.zip")) {  // cut off halfway
      const std::string whole = ReadFile(releases_ / file);
      Write(local, whole.substr(0, whole.size() / 2));
      return false;
    }
    return std::nullopt;
  };
  EXPECT_FALSE(Run({"vel"}, &source));
  EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"vel", "c.txt"}));
  EXPECT_THAT(box_.Texts(), ElementsAre(kCheckConnectionMessage));
  EXPECT_THAT(log_.LogTexts(),
              testing::IsSupersetOf({"Update: download of \"201902180/a.zip\" failed",
                                     "Update: download of \"201902180/b.zip\" failed",
                                     "Update: download of \"201902180/missing.zip\" failed"}));
}

TEST_F(UpdaterTest, AnArchiveThatIsNotAZipOrHasADamagedEntryIsSkippedWhole) {
  fs::create_directories(releases_ / "201902180");
  Write(releases_ / "201902180" / "1-garbage.zip", "PK\3\4 this is not an archive");
  Publish("201902180", "2-damaged.zip",
          {{"intact.txt", "fine", std::nullopt, true},
           {"damaged.txt", "PAYLOAD-0123456789", std::nullopt, true}});
  std::string bytes = ReadFile(releases_ / "201902180" / "2-damaged.zip");
  bytes[bytes.find("PAYLOAD") + 3] ^= 0x20;
  Write(releases_ / "201902180" / "2-damaged.zip", bytes);
  Publish("201902180", "3-good.zip", {{"good.txt", "good"}});
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"vel", "good.txt"}));
}

TEST_F(UpdaterTest, TheStagedCopyTakesTheExecutablesPlaceAndStartsItWithoutArguments) {
  Write(program_ / "vel_", "new program", fs::perms(0755));
  options_.executable = program_ / "vel_";
  EXPECT_FALSE(Run({(program_ / "vel_").string(), "N"}));
  EXPECT_EQ(ReadFile(program_ / "vel"), "new program");
  EXPECT_EQ(Mode(program_ / "vel"), 0755u);
  EXPECT_THAT(starter_.attempts, ElementsAre(Attempt{"vel", {}, true}));
  EXPECT_THAT(server_->Received(), IsEmpty());
  EXPECT_EQ(ProgramFiles(), (std::set<std::string>{"vel", "vel_"})) << "no temporary file left";
}

TEST_F(UpdaterTest, AStaleStagedCopyIsDeletedAndThePatchFolderNeverOutlivesTheUpdater) {
  Write(program_ / "vel_", "stale");
  fs::create_directories(program_ / "patch" / "201902170");
  Write(program_ / "patch" / "201902170" / "left.zip", "left over");
  {
    Updater updater(config_, {"vel", "N"}, *executor_, box_, starter_, options_);
    EXPECT_FALSE(fs::exists(program_ / "patch")) << "deleted when the updater is made";
    EXPECT_TRUE(updater.RunUpdate());
    fs::create_directories(program_ / "patch" / "files");
  }
  EXPECT_EQ(ProgramFiles(), std::set<std::string>{"vel"});
}

TEST_F(UpdaterTest, RetriesEndWithAMessageWhenTheFileNeverGivesWay) {
  // A non-empty folder can be neither replaced by a file nor removed.
  fs::create_directories(program_ / "vel_" / "busy");
  EXPECT_FALSE(Run({"vel", "N"}));
  EXPECT_THAT(box_.Texts(), ElementsAre(kStaleCopyStuckMessage));

  fs::remove_all(program_);
  fs::create_directories(program_ / "vel" / "busy");
  Write(program_ / "vel_", "new program", fs::perms(0755));
  options_.executable = program_ / "vel_";
  EXPECT_FALSE(Run({"vel_", "N"}));
  EXPECT_THAT(box_.Texts(), ElementsAre(kStaleCopyStuckMessage, kStagedCopyStuckMessage));
  EXPECT_THAT(starter_.attempts, IsEmpty());
  EXPECT_THAT(server_->Received(), IsEmpty());
}

TEST_F(UpdaterTest, WithoutAUsableVersionTheUpdateIsRefused) {
  options_.fileVersion = "2019.2.17";
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_THAT(box_.Texts(), ElementsAre(kNoVersionMessage));
  EXPECT_TRUE(Run({"vel", "N"})) << "a restarted run still goes on";
  EXPECT_THAT(server_->Received(), IsEmpty());
  EXPECT_THAT(starter_.attempts, IsEmpty());
}

TEST_F(UpdaterTest, NoAnswerFromThePatchServerEndsTheRunWithoutARestart) {
  executor_ = MakeExecutor("http://127.0.0.1:" + std::to_string(test::LoopbackServer::FreePort()));
  EXPECT_FALSE(Run({"vel"}));
  EXPECT_THAT(box_.Texts(), ElementsAre(kCheckConnectionMessage));
  EXPECT_THAT(starter_.attempts, IsEmpty());
  EXPECT_EQ(ProgramFiles(), std::set<std::string>{"vel"});
}

}  // namespace
}  // namespace vel
