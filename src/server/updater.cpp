#include "server/updater.h"

#include <cpprest/uri_builder.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <system_error>
#include <thread>

#include "common/atomic_file.h"
#include "common/queues.h"
#include "common/string_printf.h"
#include "common/unique_fd.h"
#include "server/program_files.h"
#include "server/update_archive.h"
#include "server/wire_fields.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

constexpr char kRestartArgument[] = "N";
constexpr char kUnpackFolder[] = "files";
// Where one archive is read before it goes into the unpack folder whole.
constexpr char kScratchFolder[] = "unpacking";

bool AllDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The server's file list, as texts: the elements that are strings.
std::vector<std::string> ListedFiles(const web::json::value& info) {
  std::vector<std::string> files;
  if (!info.is_object() || !info.has_array_field(wire_field::kFiles)) {
    if (info.is_object() && info.has_field(wire_field::kFiles))
      PushLog("Update: \"files\" is not a list");
    return files;
  }
  for (const web::json::value& file : info.at(wire_field::kFiles).as_array()) {
    if (file.is_string()) {
      files.push_back(file.as_string());
    } else {
      PushLog("Update: a listed file is not a text, skipped: " + file.serialize());
    }
  }
  return files;
}

}  // namespace

bool Updater::NumericOrder::operator()(const std::string& a, const std::string& b) const {
  // Decimal texts of any length, compared as numbers; "7" and "07" are
  // different folders of the same number, kept apart by their text.
  const auto significant = [](const std::string& s) {
    const std::size_t first = s.find_first_not_of('0');
    return std::string_view(s).substr(first == std::string::npos ? s.size() : first);
  };
  const std::string_view x = significant(a);
  const std::string_view y = significant(b);
  if (x.size() != y.size()) return x.size() < y.size();
  if (x != y) return x < y;
  return a < b;
}

Updater::Updater(const ServerConfig& config, std::vector<std::string> arguments,
                 PatchSource& patches, MessageBox& messages, ProcessStarter& starter,
                 UpdaterOptions options)
    : exeName_(config.ExeFile()),
      arguments_(std::move(arguments)),
      patches_(patches),
      messages_(messages),
      starter_(starter),
      options_(std::move(options)) {
  if (options_.executable) {
    executable_ = *options_.executable;
  } else if (auto running = RunningExecutablePath()) {
    executable_ = std::move(*running);
  }
  programDirectory_ = executable_.parent_path();
  if (auto number = FormatVersionNumber(options_.fileVersion)) {
    versionNumber_ = std::move(*number);
  } else {
    PushLog("Update: the program's version \"" + options_.fileVersion + "\" is not A.B.C.D");
  }
  if (!programDirectory_.empty()) {
    DeleteTree(PatchFolder());
    // Copies that a kill cut off before their rename.
    if (const int left = RemoveLeftovers(programDirectory_, kUpdateTemporaryPrefix)) {
      PushLog("Update: " + std::to_string(left) + " unfinished cop" + (left == 1 ? "y" : "ies") +
              " of an earlier update deleted");
    }
    // A remembered release this version is already past means nothing now.
    const auto failed = FailedRelease();
    if (failed && !versionNumber_.empty() && !NumericOrder()(versionNumber_, *failed)) {
      std::error_code ec;
      fs::remove(programDirectory_ / kFailedReleaseFile, ec);
    }
  }
}

Updater::~Updater() {
  if (!handedOver_ && !programDirectory_.empty()) DeleteTree(PatchFolder());
}

