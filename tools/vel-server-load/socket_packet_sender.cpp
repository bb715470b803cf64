#include "socket_packet_sender.h"

#include <cpprest/base_uri.h>

#include <array>
#include <boost/asio/buffer.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>
#include <exception>
#include <stdexcept>

#include "server/packet_envelope.h"
#include "server/request_executor.h"

namespace vel {
namespace {

using boost::asio::ip::tcp;

constexpr char kHeadEnd[] = "\r\n\r\n";

}  // namespace

SocketPacketSender::SocketPacketSender(const std::string& url, MessageBox& messageBox)
    : messageBox_(messageBox) {
  const web::uri address(url);
  const int port = address.port() > 0 ? address.port() : 80;
  host_ = address.host() + ":" + std::to_string(port);
  endpoint_ = tcp::endpoint(boost::asio::ip::make_address(address.host()),
                            static_cast<unsigned short>(port));
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
  return reply.is_object() && reply.has_boolean_field("result") && reply.at("result").as_bool();
}

std::optional<std::string> SocketPacketSender::Exchange(const std::string& body) {
  tcp::socket socket(io_);
  socket.connect(endpoint_);
  const std::string head = "POST / HTTP/1.1\r\nHost: " + host_ +
                           "\r\nContent-Type: application/x-www-form-urlencoded; charset=utf-8"
                           "\r\nContent-Length: " +
                           std::to_string(body.size()) + "\r\nConnection: close" + kHeadEnd;
  boost::asio::write(socket, std::array{boost::asio::buffer(head), boost::asio::buffer(body)});
  // The server closes the connection after its reply: read to the end.
  std::string in;
  boost::system::error_code error;
  boost::asio::read(socket, boost::asio::dynamic_buffer(in, RequestExecutor::kMaxReplyBytes + 4096),
                    error);
  if (error != boost::asio::error::eof)
    throw std::runtime_error("broken reply: " + error.message());
  const auto headEnd = in.find(kHeadEnd);
  if (in.rfind("HTTP/1.", 0) != 0 || headEnd == std::string::npos) {
    throw std::runtime_error("not an HTTP reply");
  }
  if (in.compare(8, 5, " 200 ") != 0) return std::nullopt;
  return in.substr(headEnd + sizeof kHeadEnd - 1);
}

}  // namespace vel
