#pragma once

#include <functional>
#include <string>

namespace vel {

// Where the application server, the patch server and the sign-in pages
// are. The built-ins point at loopback for the two servers and at Facebook
// for sign-in; the environment may override each at start (an empty
// variable counts as unset):
//   VEL_MAIN_URL, VEL_PATCH_URL, VEL_FACEBOOK_WEB, VEL_FACEBOOK_GRAPH.
struct Endpoints {
  std::string mainUrl = "http://127.0.0.1:3000";
  std::string patchUrl = "http://127.0.0.1:1337";
  std::string facebookWeb = "https://www.facebook.com";
  std::string facebookGraph = "https://graph.facebook.com";
};

// Looks up one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

Endpoints ReadEndpoints(const EnvironmentLookup& lookup);
// From the process environment.
Endpoints ReadEndpoints();

}  // namespace vel
