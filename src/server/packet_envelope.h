#pragma once

#include <cpprest/json.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vel {

// A sealed request carries at most 4096 bytes of ciphertext, so its compact
// JSON text may hold at most 4095 bytes; a reply's ciphertext at most 16 MiB.
inline constexpr std::size_t kMaxRequestText = 4095;
inline constexpr std::size_t kMaxReplyCipher = 16 * 1024 * 1024;

inline constexpr std::string_view kPacketField = "packet=";

// The request body "packet=" + Base64 of the sealed compact UTF-8 JSON text
// (standard alphabet with padding, not percent-encoded). Equal requests give
// equal bodies. No value for a request text longer than kMaxRequestText
// (with an "ERR: SealRequest() - ..." line on standard output) or a cipher
// failure; nothing is sent then.
std::optional<std::string> SealRequest(const web::json::value& request);

// Opens a reply body {"packet": Base64} into `reply`. Two kinds of failure,
// which the request executor treats differently:
//  - false, `reply` untouched: the ciphertext does not decrypt or is longer
//    than kMaxReplyCipher (a line on standard output says which);
//  - an exception of the std::exception family: the body is not an object,
//    `packet` is missing or not a string, bad Base64, the plaintext is not
//    UTF-8, or it is not JSON.
// The plaintext is cut at its first zero byte before it is parsed.
bool OpenReply(const web::json::value& body, web::json::value& reply);

// The core of OpenReply: a Base64 ciphertext into `value`, with the same
// two kinds of failure.
bool OpenPacket(const std::string& base64, web::json::value& value);

// The server's direction, for the companion server and the operators' tool:
// {"packet": Base64 of the sealed SerializeReply text} of a reply (none when
// the cipher fails), and the request inside a "packet=" body (the Base64
// text read literally; a body without the field throws).
std::optional<web::json::value> SealReply(const web::json::value& reply);
bool OpenRequest(std::string_view body, web::json::value& request);

// Base64 of the sealed compact JSON text, without any size limit.
std::optional<std::string> SealPacket(const web::json::value& value);

// Parses a decrypted plaintext: cut at the first zero byte, checked to be
// UTF-8, parsed as JSON; throws like OpenReply.
web::json::value ParsePlainText(std::string_view text);

}  // namespace vel
