#pragma once

#include <string>

namespace vel {

// printf into a std::string, for the program's fixed-format texts.
std::string StringPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace vel
