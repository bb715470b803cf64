#include "reply_writer.h"

#include <cpprest/asyncrt_utils.h>

#include "server/packet_cipher.h"

namespace vel::companion {
namespace {

using web::json::value;

void Write(const value& json, std::string& out) {
  switch (json.type()) {
    case value::Object: {
      out += '{';
      bool first = true;
      for (const auto& [key, member] : json.as_object()) {
        if (!first) out += ',';
        first = false;
        out += value::string(key).serialize();
        out += ':';
        Write(member, out);
      }
      out += '}';
      break;
    }
    case value::Array: {
      out += '[';
      bool first = true;
      for (const value& element : json.as_array()) {
        if (!first) out += ',';
        first = false;
        Write(element, out);
      }
      out += ']';
      break;
    }
    case value::Number: {
      std::string text = json.serialize();
      if (!json.is_integer() && text.find_first_of(".eE") == std::string::npos) text += ".0";
      out += text;
      break;
    }
    default: out += json.serialize(); break;
  }
}

}  // namespace

std::string SerializeReply(const value& reply) {
  std::string out;
  Write(reply, out);
  return out;
}

std::optional<std::string> SealReplyBody(const value& reply) {
  const auto cipher = PacketCipher().Encrypt(SerializeReply(reply));
  if (!cipher) return std::nullopt;
  value body = value::object();
  body["packet"] = value::string(utility::conversions::to_base64(*cipher));
  return body.serialize();
}

}  // namespace vel::companion
