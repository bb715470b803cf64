#include "member_store.h"

#include <map>

#include "bicycle_store.h"
#include "device_store.h"
#include "server/request_catalogue.h"
#include "store_rows.h"
#include "store_values.h"
#include "team/roster_limits.h"

namespace vel::companion {

using Kind = StoreTransaction::Kind;

namespace {

bool Full(StoreTransaction& tx, std::int64_t account) {
  return CountRows(tx, "members", "account_id", account) >=
         static_cast<std::int64_t>(kMaxMembersPerAccount);
}

}  // namespace

Outcome<std::vector<MemberRecord>> MemberStore::Load(std::uint64_t accountId) {
  using Members = std::vector<MemberRecord>;
  const auto account = RowId(accountId);
  StoreTransaction tx(database_, Kind::kRead);
  if (!account || !AccountExists(tx, *account)) return Refused<Members>(errcode::kUnknownAccount);

  Members members;
  std::map<std::int64_t, std::size_t> index;
  auto member = tx.Prepare(
      "SELECT id, name, height, weight, gender, best_speed, best_cadence, best_hrm "
      "FROM members WHERE account_id = ?1 ORDER BY id");
  member.Bind(1, *account);
  while (member.Step()) {
    MemberRecord record;
    record.id = WireId(member.Int64(0));
    record.name = member.Text(1);
    record.height = OrUnknown(member.OptionalDouble(2));
    record.weight = OrUnknown(member.OptionalDouble(3));
    record.gender = OrUnknown(member.OptionalInt(4));
    record.bestSpeed = member.Double(5);
    record.bestCadence = member.Int(6);
    record.bestHeartRate = member.Int(7);
    index[member.Int64(0)] = members.size();
    members.push_back(std::move(record));
  }

  auto device = tx.Prepare(
      "SELECT d.id, d.member_id, d.active, d.number, d.type FROM devices d "
      "JOIN members m ON m.id = d.member_id WHERE m.account_id = ?1 ORDER BY d.id");
  device.Bind(1, *account);
  while (device.Step()) {
    members[index.at(device.Int64(1))].devices.push_back(
        {WireId(device.Int64(0)), device.Int(2) != 0, device.Int(3), device.Int(4)});
  }

  auto bicycle = tx.Prepare(
      "SELECT b.id, b.member_id, b.active, b.name, b.weight, b.crank, b.cassette, b.tire "
      "FROM bicycles b JOIN members m ON m.id = b.member_id WHERE m.account_id = ?1 "
      "ORDER BY b.id");
  bicycle.Bind(1, *account);
  while (bicycle.Step()) {
    members[index.at(bicycle.Int64(1))].bicycles.push_back(
        {WireId(bicycle.Int64(0)), bicycle.Int(2) != 0, bicycle.Text(3),
         OrUnknown(bicycle.OptionalDouble(4)), OrUnknown(bicycle.OptionalInt(5)),
         OrUnknown(bicycle.OptionalInt(6)), OrUnknown(bicycle.OptionalInt(7))});
  }
  return {0, std::move(members)};
}

std::optional<std::uint64_t> MemberStore::AccountOf(std::uint64_t memberId) {
  const auto member = RowId(memberId);
  if (!member) return std::nullopt;
  StoreTransaction tx(database_, Kind::kRead);
  auto find = tx.Prepare("SELECT account_id FROM members WHERE id = ?1");
  find.Bind(1, *member);
  if (!find.Step()) return std::nullopt;
  return WireId(find.Int64(0));
}

Outcome<std::uint64_t> MemberStore::Add(std::uint64_t accountId, std::string_view name) {
  const auto account = RowId(accountId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (!account || !AccountExists(tx, *account)) {
    return Refused<std::uint64_t>(errcode::kUnknownAccount);
  }
  if (!UsableName(name) || Full(tx, *account)) return Refused<std::uint64_t>(errcode::kBadValue);
  auto insert = tx.Prepare("INSERT INTO members (account_id, name) VALUES (?1, ?2)");
  insert.Bind(1, *account).Bind(2, name);
  insert.Run();
  const std::uint64_t id = WireId(tx.LastInsertId());
  tx.Commit();
  return {0, id};
}

Done MemberStore::Delete(std::uint64_t accountId, std::uint64_t memberId) {
  const auto member = RowId(memberId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<Nothing>(code);
  }
  // Devices and bicycles go with it (ON DELETE CASCADE).
  auto remove = tx.Prepare("DELETE FROM members WHERE id = ?1");
  remove.Bind(1, *member);
  remove.Run();
  return Finish(tx);
}

Done MemberStore::SaveBodyInfo(std::uint64_t accountId, std::uint64_t memberId,
                               const BodyInfo& body) {
  const auto member = RowId(memberId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<Nothing>(code);
  }
  if (!UsableBody(body)) return Refused<Nothing>(errcode::kBadValue);
  auto update =
      tx.Prepare("UPDATE members SET height = ?1, weight = ?2, gender = ?3 WHERE id = ?4");
  update.Bind(1, body.height).Bind(2, body.weight).Bind(3, body.gender).Bind(4, *member);
  update.Run();
  return Finish(tx);
}

Outcome<std::uint64_t> MemberStore::Import(std::uint64_t accountId, const MemberRecord& member) {
  const auto account = RowId(accountId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (!account || !AccountExists(tx, *account)) {
    return Refused<std::uint64_t>(errcode::kUnknownAccount);
  }
  const BodyInfo body = BodyOf(member);
  if (!UsableName(member.name) || !UsableBody(body) || Full(tx, *account) ||
      member.devices.size() > kMaxDevicesPerMember ||
      member.bicycles.size() > kMaxBicyclesPerMember) {
    return Refused<std::uint64_t>(errcode::kBadValue);
  }
  auto insert = tx.Prepare(
      "INSERT INTO members (account_id, name, height, weight, gender) VALUES (?1, ?2, ?3, ?4, ?5)");
  insert.Bind(1, *account)
      .Bind(2, std::string_view(member.name))
      .Bind(3, body.height)
      .Bind(4, body.weight)
      .Bind(5, body.gender);
  insert.Run();
  const std::int64_t memberRow = tx.LastInsertId();
  for (const DeviceRecord& device : member.devices) {
    if (!UsableDevice(device.number, device.type)) {
      return Refused<std::uint64_t>(errcode::kBadValue);
    }
    DeviceStore::Insert(tx, memberRow, device);
  }
  for (const BicycleRecord& bicycle : member.bicycles) {
    std::optional<BicycleRecord> stored = StoredBicycle(RequestOf(bicycle));
    if (!stored) return Refused<std::uint64_t>(errcode::kBadValue);
    stored->active = bicycle.active;
    BicycleStore::Insert(tx, memberRow, *stored);
  }
  tx.Commit();
  return {0, WireId(memberRow)};
}

}  // namespace vel::companion
