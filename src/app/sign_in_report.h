#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "server/login_values.h"

namespace vel {

// What the sign-in window's own process tells the program, one line each.
// The sign-in runs apart so that Qt WebEngine, its helper processes and its
// memory end with it, before the class rides.
//   "shown"           the window is up (an update on trial has run)
//   "log TEXT"        a diagnostic line for the log window
//   "signed-in JSON"  the sign-in ended with OK: {"accountid":N,"teamname":"..."}
// Anything else is not the window's: it is ignored.
namespace sign_in_report {

struct Line {
  enum class Kind { kShown, kLog, kSignedIn, kOther };
  Kind kind = Kind::kOther;
  std::string text;   // kLog
  LoginValues login;  // kSignedIn
};

std::string Shown();
// Line breaks in `text` become spaces: one line stays one line.
std::string Log(std::string_view text);
std::string SignedIn(const LoginValues& login);
// A line without its line break; a signed-in line whose values do not read
// is kOther.
Line Read(std::string_view line);

}  // namespace sign_in_report
}  // namespace vel
