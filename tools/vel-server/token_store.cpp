#include "token_store.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <chrono>
#include <stdexcept>

#include "common/string_printf.h"

namespace vel::companion {
namespace {

constexpr char kAppId[] = "vel-development";

}  // namespace

std::string RandomHex(std::size_t bytes) {
  std::string raw(bytes, '\0');
  if (RAND_bytes(reinterpret_cast<unsigned char*>(raw.data()), static_cast<int>(bytes)) != 1) {
    throw std::runtime_error("no random bytes for a token");
  }
  std::string hex;
  for (const char c : raw) hex += StringPrintf("%02x", static_cast<unsigned char>(c));
  return hex;
}

namespace {

std::int64_t SystemSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

}  // namespace

std::string Sha256Hex(std::string_view text) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 failed");
  }
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) hex += StringPrintf("%02x", digest[i]);
  return hex;
}

std::string SignInUserId(std::string_view userName) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(userName.data(), userName.size(), digest.data(), &length, EVP_sha256(), nullptr) !=
      1) {
    throw std::runtime_error("SHA-256 failed");
  }
  std::uint64_t value = 0;
  for (int i = 0; i < 8; ++i) value = (value << 8) | digest[static_cast<std::size_t>(i)];
  // Fifteen digits, never a leading zero.
  constexpr std::uint64_t kLow = 100'000'000'000'000ULL;
  return std::to_string(kLow + value % (9 * kLow));
}

TokenStore::TokenStore(StoreDatabase& database, Clock clock)
    : database_(database), clock_(clock ? std::move(clock) : Clock(SystemSeconds)) {}

std::string TokenStore::AppAccessToken() {
  return RetryConflicts([this] { return MakeAppAccessToken(); });
}

std::string TokenStore::MakeAppAccessToken() {
  StoreTransaction tx(database_, StoreTransaction::Kind::kWrite);
  auto find = tx.Prepare("SELECT token FROM tokens WHERE kind = 'app' ORDER BY issued_at LIMIT 1");
  if (find.Step()) return find.Text(0);
  const std::string token = "VELAPP" + RandomHex(24);
  auto insert = tx.Prepare(
      "INSERT INTO tokens (token, kind, app_id, issued_at, expires_at) VALUES (?1, 'app', ?2, ?3, "
      "0)");
  insert.Bind(1, std::string_view(token)).Bind(2, std::string_view(kAppId)).Bind(3, clock_());
  insert.Run();
  tx.Commit();
  return token;
}

IssuedToken TokenStore::IssueUserToken(std::string_view userName, std::string_view appId) {
  return RetryConflicts([&] { return MakeUserToken(userName, appId); });
}

IssuedToken TokenStore::MakeUserToken(std::string_view userName, std::string_view appId) {
  const std::int64_t now = clock_();
  IssuedToken issued{"EAAV" + RandomHex(32), kUserTokenLifetime};
  const std::string userId = SignInUserId(userName);
  StoreTransaction tx(database_, StoreTransaction::Kind::kWrite);
  // Every sign-in adds a token; the expired ones go, and a user keeps only
  // the newest, so that the table cannot grow without bound.
  auto expired =
      tx.Prepare("DELETE FROM tokens WHERE kind = 'user' AND expires_at <> 0 AND expires_at <= ?1");
  expired.Bind(1, now);
  expired.Run();
  auto insert = tx.Prepare(
      "INSERT INTO tokens (token, kind, app_id, user_id, user_name, issued_at, expires_at, "
      "issued_order) VALUES (?1, 'user', ?2, ?3, ?4, ?5, ?6, "
      "(SELECT COALESCE(MAX(issued_order), 0) + 1 FROM tokens))");
  insert.Bind(1, std::string_view(issued.token))
      .Bind(2, appId)
      .Bind(3, std::string_view(userId))
      .Bind(4, userName)
      .Bind(5, now)
      .Bind(6, now + issued.expiresIn);
  insert.Run();
  auto oldest = tx.Prepare(
      "DELETE FROM tokens WHERE kind = 'user' AND user_id = ?1 AND token NOT IN "
      "(SELECT token FROM tokens WHERE kind = 'user' AND user_id = ?1 "
      "ORDER BY issued_at DESC, issued_order DESC LIMIT ?2)");
  oldest.Bind(1, std::string_view(userId)).Bind(2, std::int64_t{kMaxTokensPerUser});
  oldest.Run();
  tx.Commit();
  return issued;
}

std::optional<TokenInfo> TokenStore::Find(std::string_view token) {
  StoreTransaction tx(database_, StoreTransaction::Kind::kRead);
  auto find = tx.Prepare(
      "SELECT kind, app_id, COALESCE(user_id, ''), COALESCE(user_name, ''), issued_at, expires_at "
      "FROM tokens WHERE token = ?1");
  find.Bind(1, token);
  if (!find.Step()) return std::nullopt;
  TokenInfo info{find.Text(0) == "user", find.Text(1),  find.Text(2),
                 find.Text(3),           find.Int64(4), find.Int64(5)};
  if (info.expiresAt != 0 && info.expiresAt <= clock_()) return std::nullopt;
  return info;
}

}  // namespace vel::companion
