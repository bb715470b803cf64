#include "load_options.h"

#include <cstdlib>

namespace vel {
namespace {

bool ParseCount(const std::string& text, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value < 1 || value > 100000) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

const char kLoadUsage[] =
    "usage: vel-server-load [--url http://HOST:PORT] [--clients N] [--requests M]\n"
    "  N clients (default 8) send M sealed requests each (default 500) to the\n"
    "  application server at URL, or to one started here on free ports with a\n"
    "  temporary database, then check that nothing acknowledged was lost.";

std::optional<LoadOptions> ParseLoadOptions(const std::vector<std::string>& args,
                                            std::string& error) {
  LoadOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--url" && hasValue) {
      options.url = args[++i];
    } else if (arg == "--clients" && hasValue && ParseCount(args[i + 1], options.clients)) {
      ++i;
    } else if (arg == "--requests" && hasValue && ParseCount(args[i + 1], options.requests)) {
      ++i;
    } else {
      error = "bad option " + arg;
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace vel
