#pragma once

#include <cstdint>
#include <optional>
#include <variant>

namespace vel {

// Colours of the desktop theme a list entry may be drawn in.
enum class SystemColour { kWindow, kWindowText, kHighlight, kHighlightText, kGrayText };

// A Windows colour value 0x00BBGGRR, or a colour of the theme.
using EntryColour = std::variant<std::uint32_t, SystemColour>;

struct EntryLook {
  EntryColour background;
  EntryColour text;
  bool operator==(const EntryLook&) const = default;
};

// How an entry of a colour list is drawn. An entry with a colour C shows
// its text in C; selected, it is filled with C and its text is C inverted
// (each of red, green and blue as 255 minus it), so that it stays
// readable; disabled, its text is grey. An entry without a colour looks
// like any list entry.
EntryLook LookOfColourEntry(std::optional<std::uint32_t> colour, bool selected, bool disabled);

}  // namespace vel
