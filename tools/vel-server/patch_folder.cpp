#include "patch_folder.h"

#include <cpprest/json.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <system_error>

#include "server/wire_fields.h"

namespace vel::companion {
namespace {

namespace fs = std::filesystem;

// Whether the canonical `real` lies inside the canonical `root`.
bool Within(const fs::path& real, const fs::path& root) {
  const auto [rootEnd, realAt] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
  return rootEnd == root.end();
}

// Whether `path`, with every link followed, lies inside `root`.
bool Inside(const fs::path& path, const fs::path& root) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  return !error && Within(real, root);
}

// The entries of a folder; none when it cannot be read (also half way).
std::vector<fs::directory_entry> Entries(const fs::path& folder) {
  std::vector<fs::directory_entry> entries;
  std::error_code error;
  fs::directory_iterator it(folder, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) entries.push_back(*it);
  if (error) return {};
  return entries;
}

bool IsCanonicalNumber(const std::string& name) {
  return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos &&
         (name.size() == 1 || name[0] != '0');
}

HttpAnswer Json(int status, const web::json::value& body) {
  return HttpAnswer{status, "application/json", body.serialize(), {}, {}};
}

HttpAnswer Text(int status, std::string text) {
  return HttpAnswer{status, "text/plain; charset=utf-8", std::move(text) + "\n", {}, {}};
}

HttpAnswer Refusal(const std::string& message) {
  web::json::value body = web::json::value::object(true);
  body[wire_field::kResult] = web::json::value::boolean(false);
  body[wire_field::kError] = web::json::value::string(message);
  return Json(200, body);
}

}  // namespace

std::optional<std::uint64_t> PatchFolder::ParseVersion(std::string_view text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char c : text) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

std::vector<std::string> PatchFolder::FilesAbove(std::uint64_t version) const {
  std::error_code error;
  const fs::path root = fs::canonical(root_, error);
  if (error) return {};
  std::vector<std::pair<std::uint64_t, std::string>> folders;
  for (const auto& entry : Entries(root)) {
    const std::string name = entry.path().filename().string();
    if (!IsCanonicalNumber(name)) continue;
    const auto number = ParseVersion(name);
    if (!number || *number <= version) continue;
    if (!entry.is_directory(error) || !Inside(entry.path(), root)) continue;
    folders.emplace_back(*number, name);
  }
  std::sort(folders.begin(), folders.end());
  std::vector<std::string> files;
  for (const auto& [number, folder] : folders) {
    std::vector<std::string> names;
    for (const auto& entry : Entries(root / folder)) {
      const std::string name = entry.path().filename().string();
      if (name.starts_with('.') || !entry.is_regular_file(error)) continue;
      if (!Inside(entry.path(), root)) continue;
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) files.push_back(folder + "/" + name);
  }
  return files;
}

PatchFolder::Lookup PatchFolder::Resolve(std::string_view file, fs::path& found) const {
  if (file.empty() || file.front() == '/' || file.find('\\') != std::string_view::npos ||
      file.find('\0') != std::string_view::npos) {
    return Lookup::kRefused;
  }
  std::size_t start = 0;
  while (start <= file.size()) {
    std::size_t end = file.find('/', start);
    if (end == std::string_view::npos) end = file.size();
    const std::string_view part = file.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return Lookup::kRefused;
    start = end + 1;
  }
  std::error_code error;
  const fs::path root = fs::canonical(root_, error);
  if (error) return Lookup::kMissing;
  // Links are followed as far as they lead before anything is looked at.
  const fs::path real = fs::weakly_canonical(root / fs::path(std::string(file)), error);
  if (error) return Lookup::kMissing;
  if (!Within(real, root)) return Lookup::kRefused;
  if (!fs::is_regular_file(fs::status(real, error))) return Lookup::kMissing;
  found = real;
  return Lookup::kFound;
}

HttpAnswer PatchFolder::Answer(std::string_view method, std::string_view path,
                               const Query& query) const {
  if (method != "GET") return Text(405, "only GET");
  if (path == "/" || path.empty()) {
    const auto given = query.find(wire_field::kVersion);
    if (given == query.end()) return Refusal("no version");
    const auto version = ParseVersion(given->second);
    if (!version) return Refusal("the version is not a decimal number");
    web::json::value body = web::json::value::object(true);
    body[wire_field::kResult] = web::json::value::boolean(true);
    web::json::value files = web::json::value::array();
    for (const std::string& file : FilesAbove(*version)) {
      files[files.size()] = web::json::value::string(file);
    }
    body[wire_field::kFiles] = files;
    return Json(200, body);
  }
  if (path == "/test") {
    const auto given = query.find(wire_field::kFile);
    if (given == query.end()) return Text(404, "no file named");
    fs::path found;
    switch (Resolve(given->second, found)) {
      case Lookup::kRefused: return Text(403, "refused: the path leaves the patch folder");
      case Lookup::kMissing: return Text(404, "no such file");
      case Lookup::kFound: break;
    }
    if (!std::ifstream(found, std::ios::binary).is_open()) {
      return Text(404, "the file cannot be read");
    }
    return HttpAnswer{200, "application/octet-stream", {}, {}, found};
  }
  return Text(404, "no such page");
}

}  // namespace vel::companion
