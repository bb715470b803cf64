#include "support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace vel::test {

int LoopbackServer::FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) throw std::runtime_error("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  const bool ok = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  ::close(fd);
  if (!ok) throw std::runtime_error("no free port");
  return ntohs(address.sin_port);
}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
  // Another process may take the port between FreePort and open; try again.
  for (int attempt = 0;; ++attempt) {
    url_ = "http://127.0.0.1:" + std::to_string(FreePort());
    listener_ = std::make_unique<web::http::experimental::listener::http_listener>(url_);
    listener_->support([this](web::http::http_request request) { Serve(std::move(request)); });
    try {
      listener_->open().wait();
      return;
    } catch (const std::exception&) {
      if (attempt == 10) throw;
    }
  }
}

LoopbackServer::~LoopbackServer() {
  try {
    listener_->close().wait();
  } catch (const std::exception&) {
  }
}

std::vector<ReceivedRequest> LoopbackServer::Received() const {
  std::lock_guard lock(mutex_);
  return received_;
}

void LoopbackServer::Serve(web::http::http_request request) {
  ReceivedRequest seen;
  seen.method = request.method();
  seen.pathAndQuery = request.relative_uri().to_string();
  seen.contentType = request.headers().content_type();
  seen.body = request.extract_utf8string(true).get();
  {
    std::lock_guard lock(mutex_);
    received_.push_back(seen);
  }
  try {
    handler_(request, seen);
  } catch (const std::exception&) {
    request.reply(web::http::status_codes::InternalError).wait();
  }
}

void Reply(web::http::http_request& request, web::http::status_code status, const std::string& body,
           const std::string& contentType) {
  web::http::http_response response(status);
  // Bytes, not text: the text overloads of set_body cast between stream
  // buffer types, which UBSan reports.
  response.set_body(std::vector<unsigned char>(body.begin(), body.end()));
  response.headers().set_content_type(contentType);
  request.reply(response).wait();
}

}  // namespace vel::test
