#include "support/fit_oracle.h"

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace vel::test {
namespace {

namespace fs = std::filesystem;
using web::json::value;

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

::testing::AssertionResult DecodeFit(const fs::path& file, value& decoded) {
  const fs::path node = VEL_NODE_EXE;
  const fs::path sdk = VEL_FITSDK_DIR;
  if (!fs::exists(node) || !fs::exists(sdk / "node_modules/@garmin/fitsdk/package.json")) {
    return ::testing::AssertionFailure() << "no Node at " << node << " or no FIT SDK in " << sdk
                                         << ": scripts/setup.sh installs them";
  }
  const std::string command = Quoted(node) + " " +
                              Quoted(VEL_SOURCE_DIR "/tests/fit/decode_fit.mjs") + " " +
                              Quoted(sdk) + " " + Quoted(file);
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return ::testing::AssertionFailure() << "cannot run " << command;
  std::string out;
  char chunk[4096];
  for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;)
    out.append(chunk, got);
  const int status = ::pclose(pipe);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return ::testing::AssertionFailure() << command << " failed (" << status << "): " << out;
  }
  try {
    decoded = value::parse(out);
  } catch (const std::exception& error) {
    return ::testing::AssertionFailure() << "not JSON (" << error.what() << "): " << out;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace vel::test
