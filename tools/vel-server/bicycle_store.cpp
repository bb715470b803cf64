#include "bicycle_store.h"

#include "server/request_catalogue.h"
#include "store_rows.h"
#include "store_values.h"
#include "team/roster_limits.h"

namespace vel::companion {

using Kind = StoreTransaction::Kind;

BicycleStore::BicycleStore(StoreDatabase& database)
    : MemberItemStore(database, "bicycles", errcode::kUnknownBicycle) {}

std::int64_t BicycleStore::Insert(StoreTransaction& tx, std::int64_t member,
                                  const BicycleRecord& bicycle) {
  auto insert = tx.Prepare(
      "INSERT INTO bicycles (member_id, name, weight, crank, cassette, tire, active) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  insert.Bind(1, member)
      .Bind(2, std::string_view(bicycle.name))
      .Bind(3, Known(bicycle.weight))
      .Bind(4, Known(bicycle.crank))
      .Bind(5, Known(bicycle.cassette))
      .Bind(6, Known(bicycle.tire))
      .Bind(7, std::int64_t{bicycle.active ? 1 : 0});
  insert.Run();
  return tx.LastInsertId();
}

Outcome<std::uint64_t> BicycleStore::Add(std::uint64_t memberId, const BicycleRequest& bicycle) {
  const auto member = RowId(memberId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (!member || !MemberExists(tx, *member)) {
    return Refused<std::uint64_t>(errcode::kUnknownMember);
  }
  const std::optional<BicycleRecord> stored = StoredBicycle(bicycle);
  if (!stored || CountRows(tx, "bicycles", "member_id", *member) >=
                     static_cast<std::int64_t>(kMaxBicyclesPerMember)) {
    return Refused<std::uint64_t>(errcode::kBadValue);
  }
  const std::uint64_t id = WireId(Insert(tx, *member, *stored));
  tx.Commit();
  return {0, id};
}

Done BicycleStore::Activate(std::uint64_t memberId, std::uint64_t bicycleId) {
  const auto member = RowId(memberId);
  const auto bicycle = RowId(bicycleId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (const int code = Check(tx, member, bicycle)) return Refused<Nothing>(code);
  auto update = tx.Prepare(
      "UPDATE bicycles SET active = CASE WHEN id = ?2 THEN 1 ELSE 0 END "
      "WHERE member_id = ?1 AND (active <> 0 OR id = ?2)");
  update.Bind(1, *member).Bind(2, *bicycle);
  update.Run();
  return Finish(tx);
}

}  // namespace vel::companion
