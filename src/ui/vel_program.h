#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/program_start.h"
#include "server/login_values.h"
#include "server/request_executor.h"
#include "server/server_config.h"
#include "server/update_trial.h"
#include "ui/qt_message_box.h"

namespace vel {

// The sign-in window's program, beside this one (SignInProcess).
inline constexpr char kSignInProgram[] = "vel-sign-in";

// The program as its start-up routine runs it: the configuration, the
// update check, the sign-in window and the main window, with what they
// share for the whole run (the account, the team name, the server link).
class CVELApp : public ProgramSteps {
 public:
  // `arguments`: the command line, argv[0] first ("N" after an update).
  // `trial`: the update trial this run belongs to (see UpdateTrial); it is
  // reported once the sign-in window runs.
  CVELApp(std::vector<std::string> arguments, TrialReport trial);
  ~CVELApp() override;

  void WriteDefaultConfig() override;
  bool LoadConfig() override;
  bool ProgramFolderWritable() override;
  bool RunUpdateCheck() override;
  bool RunLogin() override;
  void RunMainWindow() override;
  void DeletePatchFolder() override;
  void Log(const std::string& line) override;

 private:
  std::vector<std::string> arguments_;
  TrialReport trial_;
  std::filesystem::path programFolder_;
  QtMessageBox messages_;
  ServerConfig config_;
  std::unique_ptr<RequestExecutor> server_;
  LoginValues login_;
};

// The demo's switches, in the environment because an argument would not
// survive the updater's restart with "N": VEL_DEMO_SIGN_IN=1 presses Enter
// in the sign-in page; VEL_DEMO_RIDE=1 seats the team on the panels, ticks
// their boxes and starts their clocks as the main window opens;
// VEL_DEMO_SHOTS=FOLDER saves a picture of the main window there every
// 10 s; VEL_DEMO_CLASS_SCREEN=1 opens the class screen with it. True when
// the switch `name` is "1".
bool DemoSwitch(const char* name);

}  // namespace vel
