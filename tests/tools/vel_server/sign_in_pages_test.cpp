#include "vel-server/sign_in_pages.h"

#include <cpprest/base_uri.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "vel-server/schema_migrations.h"
#include "vel-server/sqlite_store_database.h"
#include "vel-server/token_store.h"

namespace vel {
namespace {

using ::testing::HasSubstr;

TEST(SignInPagesTest, TheFormEscapesWhatTheQueryBrought) {
  companion::SqliteStoreDatabase database(":memory:");
  companion::MigrateSchema(database);
  companion::TokenStore tokens(database);
  const companion::SignInPages pages(tokens, {"http://127.0.0.1", false});
  const auto answer = pages.Answer("GET", "/v3.1/dialog/oauth",
                                   {{"client_id", "\"><script>x</script>"},
                                    {"redirect_uri", "http://127.0.0.1/connect/login_success.html"},
                                    {"response_type", "token"}},
                                   "");
  EXPECT_EQ(answer.status, 200);
  EXPECT_THAT(answer.body, ::testing::Not(HasSubstr("<script>")));
  EXPECT_THAT(answer.body, HasSubstr("&quot;&gt;&lt;script&gt;"));
}

// A token goes only to the login-success page of this sign-in's own site.
TEST(SignInPagesTest, RedirectsLeadOnlyToThisSitesLoginSuccessPage) {
  companion::SqliteStoreDatabase database(":memory:");
  companion::MigrateSchema(database);
  companion::TokenStore tokens(database);
  const companion::SignInPages pages(tokens, {"http://127.0.0.1:3001", true});
  const auto dialog = [&pages](const std::string& redirect) {
    return pages.Answer(
        "GET", "/v2.8/dialog/oauth",
        {{"client_id", "1"}, {"redirect_uri", redirect}, {"response_type", "token"}}, "");
  };
  const auto own = dialog("http://127.0.0.1:3001/connect/login_success.html");
  EXPECT_EQ(own.status, 200);
  EXPECT_THAT(own.body, HasSubstr("value=\"demo\"")) << "a demo server offers its user";
  for (const char* elsewhere : {"http://evil.example:3001/connect/login_success.html",
                                "http://127.0.0.1:3002/connect/login_success.html",
                                "https://127.0.0.1:3001/connect/login_success.html",
                                "http://127.0.0.1/connect/login_success.html"}) {
    EXPECT_EQ(dialog(elsewhere).status, 400) << elsewhere;
    const auto post = pages.Answer("POST", "/v2.8/dialog/oauth", {},
                                   "client_id=1&response_type=token&name=kim&redirect_uri=" +
                                       web::uri::encode_data_string(elsewhere));
    EXPECT_EQ(post.status, 400) << elsewhere;
    EXPECT_TRUE(post.location.empty()) << elsewhere;
  }
}

}  // namespace
}  // namespace vel
