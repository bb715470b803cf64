#pragma once

// Numbers in the tools' options: the whole text, in the C locale, or nothing.
#include <charconv>
#include <string_view>
#include <system_error>

namespace vel::tools {

// True, with the number in `out`, when the whole of `text` is one number of
// type T (no sign for unsigned types, no spaces, nothing after it).
template <typename T>
bool ParseNumber(std::string_view text, T& out) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace vel::tools
