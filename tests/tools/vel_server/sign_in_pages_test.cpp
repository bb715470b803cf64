#include "vel-server/sign_in_pages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "vel-server/schema_migrations.h"
#include "vel-server/token_store.h"

namespace vel {
namespace {

using ::testing::HasSubstr;

TEST(SignInPagesTest, TheFormEscapesWhatTheQueryBrought) {
  companion::SqliteDatabase database(":memory:");
  companion::MigrateSchema(database);
  companion::TokenStore tokens(database);
  const companion::SignInPages pages(tokens);
  const auto answer = pages.Answer("GET", "/v3.1/dialog/oauth",
                                   {{"client_id", "\"><script>x</script>"},
                                    {"redirect_uri", "http://127.0.0.1/connect/login_success.html"},
                                    {"response_type", "token"}},
                                   "");
  EXPECT_EQ(answer.status, 200);
  EXPECT_THAT(answer.body, ::testing::Not(HasSubstr("<script>")));
  EXPECT_THAT(answer.body, HasSubstr("&quot;&gt;&lt;script&gt;"));
}

}  // namespace
}  // namespace vel
