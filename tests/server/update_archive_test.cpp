#include "server/update_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace vel {
namespace {

TEST(EntryNameTest, OnlyPlainFileNamesAreUnpacked) {
  for (const char* good : {"vel", "VEL.json", "data.txt", ".hidden", "a b", "한글.txt"}) {
    EXPECT_TRUE(IsPlainEntryName(good)) << good;
  }
  for (const char* bad : {"", ".", "..", "../x", "a/b", "/etc/passwd", "dir/", "a\\b", "x..y"}) {
    EXPECT_FALSE(IsPlainEntryName(bad)) << bad;
  }
  EXPECT_FALSE(IsPlainEntryName(std::string_view("a\0b", 3)));
  EXPECT_FALSE(IsPlainEntryName(std::string(256, 'a')));
}

}  // namespace
}  // namespace vel
