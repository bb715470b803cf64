#pragma once

// What every command-line tool of the program does with its arguments'
// edges: --help answered with the usage, and a failure told in one line
// on standard error with exit status 2.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
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

// "<tool>: <message>" on standard error.
inline void Tell(const char* tool, std::string_view message) {
  std::fprintf(stderr, "%s: %.*s\n", tool, static_cast<int>(message.size()), message.data());
}

// Tells the failure; the status a failed run ends with.
inline int Fail(const char* tool, std::string_view message) {
  Tell(tool, message);
  return 2;
}

// A tool whose command line `parse` turns into its options (or refuses with
// a one-line reason): answers --help, ends a refused command line with
// status 2, and otherwise returns what `run` makes of the options.
template <typename Options, typename Run>
int RunWithOptions(int argc, char** argv, const char* tool, const char* usage,
                   std::optional<Options> (*parse)(const std::vector<std::string>&, std::string&),
                   Run run) {
  const std::vector<std::string> args = Arguments(argc, argv);
  if (AnsweredHelp(args, usage)) return 0;
  std::string error;
  const std::optional<Options> options = parse(args, error);
  if (!options) return Fail(tool, error + " (see --help)");
  return run(*options);
}

}  // namespace vel::tools
