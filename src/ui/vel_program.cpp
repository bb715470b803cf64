#include "ui/vel_program.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "common/queues.h"
#include "rides/ride_store.h"
#include "server/process_starter.h"
#include "server/program_files.h"
#include "server/session_key_sender.h"
#include "server/updater.h"
#include "ui/main_window.h"
#include "ui/sign_in_process.h"

namespace vel {

CVELApp::CVELApp(std::vector<std::string> arguments, TrialReport trial)
    : arguments_(std::move(arguments)), trial_(std::move(trial)) {
  const auto executable = RunningExecutablePath();
  programFolder_ = executable ? executable->parent_path() : std::filesystem::current_path();
}

CVELApp::~CVELApp() = default;

void CVELApp::WriteDefaultConfig() { vel::WriteDefaultConfig(); }

bool CVELApp::LoadConfig() {
  if (!vel::LoadConfig(config_)) return false;
  server_ = std::make_unique<RequestExecutor>(config_, messages_);
  return true;
}

bool CVELApp::ProgramFolderWritable() { return access(programFolder_.c_str(), W_OK) == 0; }

bool CVELApp::RunUpdateCheck() {
  SpawnProcessStarter starter;
  UpdaterOptions options;
  options.inheritedTrial = &trial_;
  Updater updater(config_, arguments_, *server_, messages_, starter, options);
  return updater.RunUpdate();
}

bool CVELApp::RunLogin() {
  // A new program on trial has shown that it runs once its sign-in window
  // does. The window's process has written its own lines to the standard
  // error already; the log window gets them too.
  SignInProcess window(
      programFolder_ / kSignInProgram,
      {[this] { trial_.ReportRuns(); }, [](const std::string& line) { PushLog(line); }});
  const std::optional<LoginValues> signedIn = window.Run();
  if (!signedIn) return false;
  login_ = *signedIn;
  return true;
}

void CVELApp::RunMainWindow() {
  const char* shots = std::getenv("VEL_DEMO_SHOTS");
  SessionKeySender keyed(*server_, login_.sessionKey);
  CVELDlg window(keyed, login_,
                 {ReceiverSettings::FromEnvironment(),
                  DemoSwitch("VEL_DEMO_RIDE"),
                  shots != nullptr ? shots : "",
                  {},
                  kRideStoreFile,
                  DemoSwitch("VEL_DEMO_CLASS_SCREEN")});
  // The whole screen first: without a window manager (a bare X server)
  // maximising alone does nothing.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window.setGeometry(screen->availableGeometry());
  }
  window.showMaximized();
  window.exec();
}

void CVELApp::DeletePatchFolder() { DeleteTree(programFolder_ / "patch"); }

void CVELApp::Log(const std::string& line) {
  // Before the main window there is no log window to show it.
  std::fprintf(stderr, "vel: %s\n", line.c_str());
  PushLog(line);
}

bool DemoSwitch(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && std::string(value) == "1";
}

}  // namespace vel
