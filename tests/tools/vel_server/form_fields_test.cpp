#include "vel-server/form_fields.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vel {
namespace {

using companion::FormValue;
using companion::PlusSign;

TEST(FormFieldsTest, TheFieldIsFoundAmongOthersAndDecodedAsAsked) {
  EXPECT_EQ(FormValue("packet=a+b/c==", "packet", PlusSign::kItself), "a+b/c==");
  EXPECT_EQ(FormValue("x=1&packet=a%2Bb&y", "packet", PlusSign::kItself), "a+b");
  EXPECT_EQ(FormValue("name=%EA%B9%80+%EC%B2%A0", "name", PlusSign::kSpace), "김 철");
  EXPECT_EQ(FormValue("packet", "packet", PlusSign::kItself), "");
  EXPECT_EQ(FormValue("packet=1&packet=2", "packet", PlusSign::kItself), "1");
  EXPECT_EQ(FormValue("pack%65t=1", "packet", PlusSign::kItself), "1");
  EXPECT_FALSE(FormValue("packets=1&xpacket=2", "packet", PlusSign::kItself));
  EXPECT_FALSE(FormValue("", "packet", PlusSign::kItself));
  for (const char* bad : {"packet=%", "packet=%4", "packet=%g0", "packet=abc%"}) {
    EXPECT_FALSE(FormValue(bad, "packet", PlusSign::kItself)) << bad;
  }
  const auto query = companion::ParseQuery("file=10%2FVEL.zip&version=1&version=2&=x&bad=%zz");
  EXPECT_EQ(query, (std::map<std::string, std::string>{{"file", "10/VEL.zip"}, {"version", "1"}}));
}

}  // namespace
}  // namespace vel
