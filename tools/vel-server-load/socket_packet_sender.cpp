#include "socket_packet_sender.h"

#include <arpa/inet.h>
#include <cpprest/base_uri.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "server/packet_envelope.h"
#include "server/request_executor.h"
#include "server/wire_fields.h"

namespace vel {
namespace {

constexpr char kHeadEnd[] = "\r\n\r\n";

// A connected socket, closed with the object.
class Connection {
 public:
  explicit Connection(const sockaddr_in& address) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    if (fd_ < 0 ||
        ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      Fail("connect");
    }
  }
  ~Connection() {
    if (fd_ >= 0) ::close(fd_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  void WriteAll(const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
      const ssize_t wrote = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (wrote < 0 && errno == EINTR) continue;
      if (wrote <= 0) Fail("send");
      sent += static_cast<std::size_t>(wrote);
    }
  }

  // Everything until the peer closes, at most `limit` bytes.
  std::string ReadToEnd(std::size_t limit) {
    std::string in;
    char part[16 * 1024];
    for (;;) {
      const ssize_t got = ::recv(fd_, part, sizeof part, 0);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Fail("recv");
      if (got == 0) return in;
      if (in.size() + static_cast<std::size_t>(got) > limit) {
        throw std::runtime_error("the reply is too long");
      }
      in.append(part, static_cast<std::size_t>(got));
    }
  }

 private:
  [[noreturn]] static void Fail(const char* what) {
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
  }

  int fd_;
};

}  // namespace

SocketPacketSender::SocketPacketSender(const std::string& url, MessageBox& messageBox)
    : messageBox_(messageBox) {
  const web::uri address(url);
  const int port = address.port() > 0 ? address.port() : 80;
  host_ = address.host() + ":" + std::to_string(port);
  address_.sin_family = AF_INET;
  address_.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::inet_pton(AF_INET, address.host().c_str(), &address_.sin_addr) != 1) {
    throw std::runtime_error("not a numeric IPv4 address: " + url);
  }
}

bool SocketPacketSender::SendPacket(const web::json::value& request, web::json::value& reply) {
  const auto body = SealRequest(request);
  if (!body) return false;
  try {
    // Another status is the server's refusal, told by the status alone.
    const auto answer = Exchange(*body);
    if (!answer || !OpenReply(web::json::value::parse(*answer), reply)) return false;
  } catch (const std::exception&) {
    messageBox_.Show(kCheckConnectionMessage);
    return false;
  }
  return reply.is_object() && reply.has_boolean_field(wire_field::kResult) &&
         reply.at(wire_field::kResult).as_bool();
}

std::optional<std::string> SocketPacketSender::Exchange(const std::string& body) const {
  Connection connection(address_);
  connection.WriteAll("POST / HTTP/1.1\r\nHost: " + host_ +
                      "\r\nContent-Type: application/x-www-form-urlencoded; charset=utf-8"
                      "\r\nContent-Length: " +
                      std::to_string(body.size()) + "\r\nConnection: close" + kHeadEnd + body);
  // The server closes the connection after its reply.
  const std::string in = connection.ReadToEnd(RequestExecutor::kMaxPacketReplyBytes + 4096);
  const auto headEnd = in.find(kHeadEnd);
  if (in.rfind("HTTP/1.", 0) != 0 || headEnd == std::string::npos) {
    throw std::runtime_error("not an HTTP reply");
  }
  if (in.compare(8, 5, " 200 ") != 0) return std::nullopt;
  return in.substr(headEnd + sizeof kHeadEnd - 1);
}

}  // namespace vel
