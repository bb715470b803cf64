#pragma once

#include <cpprest/http_listener.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vel::test {

// What the server saw of one request.
struct ReceivedRequest {
  std::string method;
  std::string pathAndQuery;  // as sent, percent-encoding kept
  std::string contentType;
  std::string body;
};

// An HTTP server on 127.0.0.1 and a free port for the life of the object.
// Every request is recorded, then handed to the handler with what was
// recorded (its body is read by then); the handler must reply. A handler
// that throws answers 500.
class LoopbackServer {
 public:
  using Handler =
      std::function<void(web::http::http_request& request, const ReceivedRequest& seen)>;

  explicit LoopbackServer(Handler handler);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // "http://127.0.0.1:<port>", no trailing slash.
  const std::string& Url() const { return url_; }
  std::vector<ReceivedRequest> Received() const;

  // A port that nothing listens on right now (connections are refused).
  static int FreePort();

 private:
  void Serve(web::http::http_request request);

  Handler handler_;
  std::string url_;
  mutable std::mutex mutex_;
  std::vector<ReceivedRequest> received_;
  std::unique_ptr<web::http::experimental::listener::http_listener> listener_;
};

// Replies with `status` and `body` under `contentType`.
void Reply(web::http::http_request& request, web::http::status_code status, const std::string& body,
           const std::string& contentType = "application/json");

}  // namespace vel::test
