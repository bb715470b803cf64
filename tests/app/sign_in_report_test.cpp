#include "app/sign_in_report.h"

#include <gtest/gtest.h>

namespace vel {
namespace {

using Kind = sign_in_report::Line::Kind;

TEST(SignInReportTest, EachLineReadsBackAsItWasWritten) {
  EXPECT_EQ(sign_in_report::Read(sign_in_report::Shown()).kind, Kind::kShown);
  const auto log = sign_in_report::Read(sign_in_report::Log("two\nlines"));
  EXPECT_EQ(log.kind, Kind::kLog);
  EXPECT_EQ(log.text, "two lines") << "one line stays one line";
  const auto in =
      sign_in_report::Read(sign_in_report::SignedIn({18446744073709551615u, "팀 \"A\""}));
  ASSERT_EQ(in.kind, Kind::kSignedIn);
  EXPECT_EQ(in.login.accountId, 18446744073709551615u);
  EXPECT_EQ(in.login.teamName, "팀 \"A\"");
  EXPECT_EQ(in.login.sessionKey, "");
  const auto keyed = sign_in_report::Read(sign_in_report::SignedIn({7, "", "VELKEY01"}));
  EXPECT_EQ(keyed.login.sessionKey, "VELKEY01") << "a strict server's key reaches the program";
}

// The window's process shares its standard output with libraries that may
// print there; nothing of theirs may count as a sign-in.
TEST(SignInReportTest, AnythingElseIsNotASignIn) {
  for (const char* line :
       {"", "shown ", "signed-in", "signed-in ", "signed-in {", "signed-in []",
        R"(signed-in {"accountid":-1,"teamname":"a"})", R"(signed-in {"accountid":1})",
        R"(signed-in {"accountid":1,"teamname":2})", "Shown", "js: signed-in"}) {
    EXPECT_EQ(sign_in_report::Read(line).kind, Kind::kOther) << line;
  }
}

}  // namespace
}  // namespace vel
