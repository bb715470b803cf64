#include "session_store.h"

#include "store_rows.h"
#include "token_store.h"

namespace vel::companion {

using Kind = StoreTransaction::Kind;

std::string SessionStore::Open(std::uint64_t accountId, std::int64_t expiresAt, std::int64_t now) {
  return RetryConflicts([&] { return MakeKey(accountId, expiresAt, now); });
}

std::string SessionStore::MakeKey(std::uint64_t accountId, std::int64_t expiresAt,
                                  std::int64_t now) {
  const std::string key = "VELKEY" + RandomHex(32);
  StoreTransaction tx(database_, Kind::kWrite);
  auto expired = tx.Prepare("DELETE FROM sessions WHERE expires_at <> 0 AND expires_at <= ?1");
  expired.Bind(1, now);
  expired.Run();
  auto insert =
      tx.Prepare("INSERT INTO sessions (key_hash, account_id, expires_at) VALUES (?1, ?2, ?3)");
  insert.Bind(1, std::string_view(Sha256Hex(key)))
      .Bind(2, static_cast<std::int64_t>(accountId))
      .Bind(3, expiresAt);
  insert.Run();
  tx.Commit();
  return key;
}

std::optional<std::uint64_t> SessionStore::AccountOf(std::string_view key, std::int64_t now) {
  if (key.empty()) return std::nullopt;
  StoreTransaction tx(database_, Kind::kRead);
  auto find = tx.Prepare("SELECT account_id, expires_at FROM sessions WHERE key_hash = ?1");
  find.Bind(1, std::string_view(Sha256Hex(key)));
  if (!find.Step()) return std::nullopt;
  const std::int64_t expiresAt = find.Int64(1);
  if (expiresAt != 0 && expiresAt <= now) return std::nullopt;
  return WireId(find.Int64(0));
}

}  // namespace vel::companion
