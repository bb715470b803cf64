#include "ui/sign_in_process.h"

#include <sys/prctl.h>
#include <unistd.h>

#include <QEventLoop>
#include <QProcess>
#include <csignal>

#include "app/sign_in_report.h"
#include "ui/termination_watch.h"

namespace vel {

SignInProcess::SignInProcess(std::filesystem::path program, Hooks hooks)
    : program_(std::move(program)), hooks_(std::move(hooks)) {}

std::optional<LoginValues> SignInProcess::Run() {
  QProcess child;
  child.setProgram(QString::fromStdString(program_.string()));
  // The window's lines come on its standard output; what it says besides
  // goes where the program's own messages go.
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  child.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
  std::optional<LoginValues> signedIn;
  QEventLoop loop;
  auto readLines = [&] {
    while (child.canReadLine()) {
      std::string line = child.readLine().toStdString();
      if (!line.empty() && line.back() == '\n') line.pop_back();
      const sign_in_report::Line read = sign_in_report::Read(line);
      switch (read.kind) {
        case sign_in_report::Line::Kind::kShown:
          if (hooks_.shown) hooks_.shown();
          break;
        case sign_in_report::Line::Kind::kLog:
          if (hooks_.log) hooks_.log(read.text);
          break;
        case sign_in_report::Line::Kind::kSignedIn: signedIn = read.login; break;
        case sign_in_report::Line::Kind::kOther: break;
      }
    }
  };
  QObject::connect(&child, &QProcess::readyReadStandardOutput, &loop, readLines);
  QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
  QObject::connect(&child, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart) return;
    if (hooks_.log) hooks_.log("The sign-in window could not be started: " + program_.string());
    loop.quit();
  });
  if (TerminationWatch* watch = TerminationWatch::Current()) {
    QObject::connect(watch, &TerminationWatch::StopAsked, &child, &QProcess::terminate);
  }
  child.start(QIODevice::ReadOnly);
  if (child.state() != QProcess::NotRunning || child.error() != QProcess::FailedToStart) {
    loop.exec();
  }
  readLines();
  // Only an OK that the window's process ended with counts.
  if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) return std::nullopt;
  return signedIn;
}

}  // namespace vel
