#include "support/patch_server.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

#include <cpprest/json.h>

namespace vel::test {
namespace {

namespace fs = std::filesystem;
using web::http::status_codes;

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Decimal texts of any length compared as numbers.
bool NumericLess(const std::string& a, const std::string& b) {
  const auto strip = [](const std::string& s) {
    const auto first = s.find_first_not_of('0');
    return first == std::string::npos ? std::string() : s.substr(first);
  };
  const std::string x = strip(a);
  const std::string y = strip(b);
  return x.size() != y.size() ? x.size() < y.size() : x < y;
}

}  // namespace

PatchServer::PatchServer(fs::path releases)
    : releases_(std::move(releases)),
      server_([this](web::http::http_request& request, const ReceivedRequest& seen) {
        Answer(request, seen);
      }) {}

void PatchServer::Answer(web::http::http_request& request, const ReceivedRequest&) const {
  const web::uri uri = request.relative_uri();
  std::map<std::string, std::string> query;
  for (const auto& [key, value] : web::uri::split_query(uri.query())) {
    query[web::uri::decode(key)] = web::uri::decode(value);
  }
  if (uri.path() == "/" && query.count("version")) {
    std::vector<std::string> folders;
    for (const auto& entry : fs::directory_iterator(releases_)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_directory() && AllDigits(name) && NumericLess(query["version"], name)) {
        folders.push_back(name);
      }
    }
    std::sort(folders.begin(), folders.end(), NumericLess);
    std::vector<web::json::value> files;
    for (const std::string& folder : folders) {
      std::vector<std::string> names;
      for (const auto& entry : fs::directory_iterator(releases_ / folder)) {
        if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
      }
      std::sort(names.begin(), names.end());
      for (const std::string& name : names)
        files.push_back(web::json::value::string(folder + "/" + name));
    }
    web::json::value reply = web::json::value::object();
    reply["result"] = web::json::value::boolean(true);
    reply["files"] = web::json::value::array(files);
    Reply(request, status_codes::OK, reply.serialize());
    return;
  }
  if (uri.path() == "/test" && query.count("file")) {
    const std::string& file = query["file"];
    const auto slash = file.find('/');
    const fs::path local = releases_ / file;
    if (slash != std::string::npos && AllDigits(file.substr(0, slash)) &&
        file.find('/', slash + 1) == std::string::npos && file.find("..") == std::string::npos &&
        fs::is_regular_file(local)) {
      std::ifstream in(local, std::ios::binary);
      Reply(request, status_codes::OK, std::string(std::istreambuf_iterator<char>(in), {}),
            "application/octet-stream");
      return;
    }
  }
  Reply(request, status_codes::NotFound, "not found", "text/plain");
}

}  // namespace vel::test
