#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "store_database.h"

namespace vel::companion {

// The development sign-in's user id for a user name: a stable 15-digit
// decimal text (the same name always gives the same id).
std::string SignInUserId(std::string_view userName);

// `bytes` random bytes as hexadecimal text.
std::string RandomHex(std::size_t bytes);
// The SHA-256 of a text, hexadecimal.
std::string Sha256Hex(std::string_view text);

struct IssuedToken {
  std::string token;
  std::int64_t expiresIn = 0;  // seconds
};

struct TokenInfo {
  bool user = false;  // false: the application's token
  std::string appId;
  std::string userId;
  std::string userName;
  std::int64_t issuedAt = 0;
  std::int64_t expiresAt = 0;  // seconds since 1970; 0 never
};

// Access tokens of the development sign-in, kept in the database so that a
// program's saved login still works after the server restarts. Tokens are
// random (hexadecimal, nothing in them to escape in an address). Safe to
// call from any thread.
class TokenStore {
 public:
  // Seconds since 1970.
  using Clock = std::function<std::int64_t()>;
  static constexpr std::int64_t kUserTokenLifetime = 60LL * 24 * 3600;
  // The newest tokens a user keeps; an older one stops working (its saved
  // login then leads to the browser).
  static constexpr int kMaxTokensPerUser = 100;

  explicit TokenStore(StoreDatabase& database, Clock clock = nullptr);

  // The application's access token (the application server hands it to
  // the program); made once and kept.
  std::string AppAccessToken();
  IssuedToken IssueUserToken(std::string_view userName, std::string_view appId);
  // A token issued here that has not expired.
  std::optional<TokenInfo> Find(std::string_view token);
  // The store's clock: seconds since 1970.
  std::int64_t Now() const { return clock_(); }

 private:
  // One try of each, in one transaction.
  std::string MakeAppAccessToken();
  IssuedToken MakeUserToken(std::string_view userName, std::string_view appId);

  StoreDatabase& database_;
  Clock clock_;
};

}  // namespace vel::companion
