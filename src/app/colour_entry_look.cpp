#include "app/colour_entry_look.h"

namespace vel {

EntryLook LookOfColourEntry(std::optional<std::uint32_t> colour, bool selected, bool disabled) {
  if (!colour) {
    if (selected) return {SystemColour::kHighlight, SystemColour::kHighlightText};
    return {SystemColour::kWindow, disabled ? SystemColour::kGrayText : SystemColour::kWindowText};
  }
  const std::uint32_t c = *colour & 0x00FFFFFFu;
  if (selected) return {c, c ^ 0x00FFFFFFu};
  return {SystemColour::kWindow, disabled ? EntryColour{SystemColour::kGrayText} : EntryColour{c}};
}

}  // namespace vel
