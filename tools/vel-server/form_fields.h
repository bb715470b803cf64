#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace vel::companion {

// How a form body's "+" reads. Browsers encode a space as "+"; the program
// puts its Base64 packet into the body as it is, so there "+" is itself.
enum class PlusSign { kItself, kSpace };

// Decodes %XX escapes (and "+" as `plus` says). No value for a malformed
// escape.
std::optional<std::string> PercentDecode(std::string_view text, PlusSign plus);

// The value of the first field `name` of an application/x-www-form-urlencoded
// body ("a=1&b=2"), decoded. No value when the field is missing or its
// escapes are malformed.
std::optional<std::string> FormValue(std::string_view body, std::string_view name, PlusSign plus);

// Every field of a query string ("a=1&b=%2F"), decoded with "+" as itself;
// the first of two equal names wins and malformed fields are left out.
std::map<std::string, std::string> ParseQuery(std::string_view query);

}  // namespace vel::companion
