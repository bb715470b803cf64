#include "server/session_key_sender.h"

#include "server/wire_fields.h"

namespace vel {

bool SessionKeySender::SendPacket(const web::json::value& request, web::json::value& reply) {
  if (key_.empty() || !request.is_object()) return sender_.SendPacket(request, reply);
  web::json::value keyed = request;
  keyed[wire_field::kSessionKey] = web::json::value::string(key_);
  return sender_.SendPacket(keyed, reply);
}

}  // namespace vel
