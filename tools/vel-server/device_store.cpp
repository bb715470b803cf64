#include "device_store.h"

#include "sensors/sensor_kinds.h"
#include "server/request_catalogue.h"
#include "store_rows.h"
#include "store_values.h"
#include "team/roster_limits.h"

namespace vel::companion {
namespace {

using Kind = StoreTransaction::Kind;

struct DeviceState {
  int type = 0;
  bool active = false;
};

DeviceState StateOf(StoreTransaction& tx, std::int64_t device) {
  auto statement = tx.Prepare("SELECT type, active FROM devices WHERE id = ?1");
  statement.Bind(1, device);
  statement.Step();
  return DeviceState{statement.Int(0), statement.Int(1) != 0};
}

bool DeviceRegistered(StoreTransaction& tx, std::int64_t member, int number, int type) {
  auto statement =
      tx.Prepare("SELECT 1 FROM devices WHERE member_id = ?1 AND number = ?2 AND type = ?3");
  statement.Bind(1, member).Bind(2, std::int64_t{number}).Bind(3, std::int64_t{type});
  return statement.Step();
}

}  // namespace

DeviceStore::DeviceStore(StoreDatabase& database)
    : MemberItemStore(database, "devices", errcode::kUnknownDevice) {}

std::int64_t DeviceStore::Insert(StoreTransaction& tx, std::int64_t member,
                                 const DeviceRecord& device) {
  auto insert =
      tx.Prepare("INSERT INTO devices (member_id, number, type, active) VALUES (?1, ?2, ?3, ?4)");
  insert.Bind(1, member)
      .Bind(2, std::int64_t{device.number})
      .Bind(3, std::int64_t{device.type})
      .Bind(4, std::int64_t{device.active ? 1 : 0});
  insert.Run();
  return tx.LastInsertId();
}

Outcome<std::uint64_t> DeviceStore::Add(std::uint64_t memberId, int number, int type) {
  const auto member = RowId(memberId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (!member || !MemberExists(tx, *member)) {
    return Refused<std::uint64_t>(errcode::kUnknownMember);
  }
  if (!UsableDevice(number, type)) return Refused<std::uint64_t>(errcode::kBadValue);
  if (DeviceRegistered(tx, *member, number, type)) {
    return Refused<std::uint64_t>(errcode::kDeviceRegistered);
  }
  if (CountRows(tx, "devices", "member_id", *member) >=
      static_cast<std::int64_t>(kMaxDevicesPerMember)) {
    return Refused<std::uint64_t>(errcode::kBadValue);
  }
  const std::uint64_t id = WireId(Insert(tx, *member, {0, false, number, type}));
  tx.Commit();
  return {0, id};
}

Done DeviceStore::Activate(std::uint64_t memberId, std::uint64_t deviceId) {
  const auto member = RowId(memberId);
  const auto device = RowId(deviceId);
  StoreTransaction tx(database_, Kind::kWrite);
  if (const int code = Check(tx, member, device)) return Refused<Nothing>(code);
  const DeviceState state = StateOf(tx, *device);
  auto others = tx.Prepare(
      "UPDATE devices SET active = 0 WHERE member_id = ?1 AND type = ?2 AND id <> ?3 AND "
      "active <> 0");
  others.Bind(1, *member).Bind(2, std::int64_t{state.type}).Bind(3, *device);
  others.Run();
  // A device that was already active changes nothing across types, as in
  // the program's own model.
  if (!state.active) {
    auto activate = tx.Prepare("UPDATE devices SET active = 1 WHERE id = ?1");
    activate.Bind(1, *device);
    activate.Run();
    const SensorKind* kind = FindSensorKind(state.type);
    for (const std::uint8_t type :
         kind != nullptr ? kind->SwitchesOff() : std::span<const std::uint8_t>{}) {
      auto off = tx.Prepare(
          "UPDATE devices SET active = 0 WHERE member_id = ?1 AND type = ?2 AND active <> 0");
      off.Bind(1, *member).Bind(2, static_cast<std::int64_t>(type));
      off.Run();
    }
  }
  return Finish(tx);
}

}  // namespace vel::companion
