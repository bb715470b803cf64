#include "account_store.h"

#include <optional>

#include "server/request_catalogue.h"
#include "store_rows.h"
#include "store_values.h"

namespace vel::companion {
namespace {

using Kind = StoreTransaction::Kind;

constexpr std::size_t kMaxSignInId = 20;  // digits of an unsigned 64-bit number

// The account whose team has the name.
std::optional<std::int64_t> TeamNameOwner(StoreTransaction& tx, std::string_view name) {
  auto statement = tx.Prepare("SELECT id FROM accounts WHERE team_name = ?1");
  statement.Bind(1, name);
  if (!statement.Step()) return std::nullopt;
  return statement.Int64(0);
}

}  // namespace

Outcome<Account> AccountStore::SignIn(std::string_view signInId) {
  if (signInId.empty() || signInId.size() > kMaxSignInId ||
      signInId.find_first_not_of("0123456789") != std::string_view::npos) {
    return Refused<Account>(errcode::kBadValue);
  }
  StoreTransaction tx(database_, Kind::kWrite);
  auto find = tx.Prepare("SELECT id, team_name FROM accounts WHERE sign_in_id = ?1");
  find.Bind(1, signInId);
  Account account;
  if (find.Step()) {
    account.id = WireId(find.Int64(0));
    account.teamName = find.Text(1);
  } else {
    auto insert = tx.Prepare("INSERT INTO accounts (sign_in_id) VALUES (?1)");
    insert.Bind(1, signInId);
    insert.Run();
    account.id = WireId(tx.LastInsertId());
  }
  tx.Commit();
  return {0, account};
}

Outcome<Account> AccountStore::Find(std::uint64_t accountId) {
  const auto account = RowId(accountId);
  if (!account) return Refused<Account>(errcode::kUnknownAccount);
  StoreTransaction tx(database_, Kind::kRead);
  auto find = tx.Prepare("SELECT team_name FROM accounts WHERE id = ?1");
  find.Bind(1, *account);
  if (!find.Step()) return Refused<Account>(errcode::kUnknownAccount);
  return {0, Account{accountId, find.Text(0)}};
}

Done AccountStore::CheckTeamName(std::string_view name) {
  if (!UsableTeamName(name)) return Refused<Nothing>(errcode::kTeamNameUnavailable);
  StoreTransaction tx(database_, Kind::kRead);
  if (TeamNameOwner(tx, name)) return Refused<Nothing>(errcode::kTeamNameUnavailable);
  return Done{};
}

Done AccountStore::ChangeTeamName(std::uint64_t accountId, std::string_view name) {
  const auto account = RowId(accountId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (!account || !AccountExists(tx, *account)) return Refused<Nothing>(errcode::kUnknownAccount);
  if (!UsableTeamName(name)) return Refused<Nothing>(errcode::kTeamNameUnavailable);
  if (const auto owner = TeamNameOwner(tx, name)) {
    return *owner == *account ? Done{} : Refused<Nothing>(errcode::kTeamNameUnavailable);
  }
  auto update = tx.Prepare("UPDATE accounts SET team_name = ?1 WHERE id = ?2");
  update.Bind(1, name).Bind(2, *account);
  update.Run();
  return Finish(tx);
}

}  // namespace vel::companion
