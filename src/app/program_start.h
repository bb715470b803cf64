#pragma once

#include <string>

namespace vel {

// The steps of the program's start, as the start-up routine calls them; the
// program gives the real ones, tests fakes.
class ProgramSteps {
 public:
  virtual ~ProgramSteps() = default;
  // Seals the built-in configuration over VEL.json.
  virtual void WriteDefaultConfig() = 0;
  // Reads VEL.json back; false ends the program without a window.
  virtual bool LoadConfig() = 0;
  // Whether the program may replace its own files: a packaged program in a
  // folder of the system's leaves its updates to the package manager.
  virtual bool ProgramFolderWritable() = 0;
  // The update check (it knows whether this run was started with "N");
  // false: this run has done its work and ends.
  virtual bool RunUpdateCheck() = 0;
  // The sign-in window; true when it ended with OK.
  virtual bool RunLogin() = 0;
  virtual void RunMainWindow() = 0;
  // Deletes the download folder "patch" beside the executable.
  virtual void DeletePatchFolder() = 0;
  virtual void Log(const std::string& line) = 0;
};

// How a start ended.
enum class StartEnd { kNoConfig, kUpdateRun, kNotSignedIn, kMainWindowClosed };

// The start-up routine: the configuration written and read back, the
// update check (skipped, as in a run the updater started with "N", when
// the program's folder is not writable), the sign-in, the main window only
// after it, and the download folder deleted at the end.
StartEnd RunProgramStart(ProgramSteps& steps);

}  // namespace vel
