#include "rides/ride_file_name.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "common/string_printf.h"
#include "rides/ride_time.h"

namespace vel {
namespace {

constexpr std::size_t kMostBytes = 200;

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 character at the start of `text`, or
// 0 when it does not start with one.
std::size_t CharacterLength(std::string_view text, char32_t& character) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    character = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, character = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, character = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, character = lead & 0x07, least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (!IsContinuation(byte)) return 0;
    character = (character << 6) | (byte & 0x3F);
  }
  const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
  if (character < least || character > 0x10FFFF || surrogate) return 0;
  return length;
}

bool Forbidden(char32_t character) {
  if (character < 0x20 || (character >= 0x7F && character <= 0x9F)) return true;
  return std::u32string_view(U"/\\:*?\"<>|").find(character) != std::u32string_view::npos;
}

// `text` with every character some file system refuses, and every byte
// that is not UTF-8, as "_".
std::string Safe(std::string_view text) {
  std::string safe;
  while (!text.empty()) {
    char32_t character = 0;
    const std::size_t length = CharacterLength(text, character);
    if (length == 0 || Forbidden(character)) {
      safe += '_';
      text.remove_prefix(std::max<std::size_t>(length, 1));
    } else {
      safe.append(text.substr(0, length));
      text.remove_prefix(length);
    }
  }
  return safe;
}

// Windows drops dots and spaces at a name's end, and a name of spaces
// helps nobody.
std::string Trimmed(std::string text) {
  const std::size_t last = text.find_last_not_of(". ");
  text.erase(last == std::string::npos ? 0 : last + 1);
  text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
  return text;
}

// At most `most` bytes of valid UTF-8 `text`, ending between characters.
std::string Cut(std::string text, std::size_t most) {
  if (text.size() <= most) return text;
  std::size_t end = most;
  while (end > 0 && IsContinuation(static_cast<unsigned char>(text[end]))) --end;
  text.resize(end);
  return text;
}

// CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$ and CONOUT$ name devices on
// Windows, with any extension after them.
bool Reserved(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  stem.erase(stem.find_last_not_of(' ') + 1);
  for (char& c : stem) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"}) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) &&
         stem[3] >= '1' && stem[3] <= '9';
}

std::string StartText(std::int64_t startUtcMs) {
  const auto local = LocalTimeAt(startUtcMs);
  if (!local) return "0000-00-00_0000";
  return StringPrintf("%04d-%02d-%02d_%02d%02d", local->tm_year + 1900, local->tm_mon + 1,
                      local->tm_mday, local->tm_hour, local->tm_min);
}

}  // namespace

std::string RideFileName(const Ride& ride, std::string_view extension) {
  const std::string start = StartText(ride.startUtcMs) + "_";
  const std::string id = ride.id != 0 ? "_" + std::to_string(ride.id) : "";
  if (extension.starts_with('.')) extension.remove_prefix(1);
  const std::string ending = extension.empty() ? "" : "." + Trimmed(Safe(extension));

  std::string member = Trimmed(Safe(ride.memberName));
  if (member.empty()) member = "회원" + std::to_string(ride.memberId);
  const std::size_t fixed = start.size() + id.size() + ending.size();
  member = Trimmed(Cut(member, kMostBytes - std::min(fixed, kMostBytes)));

  std::string name = Trimmed(Cut(start + member + id + ending, kMostBytes));
  if (Reserved(name)) name = Cut("_" + name, kMostBytes);
  return name;
}

}  // namespace vel
