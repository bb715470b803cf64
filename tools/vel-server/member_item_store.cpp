#include "member_item_store.h"

#include <string>

#include "server/request_catalogue.h"
#include "store_rows.h"

namespace vel::companion {

using Kind = StoreTransaction::Kind;

int MemberItemStore::Check(StoreTransaction& tx, std::optional<std::int64_t> member,
                           std::optional<std::int64_t> item) const {
  if (!member || !MemberExists(tx, *member)) return errcode::kUnknownMember;
  if (!item) return unknownErrcode_;
  auto statement =
      tx.Prepare(std::string("SELECT 1 FROM ") + table_ + " WHERE id = ?1 AND member_id = ?2");
  statement.Bind(1, *item).Bind(2, *member);
  return statement.Step() ? 0 : unknownErrcode_;
}

Done MemberItemStore::Delete(std::uint64_t accountId, std::uint64_t memberId,
                             std::uint64_t itemId) {
  const auto member = RowId(memberId);
  const auto item = RowId(itemId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<Nothing>(code);
  }
  if (const int code = Check(tx, member, item)) return Refused<Nothing>(code);
  auto remove = tx.Prepare(std::string("DELETE FROM ") + table_ + " WHERE id = ?1");
  remove.Bind(1, *item);
  remove.Run();
  return Finish(tx);
}

Done MemberItemStore::Deactivate(std::uint64_t memberId, std::uint64_t itemId) {
  const auto member = RowId(memberId);
  const auto item = RowId(itemId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (const int code = Check(tx, member, item)) return Refused<Nothing>(code);
  auto update = tx.Prepare(std::string("UPDATE ") + table_ + " SET active = 0 WHERE id = ?1");
  update.Bind(1, *item);
  update.Run();
  return Finish(tx);
}

}  // namespace vel::companion
