#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vel {

// The program's own version "A.B.C.D", compiled in from the build's
// project version.
std::string_view CompiledFileVersion();

// The text the patch server compares: A, B, C and D formatted with
// "%04d%02d%02d%d", so "2019.2.17.0" gives "201902170". No value unless
// the text is four decimal numbers separated by dots, each small enough
// for an int; the program never compares these texts itself.
std::optional<std::string> FormatVersionNumber(std::string_view fileVersion);

}  // namespace vel
