#include "vel-server/token_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "vel-server/schema_migrations.h"
#include "vel-server/sqlite_store_database.h"

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
  companion::SqliteStoreDatabase database(":memory:");
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

std::int64_t UserTokens(companion::SqliteStoreDatabase& database) {
  companion::StoreTransaction tx(database, companion::StoreTransaction::Kind::kRead);
  auto count = tx.Prepare("SELECT COUNT(*) FROM tokens WHERE kind = 'user'");
  return count.Step() ? count.Int64(0) : -1;
}

TEST(TokenStoreTest, EverySignInPrunesExpiredTokensAndAUserKeepsOnlyTheNewest) {
  companion::SqliteStoreDatabase database(":memory:");
  companion::MigrateSchema(database);
  std::int64_t now = 1'000'000;
  companion::TokenStore tokens(database, [&now] { return now; });
  tokens.IssueUserToken("kim", "1");
  tokens.IssueUserToken("lee", "1");
  now += companion::TokenStore::kUserTokenLifetime;
  const auto fresh = tokens.IssueUserToken("park", "1");
  EXPECT_EQ(UserTokens(database), 1) << "the expired ones went";
  EXPECT_TRUE(tokens.Find(fresh.token));

  const auto first = tokens.IssueUserToken("kim", "1");
  for (int i = 0; i < companion::TokenStore::kMaxTokensPerUser; ++i) {
    tokens.IssueUserToken("kim", "1");
  }
  EXPECT_EQ(UserTokens(database), 1 + companion::TokenStore::kMaxTokensPerUser);
  EXPECT_FALSE(tokens.Find(first.token)) << "kim's oldest";
  EXPECT_TRUE(tokens.Find(fresh.token)) << "another user's stays";
}

}  // namespace
}  // namespace vel
