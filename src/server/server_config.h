#pragma once

#include <cpprest/json.h>

#include <filesystem>
#include <optional>
#include <string>

#include "server/endpoints.h"

namespace vel {

inline constexpr char kConfigFileName[] = "VEL.json";

// The configuration the application object holds for the whole run:
// {"url": {"main", "patch"}, "file": {"exe", "facebook"}}, all strings.
// Empty until LoadConfig succeeds.
class ServerConfig {
 public:
  ServerConfig() = default;

  // The built-in values, with the server addresses of `endpoints`.
  static ServerConfig BuiltIn(const Endpoints& endpoints);
  // No value unless the four keys are present and strings.
  static std::optional<ServerConfig> FromJson(const web::json::value& json);
  web::json::value ToJson() const;

  bool Empty() const { return mainUrl_.empty(); }
  // Base URL of the application server (no path, no trailing slash).
  const std::string& MainUrl() const { return mainUrl_; }
  // Base URL of the patch server.
  const std::string& PatchUrl() const { return patchUrl_; }
  // File name of the program's executable; it holds no "_", which marks
  // the staged copy during an update.
  const std::string& ExeFile() const { return exeFile_; }
  // File name of the saved login.
  const std::string& FacebookFile() const { return facebookFile_; }

 private:
  std::string mainUrl_;
  std::string patchUrl_;
  std::string exeFile_;
  std::string facebookFile_;
};

// Seals the built-in configuration over the file at every start, so that
// the file never carries settings from one run to the next. A file that
// cannot be written is left alone (false); LoadConfig then reads what it
// holds.
bool WriteDefaultConfig(const std::filesystem::path& path = kConfigFileName,
                        const Endpoints& endpoints = ReadEndpoints());

// Reads the sealed configuration. False, with `config` untouched, when the
// file is missing, longer than 1024 bytes, does not decrypt, or does not
// hold the four keys; start-up ends silently then.
bool LoadConfig(ServerConfig& config, const std::filesystem::path& path = kConfigFileName);

}  // namespace vel