template <typename Attempt>
bool Updater::Retry(Attempt attempt) const {
  const auto deadline = std::chrono::steady_clock::now() + options_.retryLimit;
  for (;;) {
    if (attempt()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(options_.retryInterval);
  }
}

bool Updater::Start(const fs::path& program, const std::vector<std::string>& arguments,
                    int trialFd) {
  if (!starter_.Start(program, arguments, trialFd)) return false;
  handedOver_ = true;
  return true;
}

int Updater::InheritedTrialFd() const {
  return options_.inheritedTrial != nullptr ? options_.inheritedTrial->Fd() : -1;
}

void Updater::ReportRuns() {
  if (options_.inheritedTrial != nullptr) options_.inheritedTrial->ReportRuns();
}

bool Updater::RunUpdate() {
  if (executable_.empty()) {
    // Without its own path the program can neither finish nor make an
    // update, but it can still go on when it was started to.
    PushLog("Update: the running executable is unknown");
  } else {
    if (executable_.filename().string().find('_') != std::string::npos) return FinishStagedCopy();
    if (!RemoveStaleCopy()) {
      ReportRuns();
      return false;
    }
  }
  if (arguments_.size() >= 2 && arguments_[1] == kRestartArgument) return true;

  if (executable_.empty() || versionNumber_.empty()) {
    messages_.Show(kNoVersionMessage);
    ReportRuns();
    return false;
  }
  web::uri_builder query;
  query.append_query(wire_field::kVersion, versionNumber_);
  web::json::value info;
  if (!patches_.FetchPatchInfo(query.to_string(), info)) {
    // The server's fault, not the program's: a new program on trial that
    // got this far runs.
    ReportRuns();
    return false;
  }
  const std::vector<std::string> listed = ListedFiles(info);
  const std::vector<std::string> files = FilesToFetch(listed);
  if (files.empty() && !listed.empty()) {
    // Nothing but the release whose program did not start: no restart,
    // this run signs in.
    return true;
  }

  std::error_code ec;
  fs::create_directories(PatchFolder(), ec);
  const Downloads downloads = Download(files);
  Unpack(downloads);
  Install();
  // The next instance may start downloading at once; nothing of this run
  // may be left to delete after it has started.
  DeleteTree(PatchFolder());
  return Restart(downloads.empty() ? std::string() : downloads.rbegin()->first);
}

bool Updater::FinishStagedCopy() {
  std::string target = executable_.filename().string();
  // The underscore the install step appended is the last one.
  target.erase(target.rfind('_'), 1);
  const fs::path installed = programDirectory_ / target;
  std::string error;
  if (!Retry([&] { return ReplaceFile(executable_, installed, std::nullopt, &error); })) {
    PushLog("Update: cannot replace the executable: " + error);
    messages_.Show(kStagedCopyStuckMessage);
    return false;
  }
  // A start that fails leaves the trial to end without a verdict: the
  // installing run then puts its program back.
  if (!Start(installed, {}, InheritedTrialFd())) messages_.Show(kRestartFailedMessage);
  return false;
}

bool Updater::RemoveStaleCopy() {
  const fs::path staged = executable_.string() + "_";
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(staged, ec))) return true;
  // Gone by someone else's hand counts as deleted.
  if (Retry([&] {
        fs::remove(staged, ec);
        return !ec;
      })) {
    return true;
  }
  PushLog("Update: cannot delete " + staged.string() + ": " + ec.message());
  messages_.Show(kStaleCopyStuckMessage);
  return false;
}

std::optional<std::string> Updater::FailedRelease() const {
  std::ifstream in(programDirectory_ / kFailedReleaseFile);
  std::string release;
  if (!in || !std::getline(in, release)) return std::nullopt;
  if (!AllDigits(release)) {
    PushLog("Update: " + std::string(kFailedReleaseFile) + " holds no release number, ignored");
    return std::nullopt;
  }
  return release;
}

void Updater::RememberFailedRelease(const std::string& release) {
  if (release.empty()) return;
  std::string error;
  const std::string text = release + "\n";
  if (!WriteFileAtomically(programDirectory_ / kFailedReleaseFile,
                           {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}, 0644,
                           &error)) {
    PushLog("Update: cannot remember release " + release + ": " + error);
  }
}

std::vector<std::string> Updater::FilesToFetch(std::vector<std::string> files) const {
  const auto failed = FailedRelease();
  if (!failed) return files;
  std::size_t skipped = 0;
  std::erase_if(files, [&](const std::string& listed) {
    const std::string folder = listed.substr(0, listed.rfind('/'));
    const bool old = AllDigits(folder) && !NumericOrder()(*failed, folder);
    skipped += old ? 1 : 0;
    return old;
  });
  if (skipped > 0) {
    PushLog("Update: " + std::to_string(skipped) + " file(s) of release " + *failed +
            " and older skipped: the new program of that release did not start");
  }
  return files;
}

Updater::Downloads Updater::Download(const std::vector<std::string>& listedFiles) {
  Downloads downloads;
  std::uint64_t downloaded = 0;
  for (const std::string& listed : listedFiles) {
    const std::size_t slash = listed.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : listed.substr(0, slash);
    const std::string file = slash == std::string::npos ? "" : listed.substr(slash + 1);
    // The listed path becomes a local path: only "<number>/<file name>".
    if (!AllDigits(folder) || !IsPlainEntryName(file)) {
      PushLog("Update: listed file \"" + listed + "\" is not <version>/<file>, skipped");
      continue;
    }
    std::error_code ec;
    const fs::path local = PatchFolder() / folder / file;
    fs::create_directories(local.parent_path(), ec);
    if (patches_.DownloadPatchFile(listed, local, options_.maxDownloadBytes - downloaded)) {
      const std::uintmax_t size = fs::file_size(local, ec);
      if (!ec) downloaded += size;
      std::vector<std::string>& files = downloads[folder];
      if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
      continue;
    }
    // Nothing of a failed or cut-off download is ever unpacked; an earlier
    // good download of the same file does not count any more either.
    fs::remove(local, ec);
    if (auto it = downloads.find(folder); it != downloads.end()) std::erase(it->second, file);
    PushLog("Update: download of \"" + listed + "\" failed");
  }
  for (auto& [folder, files] : downloads) std::sort(files.begin(), files.end());
  return downloads;
}

