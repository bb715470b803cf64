#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vel::companion {

// How vel-server is started. Addresses are "HOST:PORT" (an "http://"
// before them is allowed).
struct ServerOptions {
  std::string appAddress = "127.0.0.1:3000";
  std::string patchAddress = "127.0.0.1:1337";
  std::string signInAddress = "127.0.0.1:3001";
  // What OpenStoreDatabase opens: "sqlite:PATH", "postgresql://...", or a
  // bare path of a SQLite file (--db FILE).
  std::string database = "vel-server.db";
  // "sqlite:PATH" of a database to copy into an empty `database` before
  // the start (--import); empty: none.
  std::string importFrom;
  // Session keys: every request after the sign-in must carry the key of
  // the account that owns what it names (--strict).
  bool strict = false;
  std::filesystem::path patches = "patches";
  bool demo = false;
  // Requests that may wait for a worker at once; any more are answered
  // 503 (not on the command line).
  std::size_t queueLimit = 64;
};

// What --help prints (without the last line break).
extern const char kServerUsage[];

// The options of a command line (without the program name); no value, with
// `error` set, for an unknown option, a missing value or a bad address.
// A lone --help is answered before (tools/common/command_line.h).
std::optional<ServerOptions> ParseServerOptions(const std::vector<std::string>& args,
                                                std::string& error);

// "http://HOST:PORT" of an address as given; no value when it is not one.
std::optional<std::string> ListenUrl(const std::string& address);

}  // namespace vel::companion
