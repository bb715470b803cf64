#pragma once

#include <cpprest/json.h>

#include <string>

namespace vel {

// Compact JSON text of a reply, as SealReply seals it, in which every
// floating number keeps a decimal point: the JSON library writes 45.0 as "45", which the program
// would read back as an integer (and show a best speed of 45 km/h in the
// ranking as "45" instead of "45.000000").
std::string SerializeReply(const web::json::value& reply);

}  // namespace vel
