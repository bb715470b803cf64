#include "server/endpoints.h"

#include <cstdlib>

namespace vel {
namespace {

void Override(const EnvironmentLookup& lookup, const char* name, std::string& value) {
  const char* text = lookup(name);
  if (text != nullptr && *text != '\0') value = text;
}

}  // namespace

Endpoints ReadEndpoints(const EnvironmentLookup& lookup) {
  Endpoints endpoints;
  Override(lookup, "VEL_MAIN_URL", endpoints.mainUrl);
  Override(lookup, "VEL_PATCH_URL", endpoints.patchUrl);
  Override(lookup, "VEL_FACEBOOK_WEB", endpoints.facebookWeb);
  Override(lookup, "VEL_FACEBOOK_GRAPH", endpoints.facebookGraph);
  return endpoints;
}

Endpoints ReadEndpoints() {
  return ReadEndpoints([](const char* name) { return std::getenv(name); });
}

}  // namespace vel
