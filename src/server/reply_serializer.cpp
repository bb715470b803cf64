#include "server/reply_serializer.h"

#include <algorithm>
#include <charconv>

namespace vel {
namespace {

using web::json::value;

// A text with nothing the JSON writer would escape goes out as it is,
// between quotes; any other is left to the library's writer.
bool Plain(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; });
}

void WriteString(const std::string& text, std::string& out) {
  if (Plain(text)) {
    out.append(1, '"').append(text).append(1, '"');
  } else {
    out += value::string(text).serialize();
  }
}

void Write(const value& json, std::string& out) {
  switch (json.type()) {
    case value::Object: {
      out += '{';
      bool first = true;
      for (const auto& [key, member] : json.as_object()) {
        if (!first) out += ',';
        first = false;
        WriteString(key, out);
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
    case value::String: WriteString(json.as_string(), out); break;
    case value::Number: {
      const web::json::number& number = json.as_number();
      if (json.is_integer()) {
        char digits[24];
        const auto written =
            number.is_int64() ? std::to_chars(digits, digits + sizeof digits, number.to_int64())
                              : std::to_chars(digits, digits + sizeof digits, number.to_uint64());
        out.append(digits, written.ptr);
        break;
      }
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

}  // namespace vel
