#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store_database.h"

namespace vel::companion {

// The session keys of a strict server: one handed out at each checked
// sign-in, for the account signed in, until the sign-in's token expires.
// Only a key's SHA-256 is kept, so that a copy of the database opens no
// session. Safe to call from any thread.
class SessionStore {
 public:
  explicit SessionStore(StoreDatabase& database) : database_(database) {}

  // A new key of the account, good until `expiresAt` (seconds since 1970;
  // 0 never); the expired keys of every account go (`now`).
  std::string Open(std::uint64_t accountId, std::int64_t expiresAt, std::int64_t now);
  // The account of a key that has not expired at `now`.
  std::optional<std::uint64_t> AccountOf(std::string_view key, std::int64_t now);

 private:
  std::string MakeKey(std::uint64_t accountId, std::int64_t expiresAt, std::int64_t now);

  StoreDatabase& database_;
};

}  // namespace vel::companion