void Updater::Unpack(const Downloads& downloads) {
  const fs::path unpackFolder = PatchFolder() / kUnpackFolder;
  std::error_code ec;
  fs::create_directories(unpackFolder, ec);
  UnpackLimits limits{options_.maxEntryBytes, options_.maxUnpackedBytes};
  // Ascending version order: a later version's file of the same name wins.
  for (const auto& [folder, files] : downloads) {
    for (const std::string& file : files) {
      UnpackArchive(PatchFolder() / folder / file, unpackFolder, PatchFolder() / kScratchFolder,
                    exeName_, limits);
    }
  }
}

void Updater::Install() {
  std::vector<fs::path> unpacked;
  std::error_code ec;
  for (fs::directory_iterator it(PatchFolder() / kUnpackFolder, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (it->is_regular_file(ec)) unpacked.push_back(it->path());
  }
  std::sort(unpacked.begin(), unpacked.end());
  for (const fs::path& file : unpacked) {
    std::string name = file.filename().string();
    // Anything named like the executable is staged: the running program
    // cannot be replaced by itself.
    if (name.starts_with(exeName_)) name += "_";
    std::string error;
    if (!ReplaceFile(file, programDirectory_ / name, std::nullopt, &error)) {
      PushLog("Update: cannot install " + name + ": " + error);
    }
  }
}

bool Updater::Restart(const std::string& release) {
  const std::vector<std::string> restarted{kRestartArgument};
  // The staged copy is normally missing: the update held no new executable.
  const fs::path staged = programDirectory_ / (exeName_ + "_");
  std::error_code ec;
  if (fs::exists(fs::symlink_status(staged, ec))) return TryNewProgram(staged, release);
  if (Start(programDirectory_ / exeName_, restarted, InheritedTrialFd())) return false;
  PushLog("Update: cannot start " + (programDirectory_ / exeName_).string());
  messages_.Show(kRestartFailedMessage);
  return false;
}

bool Updater::TryNewProgram(const fs::path& staged, const std::string& release) {
  const std::vector<std::string> restarted{kRestartArgument};
  // This run shows the program it belongs to runs; the new one is on trial
  // of its own now.
  ReportRuns();
  // The program as it is installed now: held open, its bytes stay even
  // once the staged copy has replaced the file.
  const fs::path installed = programDirectory_ / exeName_;
  const UniqueFd kept(::open(installed.c_str(), O_RDONLY | O_CLOEXEC));
  std::string error;
  std::optional<UpdateTrial> trial = UpdateTrial::Begin(&error);
  if (!trial) PushLog("Update: the new program runs without a trial: " + error);
  if (Start(staged, restarted, trial ? trial->HandOnFd() : -1)) {
    if (!trial) return false;
    switch (trial->Wait(options_.trialLimit)) {
      case UpdateTrial::Verdict::kRuns: return false;
      case UpdateTrial::Verdict::kTimedOut:
        PushLog("Update: the new program gave no sign within the limit; it stays");
        return false;
      case UpdateTrial::Verdict::kDied: break;
    }
    PushLog("Update: the new program " + staged.string() + " ended before it ran");
  } else {
    PushLog("Update: cannot start the new program " + staged.string());
  }
  // The old program goes on: its executable back in place, the staged copy
  // gone, the release remembered so that the next start does not fetch it
  // again.
  PutBack(kept.Get(), installed);
  std::error_code ec;
  fs::remove(staged, ec);
  RememberFailedRelease(release);
  messages_.Show(kNewProgramFailedMessage);
  handedOver_ = false;
  return true;
}

void Updater::PutBack(int kept, const fs::path& installed) {
  struct stat old {};
  struct stat there {};
  if (kept < 0 || ::fstat(kept, &old) != 0) {
    PushLog("Update: the program's own file was not kept; it cannot be put back");
    return;
  }
  if (::stat(installed.c_str(), &there) == 0 && old.st_dev == there.st_dev &&
      old.st_ino == there.st_ino) {
    return;  // never replaced
  }
  std::string error;
  if (!ReplaceFile("/proc/self/fd/" + std::to_string(kept), installed, std::nullopt, &error)) {
    PushLog("Update: cannot put the program back in place: " + error);
  }
}

}  // namespace vel
