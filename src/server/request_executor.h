#pragma once

#include <cpprest/http_client.h>
#include <cpprest/json.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include "common/message_box.h"
#include "server/json_fetcher.h"
#include "server/packet_envelope.h"
#include "server/packet_sender.h"
#include "server/patch_source.h"
#include "server/server_config.h"

namespace vel {

// Shown for any exception during an exchange (no connection, a broken
// transfer, a reply that is not what the server should send).
inline constexpr char kCheckConnectionMessage[] = "인터넷 상태를 체크해 주세요.";

// The program's one way to its servers. Every call is synchronous: it
// returns when the exchange is over, and the reply's continuation (run on
// a thread of the HTTP library) has written the caller's reply value
// before the call returns. A reply that says no, a status other than 200
// or a ciphertext that does not decrypt gives false silently; the caller
// decides what to show. An exception shows kCheckConnectionMessage once
// and gives false. There is no retry and no time-out of the program's own.
class RequestExecutor : public PacketSender, public PatchSource, public JsonFetcher {
 public:
  RequestExecutor(ServerConfig config, MessageBox& messageBox);
  ~RequestExecutor() override;
  RequestExecutor(const RequestExecutor&) = delete;
  RequestExecutor& operator=(const RequestExecutor&) = delete;

  // POST of SealRequest's body to the application server's base URL. The
  // client is made on the first call (once, whatever the number of threads
  // calling) and kept, so later changes of the configuration do not reach
  // it. A request too long to seal is not sent.
  bool SendPacket(const web::json::value& request, web::json::value& reply) override;

  bool FetchPatchInfo(const std::string& pathAndQuery, web::json::value& reply) override;
  bool DownloadPatchFile(const std::string& file, const std::filesystem::path& local,
                         std::uint64_t maxBytes) override;
  Answer FetchJsonAnswer(const std::string& baseUrl, const std::string& pathAndQuery,
                         web::json::value& reply) override;

  // Update information and the sign-in's answers are a few kilobytes; a
  // longer body fails the exchange as unreadable before it is decoded.
  static constexpr std::uint64_t kMaxReplyBytes = 1024 * 1024;
  // An application server's reply may carry the sealed member list of a
  // team at its limits (several megabytes): up to the Base64 of the
  // largest ciphertext a reply may have, in its envelope.
  static constexpr std::uint64_t kMaxPacketReplyBytes = (kMaxReplyCipher + 2) / 3 * 4 + 1024;

  // How many application-server clients were made (one at most).
  int MainClientsMade() const { return mainClientsMade_.load(); }

 private:
  web::http::client::http_client& MainClient();
  Answer GetJson(const std::string& baseUrl, const std::string& pathAndQuery,
                 web::json::value& reply);

  const ServerConfig config_;
  MessageBox& messageBox_;
  std::once_flag mainOnce_;
  std::unique_ptr<web::http::client::http_client> main_;
  std::atomic<int> mainClientsMade_{0};
};

}  // namespace vel
