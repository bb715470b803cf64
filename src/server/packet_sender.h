#pragma once

#include <cpprest/json.h>

namespace vel {

// Sends one sealed request to the application server and waits for the
// opened reply. True only when the reply's "result" is true; `reply` is
// filled whenever a reply could be opened, so a caller can read "errcode"
// after a false.
class PacketSender {
 public:
  virtual ~PacketSender() = default;
  virtual bool SendPacket(const web::json::value& request, web::json::value& reply) = 0;
};

}  // namespace vel
