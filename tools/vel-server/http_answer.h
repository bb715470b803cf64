#pragma once

#include <map>
#include <string>

namespace vel::companion {

// Query parameters, decoded.
using Query = std::map<std::string, std::string>;

// One HTTP answer of the patch server or the sign-in pages, built without
// any HTTP library so that the rules behind it are plain to test.
struct HttpAnswer {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
  std::string location;  // for a redirect
};

}  // namespace vel::companion
