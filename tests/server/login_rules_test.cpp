#include "server/login_rules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "server/sealed_file.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

using web::json::value;

TEST(LoginRulesTest, TheTokenIsTakenFromTheWholeAddressUpToTheNextAmpersand) {
  const std::string page = "https://www.facebook.com/connect/login_success.html";
  EXPECT_EQ(TokenInAddress(page + "#access_token=EAAB12&expires_in=5183999"), "EAAB12");
  EXPECT_EQ(TokenInAddress(page + "#access_token=EAAB12"), "EAAB12");
  EXPECT_EQ(TokenInAddress("https://www.facebook.com/login.php?next=x&access_token=early&a=1"),
            "early")
      << "the first access_token= anywhere in the address counts";
  EXPECT_FALSE(TokenInAddress(page));

  EXPECT_TRUE(SignInFailedAt(page + "#access_token=&expires_in=0")) << "a mark without a token";
  EXPECT_TRUE(SignInFailedAt(page + "?error=access_denied&error_reason=user_denied#_=_"));
  EXPECT_FALSE(SignInFailedAt(page + "#access_token=EAAB12"));
  EXPECT_FALSE(SignInFailedAt(SignInDialogAddress("https://www.facebook.com", "1") + "&error=x"))
      << "the dialog names the landing page in its query; only landing there counts";
}

TEST(LoginRulesTest, AddressesAndRequestsAreBuiltAsTheServicesExpect) {
  EXPECT_EQ(SignInDialogAddress("https://www.facebook.com", "7301942618350247"),
            "https://www.facebook.com/v2.8/dialog/oauth?client_id=7301942618350247"
            "&redirect_uri=https://www.facebook.com/connect/login_success.html"
            "&display=popup&response_type=token");
  EXPECT_EQ(TokenCheckPath("a b&c", "1|x"),
            "/v2.8/debug_token?input_token=a%20b%26c&access_token=1%7Cx");
  EXPECT_EQ(AppTokenRequest().serialize(), R"({"header":-1})");
  EXPECT_EQ(AccountSignInRequest("100001", "").serialize(),
            R"({"header":0,"type":"facebook","account":"100001"})");
  EXPECT_EQ(AccountSignInRequest("100001", "EAAV1").serialize(),
            R"({"header":0,"type":"facebook","account":"100001","accesstoken":"EAAV1"})");
}

TEST(LoginRulesTest, RepliesGiveTheUserAccountAndTeamOnlyWhenTheyHoldThem) {
  EXPECT_EQ(CheckedUserId(value::parse(R"({"data":{"user_id":"42","is_valid":true}})")), "42");
  EXPECT_FALSE(CheckedUserId(value::parse(R"({"data":{"is_valid":false}})")));
  EXPECT_FALSE(CheckedUserId(value::parse(R"({"error":{"code":190}})")));
  EXPECT_EQ(SignedInAccount(value::parse(R"({"accountid":12345.0})")), 12345u);
  EXPECT_EQ(SignedInAccount(value::parse(R"({"accountid":18446744073709551615})")),
            18446744073709551615u);
  EXPECT_FALSE(SignedInAccount(value::parse(R"({"teamname":"x"})")));
  EXPECT_EQ(SignedInTeamName(value::parse(R"({"teamname":null})")), "");
  EXPECT_EQ(SignedInTeamName(value::parse(R"({"teamname":"스프린터"})")), "스프린터");
}

TEST(LoginRulesTest, ASavedLoginBelongsOnlyToTheComputerWhoseMacTextMatchesExactly) {
  const test::ScratchFolder scratch;
  const auto file = scratch / "VEL.f";
  EXPECT_EQ(ReadSavedLogin(file).status, SavedLogin::Status::kNone);

  ASSERT_TRUE(WriteSavedLogin(file, "0A-1B-2C-3D-4E-5F", "token-1"));
  const SavedLogin saved = ReadSavedLogin(file);
  EXPECT_EQ(saved.status, SavedLogin::Status::kOpened);
  EXPECT_EQ(saved.TokenFor("0A-1B-2C-3D-4E-5F"), "token-1");
  EXPECT_FALSE(saved.TokenFor("0a-1b-2c-3d-4e-5f")) << "case matters";

  ASSERT_TRUE(WriteSealedFile(file, value::parse(R"({"accesstoken":"t"})")));
  EXPECT_FALSE(ReadSavedLogin(file).TokenFor("")) << "both members are needed";

  std::ofstream(file, std::ios::binary) << std::string(1025, 'x');
  EXPECT_EQ(ReadSavedLogin(file).status, SavedLogin::Status::kRefused) << "too long";
  std::ofstream(file, std::ios::binary) << std::string(16, 'x');
  EXPECT_EQ(ReadSavedLogin(file).status, SavedLogin::Status::kRefused) << "does not decrypt";
}

}  // namespace
}  // namespace vel
