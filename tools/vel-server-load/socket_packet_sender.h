#pragma once

#include <netinet/in.h>

#include <optional>
#include <string>

#include "common/message_box.h"
#include "server/packet_sender.h"

namespace vel {

// Sends sealed requests to the application server as the program does (a
// POST of the sealed form, one connection per exchange, at most
// RequestExecutor::kMaxPacketReplyBytes of reply) over a blocking socket of its
// own, with no thread of an HTTP library between the client and the socket:
// a load costs the machine less this way and leaves more of it to the
// server. A failed exchange shows the program's connection message on
// `messageBox` and gives false.
class SocketPacketSender : public PacketSender {
 public:
  // `url`: "http://HOST:PORT" with a numeric IPv4 host; throws
  // std::runtime_error for another.
  SocketPacketSender(const std::string& url, MessageBox& messageBox);

  bool SendPacket(const web::json::value& request, web::json::value& reply) override;

 private:
  // The body of a status-200 reply, none for another status; throws
  // std::runtime_error for a broken exchange.
  std::optional<std::string> Exchange(const std::string& body) const;

  MessageBox& messageBox_;
  std::string host_;
  sockaddr_in address_{};
};

}  // namespace vel
