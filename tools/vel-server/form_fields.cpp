#include "form_fields.h"

#include <charconv>

namespace vel::companion {

std::optional<std::string> PercentDecode(std::string_view text, PlusSign plus) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+' && plus == PlusSign::kSpace) {
      out += ' ';
    } else if (c == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      // Two hexadecimal digits; no sign or prefix is taken.
      const char* digits = text.data() + i + 1;
      unsigned byte = 0;
      const auto [end, error] = std::from_chars(digits, digits + 2, byte, 16);
      if (error != std::errc() || end != digits + 2) return std::nullopt;
      out += static_cast<char>(byte);
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> FormValue(std::string_view body, std::string_view name, PlusSign plus) {
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string_view::npos) end = body.size();
    const std::string_view field = body.substr(start, end - start);
    const std::size_t equals = field.find('=');
    const std::string_view key = field.substr(0, equals);
    const auto decodedKey = PercentDecode(key, PlusSign::kSpace);
    if (decodedKey && *decodedKey == name) {
      if (equals == std::string_view::npos) return std::string();
      return PercentDecode(field.substr(equals + 1), plus);
    }
    start = end + 1;
  }
  return std::nullopt;
}

std::map<std::string, std::string> ParseQuery(std::string_view query) {
  std::map<std::string, std::string> fields;
  std::size_t start = 0;
  while (start < query.size()) {
    std::size_t end = query.find('&', start);
    if (end == std::string_view::npos) end = query.size();
    const std::string_view field = query.substr(start, end - start);
    const std::size_t equals = field.find('=');
    const auto key = PercentDecode(field.substr(0, equals), PlusSign::kItself);
    const auto value = equals == std::string_view::npos
                           ? std::optional<std::string>("")
                           : PercentDecode(field.substr(equals + 1), PlusSign::kItself);
    if (key && value && !key->empty()) fields.emplace(*key, *value);
    start = end + 1;
  }
  return fields;
}

}  // namespace vel::companion
