#pragma once

#include <string>
#include <string_view>

namespace vel {

// The udev rule that gives the logged-in user access to ANT sticks, as
// shipped in packaging/udev/, and the one line that installs it.
inline constexpr const char* kUdevRuleName = "70-vel-ant.rules";

// The log line for a stick that is present but may not be opened.
std::string PermissionDeniedLine(std::string_view stick);

// Writes that line with PushLog.
void LogPermissionDenied(std::string_view stick);

}  // namespace vel
