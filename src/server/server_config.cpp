#include "server/server_config.h"

#include "server/sealed_file.h"

namespace vel {
namespace {

constexpr char kExeFile[] = "vel";
constexpr char kFacebookFile[] = "VEL.f";

const std::string* StringAt(const web::json::value& json, const char* group, const char* key) {
  if (!json.is_object() || !json.has_object_field(group)) return nullptr;
  const web::json::value& inner = json.at(group);
  if (!inner.has_string_field(key)) return nullptr;
  return &inner.at(key).as_string();
}

}  // namespace

ServerConfig ServerConfig::BuiltIn(const Endpoints& endpoints) {
  ServerConfig config;
  config.mainUrl_ = endpoints.mainUrl;
  config.patchUrl_ = endpoints.patchUrl;
  config.exeFile_ = kExeFile;
  config.facebookFile_ = kFacebookFile;
  return config;
}

std::optional<ServerConfig> ServerConfig::FromJson(const web::json::value& json) {
  const std::string* main = StringAt(json, "url", "main");
  const std::string* patch = StringAt(json, "url", "patch");
  const std::string* exe = StringAt(json, "file", "exe");
  const std::string* facebook = StringAt(json, "file", "facebook");
  if (!main || !patch || !exe || !facebook || main->empty()) return std::nullopt;
  ServerConfig config;
  config.mainUrl_ = *main;
  config.patchUrl_ = *patch;
  config.exeFile_ = *exe;
  config.facebookFile_ = *facebook;
  return config;
}

web::json::value ServerConfig::ToJson() const {
  web::json::value json = web::json::value::object();
  json["url"]["main"] = web::json::value::string(mainUrl_);
  json["url"]["patch"] = web::json::value::string(patchUrl_);
  json["file"]["exe"] = web::json::value::string(exeFile_);
  json["file"]["facebook"] = web::json::value::string(facebookFile_);
  return json;
}

bool WriteDefaultConfig(const std::filesystem::path& path, const Endpoints& endpoints) {
  // The file is read back with the 1024-byte limit; a longer one (only
  // possible with very long overridden addresses) is written anyway so that
  // no stale configuration survives, and LoadConfig refuses it.
  return WriteSealedFile(path, ServerConfig::BuiltIn(endpoints).ToJson(),
                         static_cast<std::size_t>(-1));
}

bool LoadConfig(ServerConfig& config, const std::filesystem::path& path) {
  const SealedFile file = ReadSealedFile(path);
  if (file.status != SealedFileStatus::kOk) return false;
  auto loaded = ServerConfig::FromJson(file.value);
  if (!loaded) return false;
  config = std::move(*loaded);
  return true;
}

}  // namespace vel
