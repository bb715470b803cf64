#pragma once

#include <cpprest/json.h>

#include <cstdint>
#include <optional>
#include <string>

namespace vel {

// Readers of members of outside JSON (server replies, events). Each gives
// nothing when the member is missing, null, or of a kind it cannot take, so
// a reply of the wrong shape never throws past them.
bool HasNonNull(const web::json::value& object, const std::string& key);
// Ids: unsigned 64-bit; a floating number is converted when it is a whole,
// non-negative number in range.
std::optional<std::uint64_t> ReadId(const web::json::value& object, const std::string& key);
// Small integers: signed 32-bit; a floating number is truncated.
std::optional<std::int32_t> ReadInt(const web::json::value& object, const std::string& key);
std::optional<double> ReadNumber(const web::json::value& object, const std::string& key);
std::optional<bool> ReadBool(const web::json::value& object, const std::string& key);
std::optional<std::string> ReadString(const web::json::value& object, const std::string& key);

}  // namespace vel
