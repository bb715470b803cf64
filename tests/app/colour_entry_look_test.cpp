#include "app/colour_entry_look.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

TEST(ColourEntryLookTest, SelectionInvertsTheEntrysColour) {
  constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0x0000FF, kCyan = 0xFFFF00;
  EXPECT_EQ(LookOfColourEntry(kBlack, false, false), (EntryLook{SystemColour::kWindow, kBlack}));
  EXPECT_EQ(LookOfColourEntry(kBlack, true, false), (EntryLook{kBlack, kWhite}));
  EXPECT_EQ(LookOfColourEntry(kRed, false, false), (EntryLook{SystemColour::kWindow, kRed}));
  EXPECT_EQ(LookOfColourEntry(kRed, true, true), (EntryLook{kRed, kCyan}));
  EXPECT_EQ(LookOfColourEntry(kRed, false, true),
            (EntryLook{SystemColour::kWindow, SystemColour::kGrayText}));
}

TEST(ColourEntryLookTest, EntriesWithoutColourLookLikeAnyList) {
  EXPECT_EQ(LookOfColourEntry(std::nullopt, true, false),
            (EntryLook{SystemColour::kHighlight, SystemColour::kHighlightText}));
  EXPECT_EQ(LookOfColourEntry(std::nullopt, false, true),
            (EntryLook{SystemColour::kWindow, SystemColour::kGrayText}));
  EXPECT_EQ(LookOfColourEntry(std::nullopt, false, false),
            (EntryLook{SystemColour::kWindow, SystemColour::kWindowText}));
}

}  // namespace
}  // namespace vel
