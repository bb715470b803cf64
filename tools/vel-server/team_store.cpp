#include "team_store.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>

#include "activation_rules.h"

namespace vel::companion {
namespace {

using Kind = SqliteTransaction::Kind;

constexpr std::size_t kMaxName = 100;
constexpr double kMaxBodyValue = 1000;  // centimetres or kilograms
constexpr int kMaxDeviceNumber = 0xFFFF;

// Ids travel as unsigned 64-bit numbers; the database's are positive signed
// ones, so anything above that range names nothing.
std::optional<std::int64_t> RowId(std::uint64_t id) {
  if (id == 0 || id > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int64_t>(id);
}

std::uint64_t WireId(std::int64_t rowId) { return static_cast<std::uint64_t>(rowId); }

bool HasControlCharacter(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

bool UsableName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxName && !HasControlCharacter(name) &&
         name.find_first_not_of(' ') != std::string_view::npos;
}

bool UsableTeamName(std::string_view name) {
  return !name.empty() && name.size() <= TeamStore::kMaxTeamName && !HasControlCharacter(name) &&
         name.find(' ') == std::string_view::npos;
}

bool UsableBodyValue(const std::optional<double>& value) {
  return !value || (std::isfinite(*value) && *value >= 0 && *value <= kMaxBodyValue);
}

// -1 and 0 both mean nothing chosen and are kept as NULL; anything past
// the end of the program's list is refused.
bool NormalisePosition(std::optional<int>& position, int count) {
  if (!position || *position == -1 || *position == 0) {
    position.reset();
    return true;
  }
  return *position >= 1 && *position <= count;
}

bool AccountExists(SqliteTransaction& tx, std::int64_t account) {
  auto statement = tx.Prepare("SELECT 1 FROM accounts WHERE id = ?1");
  statement.Bind(1, account);
  return statement.Step();
}

bool MemberExists(SqliteTransaction& tx, std::int64_t member) {
  auto statement = tx.Prepare("SELECT 1 FROM members WHERE id = ?1");
  statement.Bind(1, member);
  return statement.Step();
}

bool MemberOfAccount(SqliteTransaction& tx, std::int64_t member, std::int64_t account) {
  auto statement = tx.Prepare("SELECT 1 FROM members WHERE id = ?1 AND account_id = ?2");
  statement.Bind(1, member).Bind(2, account);
  return statement.Step();
}

// Resolves the ids of a request that names an account and one of its
// members: the first errcode that applies, or 0.
int CheckAccountMember(SqliteTransaction& tx, std::optional<std::int64_t> account,
                       std::optional<std::int64_t> member) {
  if (!account || !AccountExists(tx, *account)) return errcode::kUnknownAccount;
  if (!member || !MemberOfAccount(tx, *member, *account)) return errcode::kUnknownMember;
  return 0;
}

struct DeviceState {
  int type = 0;
  bool active = false;
};

std::optional<DeviceState> DeviceOfMember(SqliteTransaction& tx, std::int64_t device,
                                          std::int64_t member) {
  auto statement =
      tx.Prepare("SELECT type, active FROM devices WHERE id = ?1 AND member_id = ?2");
  statement.Bind(1, device).Bind(2, member);
  if (!statement.Step()) return std::nullopt;
  return DeviceState{statement.Int(0), statement.Int(1) != 0};
}

bool BicycleOfMember(SqliteTransaction& tx, std::int64_t bicycle, std::int64_t member) {
  auto statement = tx.Prepare("SELECT 1 FROM bicycles WHERE id = ?1 AND member_id = ?2");
  statement.Bind(1, bicycle).Bind(2, member);
  return statement.Step();
}

int CheckMemberDevice(SqliteTransaction& tx, std::optional<std::int64_t> member,
                      std::optional<std::int64_t> device, DeviceState* state = nullptr) {
  if (!member || !MemberExists(tx, *member)) return errcode::kUnknownMember;
  if (!device) return errcode::kUnknownDevice;
  const auto found = DeviceOfMember(tx, *device, *member);
  if (!found) return errcode::kUnknownDevice;
  if (state != nullptr) *state = *found;
  return 0;
}

int CheckMemberBicycle(SqliteTransaction& tx, std::optional<std::int64_t> member,
                       std::optional<std::int64_t> bicycle) {
  if (!member || !MemberExists(tx, *member)) return errcode::kUnknownMember;
  if (!bicycle || !BicycleOfMember(tx, *bicycle, *member)) return errcode::kUnknownBicycle;
  return 0;
}

// The account whose team has the name.
std::optional<std::int64_t> TeamNameOwner(SqliteTransaction& tx, std::string_view name) {
  auto statement = tx.Prepare("SELECT id FROM accounts WHERE team_name = ?1");
  statement.Bind(1, name);
  if (!statement.Step()) return std::nullopt;
  return statement.Int64(0);
}

int ValidateBicycle(BicycleRecord& bicycle) {
  if (!UsableName(bicycle.name) || !UsableBodyValue(bicycle.weight) ||
      !NormalisePosition(bicycle.crank, kChainringCount) ||
      !NormalisePosition(bicycle.cassette, kCassetteCount) ||
      !NormalisePosition(bicycle.tire, kTireCount)) {
    return errcode::kBadValue;
  }
  return 0;
}

int ValidateBody(const BodyInfo& body) {
  if (!UsableBodyValue(body.height) || !UsableBodyValue(body.weight)) return errcode::kBadValue;
  if (body.gender && (*body.gender < 0 || *body.gender > 2)) return errcode::kBadValue;
  return 0;
}

std::int64_t InsertBicycle(SqliteTransaction& tx, std::int64_t member,
                           const BicycleRecord& bicycle) {
  auto insert = tx.Prepare(
      "INSERT INTO bicycles (member_id, name, weight, crank, cassette, tire, active) "
      "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)");
  insert.Bind(1, member)
      .Bind(2, std::string_view(bicycle.name))
      .Bind(3, bicycle.weight)
      .Bind(4, bicycle.crank)
      .Bind(5, bicycle.cassette)
      .Bind(6, bicycle.tire)
      .Bind(7, std::int64_t{bicycle.active ? 1 : 0});
  insert.Run();
  return tx.LastInsertId();
}

std::int64_t InsertDevice(SqliteTransaction& tx, std::int64_t member, const DeviceRecord& device) {
  auto insert =
      tx.Prepare("INSERT INTO devices (member_id, number, type, active) VALUES (?1, ?2, ?3, ?4)");
  insert.Bind(1, member)
      .Bind(2, std::int64_t{device.number})
      .Bind(3, std::int64_t{device.type})
      .Bind(4, std::int64_t{device.active ? 1 : 0});
  insert.Run();
  return tx.LastInsertId();
}

bool DeviceRegistered(SqliteTransaction& tx, std::int64_t member, int number, int type) {
  auto statement = tx.Prepare(
      "SELECT 1 FROM devices WHERE member_id = ?1 AND number = ?2 AND type = ?3");
  statement.Bind(1, member).Bind(2, std::int64_t{number}).Bind(3, std::int64_t{type});
  return statement.Step();
}

template <typename T>
Outcome<T> Refused(int code) {
  return Outcome<T>{code, T{}};
}

Done Finish(SqliteTransaction& tx) {
  tx.Commit();
  return Done{};
}

}  // namespace

Outcome<Account> TeamStore::SignInAccount(std::string_view signInId) {
  if (signInId.empty() || signInId.size() > 20 ||
      signInId.find_first_not_of("0123456789") != std::string_view::npos) {
    return Refused<Account>(errcode::kBadValue);
  }
  SqliteTransaction tx(database_, Kind::kWrite);
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

Outcome<Account> TeamStore::FindAccount(std::uint64_t accountId) {
  const auto account = RowId(accountId);
  if (!account) return Refused<Account>(errcode::kUnknownAccount);
  SqliteTransaction tx(database_, Kind::kRead);
  auto find = tx.Prepare("SELECT team_name FROM accounts WHERE id = ?1");
  find.Bind(1, *account);
  if (!find.Step()) return Refused<Account>(errcode::kUnknownAccount);
  return {0, Account{accountId, find.Text(0)}};
}

Done TeamStore::CheckTeamName(std::string_view name) {
  if (!UsableTeamName(name)) return Refused<Nothing>(errcode::kTeamNameUnavailable);
  SqliteTransaction tx(database_, Kind::kRead);
  if (TeamNameOwner(tx, name)) return Refused<Nothing>(errcode::kTeamNameUnavailable);
  return Done{};
}

Done TeamStore::ChangeTeamName(std::uint64_t accountId, std::string_view name) {
  const auto account = RowId(accountId);
  SqliteTransaction tx(database_, Kind::kWrite);
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

Outcome<std::vector<MemberRecord>> TeamStore::LoadMembers(std::uint64_t accountId) {
  using Members = std::vector<MemberRecord>;
  const auto account = RowId(accountId);
  SqliteTransaction tx(database_, Kind::kRead);
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
    record.body = {member.OptionalDouble(2), member.OptionalDouble(3), member.OptionalInt(4)};
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
         bicycle.OptionalDouble(4), bicycle.OptionalInt(5), bicycle.OptionalInt(6),
         bicycle.OptionalInt(7)});
  }
  return {0, std::move(members)};
}

Outcome<std::uint64_t> TeamStore::AddMember(std::uint64_t accountId, std::string_view name) {
  const auto account = RowId(accountId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (!account || !AccountExists(tx, *account)) {
    return Refused<std::uint64_t>(errcode::kUnknownAccount);
  }
  if (!UsableName(name)) return Refused<std::uint64_t>(errcode::kBadValue);
  auto insert = tx.Prepare("INSERT INTO members (account_id, name) VALUES (?1, ?2)");
  insert.Bind(1, *account).Bind(2, name);
  insert.Run();
  const std::uint64_t id = WireId(tx.LastInsertId());
  tx.Commit();
  return {0, id};
}

Done TeamStore::DeleteMember(std::uint64_t accountId, std::uint64_t memberId) {
  const auto member = RowId(memberId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<Nothing>(code);
  }
  // Devices and bicycles go with it (ON DELETE CASCADE).
  auto remove = tx.Prepare("DELETE FROM members WHERE id = ?1");
  remove.Bind(1, *member);
  remove.Run();
  return Finish(tx);
}

Done TeamStore::SaveBodyInfo(std::uint64_t accountId, std::uint64_t memberId,
                             const BodyInfo& body) {
  const auto member = RowId(memberId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<Nothing>(code);
  }
  if (const int code = ValidateBody(body)) return Refused<Nothing>(code);
  auto update =
      tx.Prepare("UPDATE members SET height = ?1, weight = ?2, gender = ?3 WHERE id = ?4");
  update.Bind(1, body.height).Bind(2, body.weight).Bind(3, body.gender).Bind(4, *member);
  update.Run();
  return Finish(tx);
}

Outcome<std::uint64_t> TeamStore::AddDevice(std::uint64_t memberId, int number, int type) {
  const auto member = RowId(memberId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (!member || !MemberExists(tx, *member)) {
    return Refused<std::uint64_t>(errcode::kUnknownMember);
  }
  if (!IsDeviceType(type) || number < 0 || number > kMaxDeviceNumber) {
    return Refused<std::uint64_t>(errcode::kBadValue);
  }
  if (DeviceRegistered(tx, *member, number, type)) {
    return Refused<std::uint64_t>(errcode::kDeviceRegistered);
  }
  const std::uint64_t id = WireId(InsertDevice(tx, *member, {0, false, number, type}));
  tx.Commit();
  return {0, id};
}

Done TeamStore::DeleteDevice(std::uint64_t accountId, std::uint64_t memberId,
                             std::uint64_t deviceId) {
  const auto member = RowId(memberId);
  const auto device = RowId(deviceId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<Nothing>(code);
  }
  if (const int code = CheckMemberDevice(tx, member, device)) return Refused<Nothing>(code);
  auto remove = tx.Prepare("DELETE FROM devices WHERE id = ?1");
  remove.Bind(1, *device);
  remove.Run();
  return Finish(tx);
}

Done TeamStore::ActivateDevice(std::uint64_t memberId, std::uint64_t deviceId) {
  const auto member = RowId(memberId);
  const auto device = RowId(deviceId);
  SqliteTransaction tx(database_, Kind::kWrite);
  DeviceState state;
  if (const int code = CheckMemberDevice(tx, member, device, &state)) {
    return Refused<Nothing>(code);
  }
  auto others = tx.Prepare(
      "UPDATE devices SET active = 0 WHERE member_id = ?1 AND type = ?2 AND id <> ?3 AND active");
  others.Bind(1, *member).Bind(2, std::int64_t{state.type}).Bind(3, *device);
  others.Run();
  // A device that was already active changes nothing across types, as in
  // the program's own model.
  if (!state.active) {
    auto activate = tx.Prepare("UPDATE devices SET active = 1 WHERE id = ?1");
    activate.Bind(1, *device);
    activate.Run();
    for (const int type : TypesSwitchedOffBy(state.type)) {
      auto off = tx.Prepare(
          "UPDATE devices SET active = 0 WHERE member_id = ?1 AND type = ?2 AND active");
      off.Bind(1, *member).Bind(2, std::int64_t{type});
      off.Run();
    }
  }
  return Finish(tx);
}

Done TeamStore::DeactivateDevice(std::uint64_t memberId, std::uint64_t deviceId) {
  const auto member = RowId(memberId);
  const auto device = RowId(deviceId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckMemberDevice(tx, member, device)) return Refused<Nothing>(code);
  auto update = tx.Prepare("UPDATE devices SET active = 0 WHERE id = ?1");
  update.Bind(1, *device);
  update.Run();
  return Finish(tx);
}

Outcome<std::uint64_t> TeamStore::AddBicycle(std::uint64_t memberId,
                                             const BicycleRecord& bicycle) {
  const auto member = RowId(memberId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (!member || !MemberExists(tx, *member)) {
    return Refused<std::uint64_t>(errcode::kUnknownMember);
  }
  BicycleRecord stored = bicycle;
  stored.active = false;
  if (const int code = ValidateBicycle(stored)) return Refused<std::uint64_t>(code);
  const std::uint64_t id = WireId(InsertBicycle(tx, *member, stored));
  tx.Commit();
  return {0, id};
}

Done TeamStore::DeleteBicycle(std::uint64_t accountId, std::uint64_t memberId,
                              std::uint64_t bicycleId) {
  const auto member = RowId(memberId);
  const auto bicycle = RowId(bicycleId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<Nothing>(code);
  }
  if (const int code = CheckMemberBicycle(tx, member, bicycle)) return Refused<Nothing>(code);
  auto remove = tx.Prepare("DELETE FROM bicycles WHERE id = ?1");
  remove.Bind(1, *bicycle);
  remove.Run();
  return Finish(tx);
}

Done TeamStore::ActivateBicycle(std::uint64_t memberId, std::uint64_t bicycleId) {
  const auto member = RowId(memberId);
  const auto bicycle = RowId(bicycleId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckMemberBicycle(tx, member, bicycle)) return Refused<Nothing>(code);
  auto update = tx.Prepare(
      "UPDATE bicycles SET active = (id = ?2) WHERE member_id = ?1 AND (active OR id = ?2)");
  update.Bind(1, *member).Bind(2, *bicycle);
  update.Run();
  return Finish(tx);
}

Done TeamStore::DeactivateBicycle(std::uint64_t memberId, std::uint64_t bicycleId) {
  const auto member = RowId(memberId);
  const auto bicycle = RowId(bicycleId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckMemberBicycle(tx, member, bicycle)) return Refused<Nothing>(code);
  auto update = tx.Prepare("UPDATE bicycles SET active = 0 WHERE id = ?1");
  update.Bind(1, *bicycle);
  update.Run();
  return Finish(tx);
}

Outcome<bool> TeamStore::ReportScore(std::uint64_t accountId, std::uint64_t memberId,
                                     RankingType type, double score) {
  const auto member = RowId(memberId);
  if (!std::isfinite(score) || score < 0) return Refused<bool>(errcode::kBadValue);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<bool>(code);
  }
  const char* sql = nullptr;
  switch (type) {
    case RankingType::kSpeed:
      sql = "UPDATE members SET best_speed = ?1 WHERE id = ?2 AND best_speed < ?1";
      break;
    case RankingType::kCadence:
      sql = "UPDATE members SET best_cadence = ?1 WHERE id = ?2 AND best_cadence < ?1";
      break;
    case RankingType::kHeartRate:
      sql = "UPDATE members SET best_hrm = ?1 WHERE id = ?2 AND best_hrm < ?1";
      break;
  }
  auto update = tx.Prepare(sql);
  if (type == RankingType::kSpeed) {
    update.Bind(1, score);
  } else {
    update.Bind(1, static_cast<std::int64_t>(score));
  }
  update.Bind(2, *member);
  update.Run();
  const bool raised = tx.Changes() > 0;
  tx.Commit();
  return {0, raised};
}

std::vector<RankingRow> TeamStore::LoadRanking(RankingType type) {
  const char* column = type == RankingType::kSpeed     ? "best_speed"
                       : type == RankingType::kCadence ? "best_cadence"
                                                       : "best_hrm";
  const std::string sql = std::string("SELECT COALESCE(a.team_name, ''), m.name, m.") + column +
                          " FROM members m JOIN accounts a ON a.id = m.account_id WHERE m." +
                          column + " > 0 ORDER BY m." + column + " DESC, m.id LIMIT ?1";
  SqliteTransaction tx(database_, Kind::kRead);
  auto statement = tx.Prepare(sql);
  statement.Bind(1, std::int64_t{kRankingRows});
  std::vector<RankingRow> rows;
  while (statement.Step()) {
    rows.push_back({statement.Text(0), statement.Text(1), statement.Double(2)});
  }
  return rows;
}

Outcome<std::uint64_t> TeamStore::ImportMember(std::uint64_t accountId,
                                               const MemberRecord& member) {
  const auto account = RowId(accountId);
  SqliteTransaction tx(database_, Kind::kWrite);
  if (!account || !AccountExists(tx, *account)) {
    return Refused<std::uint64_t>(errcode::kUnknownAccount);
  }
  if (!UsableName(member.name) || ValidateBody(member.body) != 0) {
    return Refused<std::uint64_t>(errcode::kBadValue);
  }
  auto insert = tx.Prepare(
      "INSERT INTO members (account_id, name, height, weight, gender) VALUES (?1, ?2, ?3, ?4, ?5)");
  insert.Bind(1, *account)
      .Bind(2, std::string_view(member.name))
      .Bind(3, member.body.height)
      .Bind(4, member.body.weight)
      .Bind(5, member.body.gender);
  insert.Run();
  const std::int64_t memberRow = tx.LastInsertId();
  for (const DeviceRecord& device : member.devices) {
    if (!IsDeviceType(device.type) || device.number < 0 || device.number > kMaxDeviceNumber) {
      return Refused<std::uint64_t>(errcode::kBadValue);
    }
    InsertDevice(tx, memberRow, device);
  }
  for (BicycleRecord bicycle : member.bicycles) {
    if (const int code = ValidateBicycle(bicycle)) return Refused<std::uint64_t>(code);
    InsertBicycle(tx, memberRow, bicycle);
  }
  tx.Commit();
  return {0, WireId(memberRow)};
}

}  // namespace vel::companion
