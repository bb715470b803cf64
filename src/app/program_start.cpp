#include "app/program_start.h"

namespace vel {

StartEnd RunProgramStart(ProgramSteps& steps) {
  steps.WriteDefaultConfig();
  if (!steps.LoadConfig()) return StartEnd::kNoConfig;

  StartEnd end = StartEnd::kNotSignedIn;
  bool goOn = true;
  if (!steps.ProgramFolderWritable()) {
    steps.Log("The program's folder is not writable: updates come from the package manager");
  } else {
    goOn = steps.RunUpdateCheck();
  }
  if (!goOn) {
    end = StartEnd::kUpdateRun;
  } else if (steps.RunLogin()) {
    steps.RunMainWindow();
    end = StartEnd::kMainWindowClosed;
  }
  steps.DeletePatchFolder();
  return end;
}

}  // namespace vel
