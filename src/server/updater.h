#pragma once

#include <cpprest/json.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "server/patch_source.h"
#include "server/process_starter.h"
#include "server/server_config.h"
#include "server/update_trial.h"
#include "server/version_number.h"

namespace vel {

// The staged copy could not take the executable's place in time.
inline constexpr char kStagedCopyStuckMessage[] =
    "새 실행 파일을 설치하지 못했습니다. 프로그램을 모두 닫고 다시 실행해 주세요.";
// A staged copy left by an earlier update could not be deleted in time.
inline constexpr char kStaleCopyStuckMessage[] =
    "이전 업데이트 파일을 지우지 못했습니다. 프로그램을 모두 닫고 다시 실행해 주세요.";
// The executable carries no version the patch server could compare.
inline constexpr char kNoVersionMessage[] = "프로그램의 버전을 알 수 없어 업데이트할 수 없습니다.";
// Neither the staged copy nor the executable could be started again.
inline constexpr char kRestartFailedMessage[] = "프로그램을 다시 시작하지 못했습니다.";
// The update brought a new executable that cannot be started; the program
// goes on in its old version.
inline constexpr char kNewProgramFailedMessage[] =
    "새 버전의 프로그램을 시작하지 못했습니다. 이전 버전으로 계속합니다.";

struct UpdaterOptions {
  // The running executable; none: the one the kernel names.
  std::optional<std::filesystem::path> executable;
  // The executable's own version "A.B.C.D".
  std::string fileVersion = std::string(CompiledFileVersion());
  // How often, and for how long, the staged copy tries to replace the
  // executable, and a run tries to delete a stale staged copy, while the
  // other instance still holds it.
  std::chrono::milliseconds retryInterval{100};
  std::chrono::milliseconds retryLimit{30000};
  // What one update may take, so that a broken or hostile patch server
  // cannot fill the disk: all its downloads together, one unpacked file,
  // and all unpacked files together. A download or an archive that would
  // go past a limit is refused whole.
  std::uint64_t maxDownloadBytes = 256u << 20;
  std::uint64_t maxEntryBytes = 256u << 20;
  std::uint64_t maxUnpackedBytes = 512u << 20;
  // The trial this run belongs to, when an update that installed a new
  // executable started it (TrialReport::FromEnvironment); none otherwise.
  // It is handed on to the run this one starts, and reported when this run
  // ends by its own decision.
  TrialReport* inheritedTrial = nullptr;
  // How long the installing run waits for the new program to show that it
  // runs; past it, it ends and leaves the new program in place.
  std::chrono::milliseconds trialLimit{300000};
};

// The release whose program did not start is remembered here, in the
// program directory, so that later starts skip it.
inline constexpr char kFailedReleaseFile[] = ".vel-failed-release";

// Keeps the program up to date from the patch server before anything else
// runs. Every start without the argument "N" is an update run that ends
// the process: it sends the version number, downloads and unpacks what the
// server lists, installs the files beside the executable and starts the
// program again with "N". A new executable E cannot replace itself while it
// runs, so it is installed as E + "_", which is started, puts itself in
// place of E and starts E, whose next update run deletes E + "_".
//
// A new executable is on trial until it shows that it runs (UpdateTrial):
// the installing run waits for it and, when every run of the new program
// died first, puts its own executable back, says so
// (kNewProgramFailedMessage), remembers the release in kFailedReleaseFile
// and goes on to the sign-in itself; later update runs skip that release
// and anything older.
//
// Names, all in the program directory: E is the configuration's `file`
// `exe`; the patch folder "patch" holds the downloads as
// "patch/<folder>/<file>" and the unpacked files in "patch/files".
class Updater {
 public:
  // `arguments` is the command line (argv[0] first). Works out the program
  // directory and the version number, and deletes the patch folder.
  Updater(const ServerConfig& config, std::vector<std::string> arguments, PatchSource& patches,
          MessageBox& messages, ProcessStarter& starter, UpdaterOptions options = {});
  // Deletes the patch folder, unless another instance of the program has
  // been started and may be using it by now.
  ~Updater();
  Updater(const Updater&) = delete;
  Updater& operator=(const Updater&) = delete;

  // The update run. True only for a run started with "N": start-up goes on
  // to the login. False: the program ends now (another instance may have
  // been started). A false result leaves the patch folder already deleted.
  bool RunUpdate();

  const std::filesystem::path& ProgramDirectory() const { return programDirectory_; }
  // Empty when the executable has no usable version.
  const std::string& VersionNumber() const { return versionNumber_; }
  std::filesystem::path PatchFolder() const { return programDirectory_ / "patch"; }

 private:
  // Archives downloaded whole, by version folder (in numeric order) and
  // file name.
  struct NumericOrder {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  using Downloads = std::map<std::string, std::vector<std::string>, NumericOrder>;

  bool FinishStagedCopy();
  bool RemoveStaleCopy();
  // The listed files of releases after the remembered failed one.
  std::vector<std::string> FilesToFetch(std::vector<std::string> files) const;
  Downloads Download(const std::vector<std::string>& listedFiles);
  void Unpack(const Downloads& downloads);
  void Install();
  // Starts the staged program or, without one, the program again with "N".
  // True when this run goes on to the sign-in after all (the new program
  // did not start).
  bool Restart(const std::string& release);
  bool TryNewProgram(const std::filesystem::path& staged, const std::string& release);
  // Puts the bytes held open by `kept` back in place of `installed`,
  // unless it is still the same file.
  void PutBack(int kept, const std::filesystem::path& installed);
  void RememberFailedRelease(const std::string& release);
  std::optional<std::string> FailedRelease() const;
  // This run ends by its own decision: the new program it belongs to runs.
  void ReportRuns();
  // Calls `attempt` every retry interval until it succeeds or the retry
  // limit has passed.
  template <typename Attempt>
  bool Retry(Attempt attempt) const;
  bool Start(const std::filesystem::path& program, const std::vector<std::string>& arguments,
             int trialFd);
  int InheritedTrialFd() const;

  const std::string exeName_;
  const std::vector<std::string> arguments_;
  PatchSource& patches_;
  MessageBox& messages_;
  ProcessStarter& starter_;
  const UpdaterOptions options_;
  std::filesystem::path executable_;
  std::filesystem::path programDirectory_;
  std::string versionNumber_;
  bool handedOver_ = false;
};

}  // namespace vel
