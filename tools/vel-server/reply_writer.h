#pragma once

#include <cpprest/json.h>

#include <optional>
#include <string>

namespace vel::companion {

// Compact JSON text of a reply in which every floating number keeps a
// decimal point: the JSON library writes 45.0 as "45", which the program
// would read back as an integer (and show a best speed of 45 km/h in the
// ranking as "45" instead of "45.000000").
std::string SerializeReply(const web::json::value& reply);

// The reply body {"packet": Base64 of the sealed SerializeReply text}; no
// value when the cipher fails.
std::optional<std::string> SealReplyBody(const web::json::value& reply);

}  // namespace vel::companion
