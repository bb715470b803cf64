#include "controls/color_list_box.h"

#include <gtest/gtest.h>

#include "controls/pixels.h"

namespace vel {
namespace {

using test::CountOf;

constexpr QRgb kBlack = 0x000000, kWhite = 0xFFFFFF, kRed = 0xFF0000, kCyan = 0x00FFFF;

struct EntryPixels {
  int background;  // pixels of the entry's last column
  int ink;         // pixels of the expected text colour
};

// Counts `background` down the right edge of entry `row` (which the text
// does not reach) and `text` in it.
EntryPixels Look(CColorListBox& list, int row, QRgb background, QRgb text) {
  const QImage image = test::Grab(list);
  QRect entry = list.visualItemRect(list.item(row));
  entry.translate(list.viewport()->pos());
  return {CountOf(image, QRect(entry.right(), entry.top(), 1, entry.height()), background),
          CountOf(image, entry, text)};
}

TEST(ColorListBoxTest, EntriesShowTheirColourAndSelectedOnesItsInverse) {
  CColorListBox list;
  list.resize(200, 120);
  list.AddEntry(QStringLiteral("12345 HRM"), 0);    // inactive
  list.AddEntry(QStringLiteral("67890 SPD"), 255);  // active
  list.show();
  const int height = list.visualItemRect(list.item(0)).height();
  ASSERT_GT(height, 0);

  EntryPixels inactive = Look(list, 0, list.palette().color(QPalette::Base).rgb(), kBlack);
  EXPECT_EQ(inactive.background, height);
  EXPECT_GT(inactive.ink, 5) << "black text";
  EntryPixels active = Look(list, 1, list.palette().color(QPalette::Base).rgb(), kRed);
  EXPECT_EQ(active.background, height);
  EXPECT_GT(active.ink, 5) << "red text";

  list.setSelectionMode(QAbstractItemView::MultiSelection);
  list.item(0)->setSelected(true);
  list.item(1)->setSelected(true);
  inactive = Look(list, 0, kBlack, kWhite);
  EXPECT_EQ(inactive.background, height);
  EXPECT_GT(inactive.ink, 5) << "white on black";
  active = Look(list, 1, kRed, kCyan);
  EXPECT_EQ(active.background, height);
  EXPECT_GT(active.ink, 5) << "cyan on red";
}

TEST(ColorListBoxTest, TheSortedListOrdersAsText) {
  CColorListBox list(CColorListBox::Order::kByText);
  list.AddEntry(QStringLiteral("9"), 0);
  list.AddEntry(QStringLiteral("12"), 255);
  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(list.item(0)->text(), QStringLiteral("12"));
  EXPECT_EQ(list.item(0)->data(CColorListBox::kColourRole).toInt(), 255);
}

}  // namespace
}  // namespace vel
