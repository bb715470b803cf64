#include "store_rows.h"

#include <limits>
#include <string>

#include "server/request_catalogue.h"

namespace vel::companion {

std::optional<std::int64_t> RowId(std::uint64_t id) {
  if (id == 0 || id > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(id);
}

bool AccountExists(StoreTransaction& tx, std::int64_t account) {
  auto statement = tx.Prepare("SELECT 1 FROM accounts WHERE id = ?1");
  statement.Bind(1, account);
  return statement.Step();
}

bool MemberExists(StoreTransaction& tx, std::int64_t member) {
  auto statement = tx.Prepare("SELECT 1 FROM members WHERE id = ?1");
  statement.Bind(1, member);
  return statement.Step();
}

std::int64_t CountRows(StoreTransaction& tx, const char* table, const char* owner,
                       std::int64_t id) {
  auto statement =
      tx.Prepare(std::string("SELECT COUNT(*) FROM ") + table + " WHERE " + owner + " = ?1");
  statement.Bind(1, id);
  return statement.Step() ? statement.Int64(0) : 0;
}

int CheckAccountMember(StoreTransaction& tx, std::optional<std::int64_t> account,
                       std::optional<std::int64_t> member) {
  if (!account || !AccountExists(tx, *account)) return errcode::kUnknownAccount;
  if (!member) return errcode::kUnknownMember;
  auto statement = tx.Prepare("SELECT 1 FROM members WHERE id = ?1 AND account_id = ?2");
  statement.Bind(1, *member).Bind(2, *account);
  return statement.Step() ? 0 : errcode::kUnknownMember;
}

}  // namespace vel::companion
