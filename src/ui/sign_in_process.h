#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "server/login_values.h"

namespace vel {

// Runs the sign-in window in its own process (vel-sign-in, beside the
// program) and waits for it, the program's events running meanwhile: Qt
// WebEngine, its helper processes and the memory they hold end with that
// process, and the program never loads them. The window's process reads
// the same VEL.json and keeps VEL.f as the sign-in always has.
//
// User-interface thread; Run blocks (in an event loop) until the window's
// process ended. The child is ended with the program: it is asked to stop
// when the program is, and gets SIGTERM if the program dies.
class SignInProcess {
 public:
  struct Hooks {
    std::function<void()> shown;                  // the window is up
    std::function<void(const std::string&)> log;  // a line for the log window
  };

  SignInProcess(std::filesystem::path program, Hooks hooks);

  // The account and team when the sign-in ended with OK; nothing when it
  // was cancelled, or the window could not be started (logged).
  std::optional<LoginValues> Run();

 private:
  std::filesystem::path program_;
  Hooks hooks_;
};

}  // namespace vel
