#include "server/packet_envelope.h"

#include <cpprest/asyncrt_utils.h>

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "server/packet_cipher.h"
#include "server/reply_serializer.h"
#include "server/wire_fields.h"

namespace vel {

namespace {

// Base64 of a sealed text: the one sealing of both directions.
std::optional<std::string> SealText(const std::string& text) {
  const auto cipher = PacketCipher().Encrypt(text);
  if (!cipher) return std::nullopt;
  return utility::conversions::to_base64(*cipher);
}

}  // namespace

std::optional<std::string> SealPacket(const web::json::value& value) {
  return SealText(value.serialize());
}

std::optional<std::string> SealRequest(const web::json::value& request) {
  const std::string text = request.serialize();
  if (text.size() > kMaxRequestText) {
    std::printf("ERR: SealRequest() - request of %zu bytes is longer than %zu\n", text.size(),
                kMaxRequestText);
    std::fflush(stdout);
    return std::nullopt;
  }
  const auto base64 = SealText(text);
  if (!base64) return std::nullopt;
  return std::string(kPacketField) + *base64;
}

web::json::value ParsePlainText(std::string_view text) {
  const auto end = text.find('\0');
  const std::string json(text.substr(0, end));
  // The wire carries UTF-8; the conversion throws std::range_error on
  // anything else, before the parser sees it.
  (void)utility::conversions::utf8_to_utf16(json);
  return web::json::value::parse(json);
}

bool OpenPacket(const std::string& base64, web::json::value& value) {
  const std::vector<unsigned char> cipher = utility::conversions::from_base64(base64);
  if (cipher.size() > kMaxReplyCipher) {
    std::printf("ERR: OpenReply() - ciphertext of %zu bytes is longer than %zu\n", cipher.size(),
                kMaxReplyCipher);
    std::fflush(stdout);
    return false;
  }
  const auto plain = PacketCipher().Decrypt(cipher);
  if (!plain) return false;
  value = ParsePlainText(PacketCipher::PlainText(*plain));
  return true;
}

bool OpenReply(const web::json::value& body, web::json::value& reply) {
  return OpenPacket(body.at(wire_field::kPacket).as_string(), reply);
}

std::optional<web::json::value> SealReply(const web::json::value& reply) {
  auto base64 = SealText(SerializeReply(reply));
  if (!base64) return std::nullopt;
  web::json::value body = web::json::value::object();
  body[wire_field::kPacket] = web::json::value::string(std::move(*base64));
  return body;
}

bool OpenRequest(std::string_view body, web::json::value& request) {
  if (!body.starts_with(kPacketField)) {
    throw std::invalid_argument("the body has no \"packet=\" field");
  }
  return OpenPacket(std::string(body.substr(kPacketField.size())), request);
}

}  // namespace vel
