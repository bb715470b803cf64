#include "support/companion_server.h"

#include <cpprest/http_client.h>
#include <cpprest/uri_builder.h>

#include <stdexcept>

#include "server/login_rules.h"
#include "support/loopback_server.h"
#include "support/wait_until.h"

namespace vel::test {
namespace {

namespace fs = std::filesystem;
using web::json::value;

std::string Address(int port) { return "127.0.0.1:" + std::to_string(port); }

std::string FormEscape(const std::string& text) { return web::uri::encode_data_string(text); }

}  // namespace

RunningCompanionServer::RunningCompanionServer() : RunningCompanionServer(Setup{}) {}

RunningCompanionServer::RunningCompanionServer(Setup setup) : setup_(setup) {
  database_ = folder_ / "vel-server.db";
  patches_ = setup_.patches.empty() ? folder_ / "patches" : setup_.patches;
  fs::create_directories(patches_);
  StartOnFreePorts();
}

RunningCompanionServer::~RunningCompanionServer() {
  // Before its folder goes.
  server_.reset();
}

ServerConfig RunningCompanionServer::Config() const {
  Endpoints endpoints;
  endpoints.mainUrl = AppUrl();
  endpoints.patchUrl = PatchUrl();
  endpoints.facebookWeb = SignInUrl();
  endpoints.facebookGraph = SignInUrl();
  return ServerConfig::BuiltIn(endpoints);
}

std::unique_ptr<companion::CompanionServer> RunningCompanionServer::MakeServer(
    const companion::ServerOptions& options) const {
  return std::make_unique<companion::CompanionServer>(
      options, [mutex = logMutex_, log = log_](const std::string& line) {
        std::lock_guard lock(*mutex);
        // Time stamps are "YYYY-MM-DD HH:MM:SS.mmm ".
        log->push_back(line.size() > 24 ? line.substr(24) : line);
      });
}

void RunningCompanionServer::StartOnFreePorts() {
  // Another process may take a port between FreePort and the listener's
  // opening; try other ports then.
  for (int attempt = 0;; ++attempt) {
    companion::ServerOptions options;
    options.appAddress = Address(LoopbackServer::FreePort());
    options.patchAddress = Address(LoopbackServer::FreePort());
    options.signInAddress = Address(LoopbackServer::FreePort());
    options.database = setup_.database.empty() ? database_.string() : setup_.database;
    options.patches = patches_;
    options.importFrom = setup_.importFrom;
    options.strict = setup_.strict;
    options.demo = setup_.demo;
    options.queueLimit = setup_.queueLimit;
    server_ = MakeServer(options);
    try {
      server_->Start();
      return;
    } catch (const std::exception&) {
      if (attempt == 10) throw;
    }
  }
}

void RunningCompanionServer::Restart() {
  const companion::ServerOptions options = server_->Options();
  server_->Stop();
  server_ = MakeServer(options);
  // The same ports: the program's client keeps its address. A port may
  // take a moment to be free again after the stop.
  std::string refused;
  const bool started = WaitUntil([&] {
    try {
      server_->Start();
      return true;
    } catch (const std::exception& e) {
      refused = e.what();
      return false;
    }
  });
  if (!started) throw std::runtime_error("the restarted server did not start: " + refused);
}

std::vector<std::string> RunningCompanionServer::LogLines() const {
  std::lock_guard lock(*logMutex_);
  return *log_;
}

std::string SignInDialogToken(const std::string& signInUrl, const std::string& userName) {
  using web::http::client::http_client;
  const std::string redirect = signInUrl + "/connect/login_success.html";
  web::http::client::http_client_config config;
  config.set_max_redirects(0);  // the redirect address is what a browser would follow
  http_client client(signInUrl, config);
  web::http::http_request post(web::http::methods::POST);
  post.set_request_uri("/v2.8/dialog/oauth");
  const std::string body = "client_id=1234567890123456&redirect_uri=" + FormEscape(redirect) +
                           "&response_type=token&name=" + FormEscape(userName);
  post.set_body(std::vector<unsigned char>(body.begin(), body.end()));
  post.headers().set_content_type("application/x-www-form-urlencoded");
  const web::http::http_response response = client.request(post).get();
  if (response.status_code() != web::http::status_codes::Found) {
    throw std::runtime_error("the sign-in form answered " + std::to_string(response.status_code()));
  }
  const std::string location = response.headers().find("Location")->second;
  const auto at = location.find("access_token=");
  if (at == std::string::npos) throw std::runtime_error("no token in " + location);
  const auto start = at + 13;
  return location.substr(start, location.find('&', start) - start);
}

SignedInUser SignInUser(const RunningCompanionServer& server, PacketSender& sender,
                        JsonFetcher& fetcher, const std::string& userName) {
  value reply;
  if (!sender.SendPacket(AppTokenRequest(), reply)) throw std::runtime_error("header -1 failed");
  const std::string appToken = reply.at("appaccesstoken").as_string();

  SignedInUser user;
  user.accessToken = SignInDialogToken(server.SignInUrl(), userName);

  value graph;
  if (!fetcher.FetchJson(server.SignInUrl(), TokenCheckPath(user.accessToken, appToken), graph)) {
    throw std::runtime_error("the token check failed");
  }
  const auto userId = CheckedUserId(graph);
  if (!userId) throw std::runtime_error("the token check named no user");
  user.userId = *userId;

  if (!sender.SendPacket(AccountSignInRequest(user.userId, user.accessToken), reply)) {
    throw std::runtime_error("header 0 failed");
  }
  user.accountId = SignedInAccount(reply).value_or(0);
  user.teamName = SignedInTeamName(reply);
  user.sessionKey = SignedInSessionKey(reply);
  return user;
}

}  // namespace vel::test
