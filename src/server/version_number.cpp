#include "server/version_number.h"

#include <charconv>

#include "common/string_printf.h"

#ifndef VEL_FILE_VERSION
#error "VEL_FILE_VERSION must name the project version A.B.C.D"
#endif

namespace vel {

std::string_view CompiledFileVersion() { return VEL_FILE_VERSION; }

std::optional<std::string> FormatVersionNumber(std::string_view fileVersion) {
  int parts[4] = {};
  const char* at = fileVersion.data();
  const char* const end = at + fileVersion.size();
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at == end || *at != '.') return std::nullopt;
      ++at;
    }
    // from_chars alone would accept a sign; only digits make a version.
    if (at == end || *at < '0' || *at > '9') return std::nullopt;
    const auto [next, error] = std::from_chars(at, end, parts[i]);
    if (error != std::errc()) return std::nullopt;
    at = next;
  }
  if (at != end) return std::nullopt;
  return StringPrintf("%04d%02d%02d%d", parts[0], parts[1], parts[2], parts[3]);
}

}  // namespace vel
