#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "server/json_fetcher.h"
#include "server/packet_sender.h"
#include "server/server_config.h"
#include "support/scratch_folder.h"
#include "vel-server/companion_server.h"

namespace vel::test {

// The companion server (application server, patch server, development
// sign-in) running in-process on free loopback ports, over a database and a
// patch folder in a temporary folder that is removed with the object.
class RunningCompanionServer {
 public:
  struct Setup {
    bool demo = false;  // seed the demo team first (as vel-server --demo)
    // A folder of releases to serve; empty: a temporary one.
    std::filesystem::path patches;
    // Requests that may wait for the server's workers.
    std::size_t queueLimit = companion::ServerOptions{}.queueLimit;
    // The database as --database names it; empty: a SQLite file in the
    // temporary folder (DatabasePath).
    std::string database{};
    bool strict = false;  // session keys (--strict)
    // A SQLite database to copy into `database` first (--import).
    std::string importFrom{};
  };

  RunningCompanionServer();
  explicit RunningCompanionServer(Setup setup);
  ~RunningCompanionServer();
  RunningCompanionServer(const RunningCompanionServer&) = delete;
  RunningCompanionServer& operator=(const RunningCompanionServer&) = delete;

  // "http://127.0.0.1:<port>", no trailing slash.
  std::string AppUrl() const { return server_->AppUrl(); }
  std::string PatchUrl() const { return server_->PatchUrl(); }
  std::string SignInUrl() const { return server_->SignInUrl(); }
  // A configuration whose main and patch addresses are this server's.
  ServerConfig Config() const;

  const std::filesystem::path& PatchFolder() const { return patches_; }
  const std::filesystem::path& DatabasePath() const { return database_; }

  // Stops and starts again on the same database, folder and ports, as a
  // restarted vel-server would (to check that what was answered was kept).
  void Restart();
  companion::CompanionServer& Server() { return *server_; }

  // The log lines written so far, without their time stamps.
  std::vector<std::string> LogLines() const;

 private:
  std::unique_ptr<companion::CompanionServer> MakeServer(
      const companion::ServerOptions& options) const;
  void StartOnFreePorts();

  Setup setup_;
  ScratchFolder folder_;
  std::filesystem::path database_;
  std::filesystem::path patches_;
  std::unique_ptr<companion::CompanionServer> server_;
  std::shared_ptr<std::mutex> logMutex_ = std::make_shared<std::mutex>();
  std::shared_ptr<std::vector<std::string>> log_ = std::make_shared<std::vector<std::string>>();
};

struct SignedInUser {
  std::string userId;       // the sign-in's user id
  std::string accessToken;  // the user token the sign-in issued
  std::uint64_t accountId = 0;
  std::string teamName;
  std::string sessionKey{};  // a strict server's; empty from another
};

// Signs `userName` in the way the program does: header -1 for the
// application's token, the sign-in dialog's form (its redirect carries the
// user token), the token check, and header 0. Throws std::runtime_error
// naming the step that failed.
SignedInUser SignInUser(const RunningCompanionServer& server, PacketSender& sender,
                        JsonFetcher& fetcher, const std::string& userName);

// The user token the sign-in dialog hands out for `userName` (the text after
// "access_token=" of its redirect address).
std::string SignInDialogToken(const std::string& signInUrl, const std::string& userName);

}  // namespace vel::test
