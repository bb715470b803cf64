#include "vel-server/token_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "vel-server/schema_migrations.h"

namespace vel {
namespace {

TEST(SignInUserIdTest, IsAStableFifteenDigitNumberPerName) {
  const std::string id = companion::SignInUserId("demo");
  EXPECT_EQ(id, companion::SignInUserId("demo"));
  EXPECT_EQ(id.size(), 15u);
  EXPECT_EQ(id.find_first_not_of("0123456789"), std::string::npos);
  EXPECT_NE(id, companion::SignInUserId("Demo"));
}

TEST(TokenStoreTest, ExpiredTokensAreNotFound) {
  companion::SqliteDatabase database(":memory:");
  companion::MigrateSchema(database);
  std::int64_t now = 1'000'000;
  companion::TokenStore tokens(database, [&now] { return now; });
  ASSERT_NO_THROW(tokens.AppAccessToken());
  const auto issued = tokens.IssueUserToken("kim", "1");
  ASSERT_TRUE(tokens.Find(issued.token));
  now += issued.expiresIn;
  EXPECT_FALSE(tokens.Find(issued.token));
  EXPECT_TRUE(tokens.Find(tokens.AppAccessToken()));  // the application's never expires
}

}  // namespace
}  // namespace vel
