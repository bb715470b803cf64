#include "form_fields.h"

namespace vel::companion {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> PercentDecode(std::string_view text, PlusSign plus) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+' && plus == PlusSign::kSpace) {
      out += ' ';
    } else if (c == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high < 0 || low < 0) return std::nullopt;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> FormValue(std::string_view body, std::string_view name,
                                     PlusSign plus) {
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
