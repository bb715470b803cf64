#pragma once

// What every command-line tool of the program does with its arguments'
// edges: --help answered with the usage, and a failure told in one line
// on standard error with exit status 2.
#include <cstdio>
#include <string>
#include <vector>

namespace vel::tools {

// The arguments after the program name.
inline std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

// True (after printing `usage`) when the only argument asks for help.
inline bool AnsweredHelp(const std::vector<std::string>& args, const char* usage) {
  if (args.size() != 1 || (args[0] != "--help" && args[0] != "-h")) return false;
  std::puts(usage);
  return true;
}

// "<tool>: <message>" on standard error; the status a failed run ends with.
inline int Fail(const char* tool, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", tool, message.c_str());
  return 2;
}

}  // namespace vel::tools
