#pragma once

#include <cpprest/json.h>

#include <string>

#include "server/packet_sender.h"

namespace vel {

// Sends every packet with the session key a strict server gave at the
// sign-in ("sessionkey"), read at each send, so that a key given after
// this object was made goes along from then on. Without a key the packets
// go as they are. Blocks as the sender under it does.
class SessionKeySender : public PacketSender {
 public:
  SessionKeySender(PacketSender& sender, const std::string& key) : sender_(sender), key_(key) {}

  bool SendPacket(const web::json::value& request, web::json::value& reply) override;

 private:
  PacketSender& sender_;
  const std::string& key_;
};

}  // namespace vel
