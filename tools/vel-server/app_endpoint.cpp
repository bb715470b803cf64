#include "app_endpoint.h"

#include <cpprest/asyncrt_utils.h>

#include <exception>
#include <vector>

#include "form_fields.h"
#include "server/packet_cipher.h"
#include "server/packet_envelope.h"
#include "server/request_catalogue.h"
#include "server/wire_fields.h"

namespace vel::companion {
namespace {

using web::json::value;

value Refused(int code, const std::string& message) {
  return AppRequestHandler::Refusal(value::null(), code, message);
}

// The body when not even a refusal could be sealed: {"result":false}.
std::string RefusedBody() {
  value body = value::object();
  body[wire_field::kResult] = value::boolean(false);
  return body.serialize();
}

}  // namespace

AppEndpoint::Opened AppEndpoint::Open(std::string_view body) {
  const auto refused = [](int code, const std::string& message) {
    return Opened{std::nullopt, Refused(code, message)};
  };
  if (body.size() > kMaxBody) return refused(errcode::kBadForm, "the body is too long");
  // Base64 has no "%", so decoding escapes only helps clients that encode
  // the field; a "+" stays a "+".
  const auto packet = FormValue(body, wire_field::kPacket, PlusSign::kItself);
  if (!packet) return refused(errcode::kBadForm, "the body has no \"packet\" field");
  std::vector<unsigned char> cipher;
  try {
    cipher = utility::conversions::from_base64(*packet);
  } catch (const std::exception&) {
    return refused(errcode::kBadPacket, "the packet is not Base64");
  }
  const auto plain = PacketCipher().Decrypt(cipher);
  if (!plain) return refused(errcode::kBadPacket, "the packet does not decrypt");
  try {
    return Opened{ParsePlainText(PacketCipher::PlainText(*plain)), value::null()};
  } catch (const std::exception&) {
    return refused(errcode::kNotJson, "the packet is not UTF-8 JSON");
  }
}

AppAnswer AppEndpoint::Answer(std::string_view body) const {
  const Opened opened = Open(body);
  return Seal(opened.request ? handler_.Handle(*opened.request) : opened.refusal);
}

AppAnswer AppEndpoint::Seal(const value& reply) {
  AppAnswer answer;
  const auto sealed = SealReply(reply);
  if (!sealed) {
    answer.status = 400;
    answer.body = RefusedBody();
    return answer;
  }
  answer.body = sealed->serialize();
  const value& header = reply.at(wire_field::kHeader);
  if (header.is_integer()) answer.header = header.as_integer();
  answer.result = reply.at(wire_field::kResult).as_bool();
  if (reply.has_field(wire_field::kErrcode))
    answer.errcode = reply.at(wire_field::kErrcode).as_integer();
  return answer;
}

}  // namespace vel::companion
