#pragma once

#include <filesystem>
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
  // When set, the body is this file's bytes, sent as they are read rather
  // than held in memory (the patch server's archives).
  std::filesystem::path file;
};

}  // namespace vel::companion
