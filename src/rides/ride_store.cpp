#include "rides/ride_store.h"

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>
#include <string>

#include "common/connection_transaction.h"
#include "common/sqlite_migrations.h"
#include "common/sqlite_statement.h"

namespace vel {
namespace {

// Speeds are kept in tenths of km/h and distances in metres, what the
// panels show, as integers: a room's hour stays well under 2 MB.
constexpr SchemaMigration kMigrations[] = {
    {1, R"sql(
CREATE TABLE rides (
  id             INTEGER PRIMARY KEY AUTOINCREMENT,
  member_id      INTEGER NOT NULL,       -- the application server's member id
  member_name    TEXT NOT NULL,
  start_utc_ms   INTEGER NOT NULL,       -- ms since 1970, UTC
  weight         REAL,                   -- kg, for calories by heart rate
  gender         INTEGER,                -- the roster's: 1 male, 2 female
  age            INTEGER,                -- years
  ended          INTEGER NOT NULL DEFAULT 0,  -- 0 while a program rides it
  recovered      INTEGER NOT NULL DEFAULT 0,  -- ended by a later start
  owner_pid      INTEGER NOT NULL,       -- the riding program, while open
  owner_started  INTEGER NOT NULL,       -- its start time (clock ticks since boot)
  riding_ms      INTEGER NOT NULL DEFAULT 0,  -- figures of the summary, kept
  distance_m     INTEGER NOT NULL DEFAULT 0,  -- at the end for the lists
  avg_power      REAL,
  avg_heart_rate REAL,
  kcal           REAL
);
CREATE INDEX rides_by_start ON rides(start_utc_ms);
CREATE INDEX rides_of_member ON rides(member_id, start_utc_ms);
CREATE TABLE spans (
  ride_id   INTEGER NOT NULL REFERENCES rides(id) ON DELETE CASCADE,
  begin_ms  INTEGER NOT NULL,
  end_ms    INTEGER NOT NULL,
  PRIMARY KEY (ride_id, begin_ms)
) WITHOUT ROWID;
CREATE TABLE samples (
  ride_id      INTEGER NOT NULL REFERENCES rides(id) ON DELETE CASCADE,
  offset_ms    INTEGER NOT NULL,
  heart_rate   INTEGER,
  speed_dkmh   INTEGER,                  -- tenths of km/h
  cadence      INTEGER,
  power        INTEGER,
  distance_m   INTEGER,
  front_teeth  INTEGER,
  rear_teeth   INTEGER,
  PRIMARY KEY (ride_id, offset_ms)
) WITHOUT ROWID;
)sql"},
    // The riders' own settings, and the zones' references a ride began with.
    {2, R"sql(
CREATE TABLE riders (
  member_id       INTEGER PRIMARY KEY,   -- the application server's member id
  max_heart_rate  INTEGER,               -- bpm
  ftp             INTEGER,               -- W
  birth_year      INTEGER
);
ALTER TABLE rides ADD COLUMN max_heart_rate INTEGER;
ALTER TABLE rides ADD COLUMN ftp INTEGER;
CREATE TABLE zone_times (
  ride_id  INTEGER NOT NULL REFERENCES rides(id) ON DELETE CASCADE,
  kind     TEXT NOT NULL,                -- 'heartrate' (zones 0-5) or 'power' (1-7)
  zone     INTEGER NOT NULL,
  seconds  REAL NOT NULL,
  PRIMARY KEY (ride_id, kind, zone)
) WITHOUT ROWID;
)sql"},
};

// A sample covers the second after it: a ride cut off after its last
// sample rode that second.
constexpr std::int64_t kSampleMs = 1000;

// This process as a ride's owner: its id and its start time, which tell a
// later process that reused the id from the one that died.
struct ProcessIdentity {
  std::int64_t pid = 0;
  std::int64_t started = 0;
};

std::optional<std::int64_t> StartTimeOf(std::int64_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(stat, text)) return std::nullopt;
  // The name in parentheses may hold spaces; the fields after it do not.
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(text.substr(close + 1));
  std::string field;
  // State is the third field of the line, start time the twenty-second.
  for (int i = 3; i <= 22 && fields >> field; ++i) {
    if (i == 22) {
      try {
        return std::stoll(field);
      } catch (const std::exception&) {
        return std::nullopt;
      }
    }
  }
  return std::nullopt;
}

ProcessIdentity ThisProcess() {
  const std::int64_t pid = ::getpid();
  return {pid, StartTimeOf(pid).value_or(0)};
}

bool StillRunning(std::int64_t pid, std::int64_t started) {
  const auto now = StartTimeOf(pid);
  return now && *now == started;
}

std::optional<std::int64_t> Tenths(const std::optional<double>& kmh) {
  if (!kmh) return std::nullopt;
  return static_cast<std::int64_t>(std::llround(*kmh * 10.0));
}

std::optional<std::int64_t> Metres(const std::optional<double>& km) {
  if (!km) return std::nullopt;
  return static_cast<std::int64_t>(std::llround(*km * 1000.0));
}

SqliteStatement& BindOptional(SqliteStatement& statement, int index,
                              const std::optional<std::int64_t>& value) {
  return value ? statement.Bind(index, *value) : statement.BindNull(index);
}

std::optional<std::int64_t> OptionalInt64(const SqliteStatement& row, int column) {
  if (row.IsNull(column)) return std::nullopt;
  return row.Int64(column);
}

}  // namespace

// The store's transaction.
class RideStore::Unit : public ConnectionTransaction {
 public:
  using ConnectionTransaction::ConnectionTransaction;
};

RideStore::RideStore(const std::filesystem::path& file) : connection_(MakeDatabasePrivate(file)) {
  connection_.Exec("PRAGMA foreign_keys = ON");
  const std::string mode = connection_.SetJournalMode("WAL");
  if (!InMemoryDatabase(file) && mode != "wal") {
    throw SqliteError("the ride store " + file.string() + " is in journal mode \"" + mode +
                      "\", not WAL");
  }
  connection_.Exec("PRAGMA synchronous = FULL");
  // A store opened to be read (the history, vel-rides) takes the write
  // lock only when its schema is behind, so it never holds up the writer.
  int version = 0;
  {
    SqliteStatement stored(connection_, "PRAGMA user_version");
    if (stored.Step()) version = stored.Int(0);
  }
  if (version != std::prev(std::end(kMigrations))->version) {
    Unit unit(connection_, Unit::Kind::kWrite);
    ApplyMigrations(unit, kMigrations);
    unit.Commit();
  }
}

int RideStore::CloseAbandonedRides() {
  const auto abandonedNow = [&](ConnectionTransaction& unit) {
    std::vector<std::int64_t> abandoned;
    auto open = unit.Prepare("SELECT id, owner_pid, owner_started FROM rides WHERE ended = 0");
    while (open.Step()) {
      if (!StillRunning(open.Int64(1), open.Int64(2))) abandoned.push_back(open.Int64(0));
    }
    return abandoned;
  };
  // Looked for first without the write lock: mostly there are none.
  {
    Unit look(connection_, Unit::Kind::kRead);
    if (abandonedNow(look).empty()) return 0;
  }
  Unit unit(connection_, Unit::Kind::kWrite);
  const std::vector<std::int64_t> abandoned = abandonedNow(unit);
  for (const std::int64_t id : abandoned) CloseRide(unit, id, true);
  unit.Commit();
  return static_cast<int>(abandoned.size());
}

void RideStore::CloseRide(Unit& unit, std::int64_t id, bool recovered) {
  {
    auto count = unit.Prepare("SELECT COUNT(*) FROM samples WHERE ride_id = ?1");
    count.Bind(1, id);
    if (!count.Step() || count.Int64(0) == 0) {
      // Nothing was ridden: nothing to keep.
      auto remove = unit.Prepare("DELETE FROM rides WHERE id = ?1");
      remove.Bind(1, id);
      remove.Run();
      return;
    }
  }
  // Within this transaction the ride reads as it is about to be kept.
  auto loaded = Load(id);
  if (!loaded) return;
  const RideSummary summary = Summarise(loaded->ride, loaded->body);
  auto close = unit.Prepare(
      "UPDATE rides SET ended = 1, recovered = ?2, riding_ms = ?3, distance_m = ?4, "
      "avg_power = ?5, avg_heart_rate = ?6, kcal = ?7 WHERE id = ?1");
  close.Bind(1, id)
      .Bind(2, std::int64_t{recovered ? 1 : 0})
      .Bind(3, loaded->ride.RidingMs())
      .Bind(4, *Metres(summary.distanceKm))
      .Bind(5, summary.avgPower)
      .Bind(6, summary.avgHeartRate)
      .Bind(7, summary.kcal);
  close.Run();
  const auto keepZones = [&](const char* kind, std::span<const double> seconds, int first) {
    for (std::size_t i = 0; i < seconds.size(); ++i) {
      auto zone = unit.Prepare(
          "INSERT OR REPLACE INTO zone_times (ride_id, kind, zone, seconds) VALUES (?1, ?2, ?3, "
          "?4)");
      zone.Bind(1, id)
          .Bind(2, std::string_view(kind))
          .Bind(3, std::int64_t{first + static_cast<int>(i)})
          .Bind(4, seconds[i]);
      zone.Run();
    }
  };
  if (summary.hasHeartRateZones) keepZones("heartrate", summary.heartRateZoneSeconds, 0);
  if (summary.hasPowerZones) keepZones("power", summary.powerZoneSeconds, 1);
}

RiderSettings RideStore::Rider(std::uint64_t memberId) {
  Unit unit(connection_, Unit::Kind::kRead);
  auto row =
      unit.Prepare("SELECT max_heart_rate, ftp, birth_year FROM riders WHERE member_id = ?1");
  row.Bind(1, static_cast<std::int64_t>(memberId));
  if (!row.Step()) return {};
  return {row.OptionalInt(0), row.OptionalInt(1), row.OptionalInt(2)};
}

std::map<std::uint64_t, RiderSettings> RideStore::Riders() {
  Unit unit(connection_, Unit::Kind::kRead);
  auto rows = unit.Prepare("SELECT member_id, max_heart_rate, ftp, birth_year FROM riders");
  std::map<std::uint64_t, RiderSettings> riders;
  while (rows.Step()) {
    riders[static_cast<std::uint64_t>(rows.Int64(0))] = {rows.OptionalInt(1), rows.OptionalInt(2),
                                                         rows.OptionalInt(3)};
  }
  return riders;
}

void RideStore::SetRider(std::uint64_t memberId, const RiderSettings& settings) {
  Unit unit(connection_, Unit::Kind::kWrite);
  auto row = unit.Prepare(
      "INSERT OR REPLACE INTO riders (member_id, max_heart_rate, ftp, birth_year) "
      "VALUES (?1, ?2, ?3, ?4)");
  row.Bind(1, static_cast<std::int64_t>(memberId))
      .Bind(2, settings.maxHeartRate)
      .Bind(3, settings.ftp)
      .Bind(4, settings.birthYear);
  row.Run();
  unit.Commit();
}

void RideStore::Apply(const std::vector<RideChange>& changes) {
  // The open rides as they will be once this commits; a failure keeps
  // the old ones, so the same changes can be applied again.
  std::map<RideRecorder::Handle, OpenRide> open = open_;
  const ProcessIdentity self = ThisProcess();
  Unit unit(connection_, Unit::Kind::kWrite);
  for (const RideChange& change : changes) {
    if (change.kind == RideChange::Kind::kBegin) {
      auto insert = unit.Prepare(
          "INSERT INTO rides (member_id, member_name, start_utc_ms, weight, gender, age, "
          "owner_pid, owner_started, max_heart_rate, ftp) "
          "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10)");
      insert.Bind(1, static_cast<std::int64_t>(change.start.memberId))
          .Bind(2, std::string_view(change.start.memberName))
          .Bind(3, change.start.startUtcMs)
          .Bind(4, change.start.body.weightKg)
          .Bind(5, change.start.body.gender)
          .Bind(6, change.start.body.age)
          .Bind(7, self.pid)
          .Bind(8, self.started)
          .Bind(9, change.start.body.maxHeartRate)
          .Bind(10, change.start.body.ftp);
      insert.Run();
      const std::int64_t id = unit.LastInsertId();
      auto span = unit.Prepare("INSERT INTO spans (ride_id, begin_ms, end_ms) VALUES (?1, 0, 0)");
      span.Bind(1, id);
      span.Run();
      open[change.ride] = OpenRide{id, 0};
      continue;
    }
    const auto found = open.find(change.ride);
    if (found == open.end()) continue;
    OpenRide& ride = found->second;
    // A sample carries the span on; a pause or the end closes it where
    // the clock stopped.
    const auto endSpan = [&](std::int64_t endMs, bool closing) {
      if (!ride.spanBegin) return;
      auto update = unit.Prepare(
          closing
              ? "UPDATE spans SET end_ms = MAX(begin_ms, ?3) WHERE ride_id = ?1 AND begin_ms = ?2"
              : "UPDATE spans SET end_ms = MAX(end_ms, ?3) WHERE ride_id = ?1 AND begin_ms = ?2");
      update.Bind(1, ride.id).Bind(2, *ride.spanBegin).Bind(3, endMs);
      update.Run();
    };
    switch (change.kind) {
      case RideChange::Kind::kSample: {
        const RideSample& s = change.sample;
        auto insert = unit.Prepare(
            "INSERT OR REPLACE INTO samples (ride_id, offset_ms, heart_rate, speed_dkmh, cadence, "
            "power, distance_m, front_teeth, rear_teeth) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9)");
        insert.Bind(1, ride.id).Bind(2, s.offsetMs).Bind(3, s.heartRate);
        BindOptional(insert, 4, Tenths(s.speed));
        insert.Bind(5, s.cadence).Bind(6, s.power);
        BindOptional(insert, 7, Metres(s.distance));
        insert.Bind(8, s.frontTeeth).Bind(9, s.rearTeeth);
        insert.Run();
        // Kept as it goes: a ride cut off here has ridden up to this second.
        endSpan(s.offsetMs + kSampleMs, false);
        break;
      }
      case RideChange::Kind::kPause:
        endSpan(change.offsetMs, true);
        ride.spanBegin.reset();
        break;
      case RideChange::Kind::kResume: {
        if (ride.spanBegin) break;
        auto span = unit.Prepare(
            "INSERT OR IGNORE INTO spans (ride_id, begin_ms, end_ms) VALUES (?1, ?2, ?2)");
        span.Bind(1, ride.id).Bind(2, change.offsetMs);
        span.Run();
        ride.spanBegin = change.offsetMs;
        break;
      }
      case RideChange::Kind::kEnd:
        endSpan(change.offsetMs, true);
        CloseRide(unit, ride.id, false);
        open.erase(found);
        break;
      case RideChange::Kind::kBegin: break;
    }
  }
  unit.Commit();
  open_ = std::move(open);
}

std::vector<RideListing> RideStore::List(std::optional<std::uint64_t> memberId) {
  Unit unit(connection_, Unit::Kind::kRead);
  auto rows = unit.Prepare(
      "SELECT r.id, r.member_id, r.member_name, r.start_utc_ms, r.ended, r.riding_ms, "
      "r.distance_m, r.avg_power, r.avg_heart_rate, r.kcal, "
      "(SELECT COALESCE(SUM(end_ms - begin_ms), 0) FROM spans s WHERE s.ride_id = r.id), "
      "(SELECT MAX(distance_m) FROM samples s WHERE s.ride_id = r.id), "
      "(SELECT AVG(power) FROM samples s WHERE s.ride_id = r.id AND r.ended = 0), "
      "(SELECT AVG(heart_rate) FROM samples s WHERE s.ride_id = r.id AND r.ended = 0) "
      "FROM rides r WHERE ?1 IS NULL OR r.member_id = ?1 ORDER BY r.start_utc_ms DESC, r.id DESC");
  BindOptional(
      rows, 1,
      memberId ? std::optional<std::int64_t>(static_cast<std::int64_t>(*memberId)) : std::nullopt);
  std::vector<RideListing> listed;
  while (rows.Step()) {
    RideListing ride;
    ride.id = rows.Int64(0);
    ride.memberId = static_cast<std::uint64_t>(rows.Int64(1));
    ride.memberName = rows.Text(2);
    ride.startUtcMs = rows.Int64(3);
    ride.open = rows.Int(4) == 0;
    // A ride still being ridden has no kept figures yet: what it has so far.
    ride.ridingSeconds = static_cast<double>(ride.open ? rows.Int64(10) : rows.Int64(5)) / 1000.0;
    ride.distanceKm =
        static_cast<double>(ride.open ? OptionalInt64(rows, 11).value_or(0) : rows.Int64(6)) /
        1000.0;
    ride.avgPower = rows.OptionalDouble(ride.open ? 12 : 7);
    ride.avgHeartRate = rows.OptionalDouble(ride.open ? 13 : 8);
    ride.kcal = rows.OptionalDouble(9);  // kept once the ride is over
    listed.push_back(std::move(ride));
  }
  return listed;
}

std::optional<StoredRide> RideStore::Load(std::int64_t id) {
  // Inside a transaction of this connection already (CloseRide), reads
  // see it; otherwise they see the last commit.
  StoredRide stored;
  {
    SqliteStatement ride(connection_,
                         "SELECT member_id, member_name, start_utc_ms, weight, gender, age, "
                         "recovered, max_heart_rate, ftp FROM rides WHERE id = ?1");
    ride.Bind(1, id);
    if (!ride.Step()) return std::nullopt;
    stored.ride.id = id;
    stored.ride.memberId = static_cast<std::uint64_t>(ride.Int64(0));
    stored.ride.memberName = ride.Text(1);
    stored.ride.startUtcMs = ride.Int64(2);
    stored.body = {ride.OptionalDouble(3), ride.OptionalInt(4), ride.OptionalInt(5),
                   ride.OptionalInt(7), ride.OptionalInt(8)};
    stored.ride.recovered = ride.Int(6) != 0;
  }
  {
    SqliteStatement spans(
        connection_, "SELECT begin_ms, end_ms FROM spans WHERE ride_id = ?1 ORDER BY begin_ms");
    spans.Bind(1, id);
    while (spans.Step()) stored.ride.spans.push_back({spans.Int64(0), spans.Int64(1)});
  }
  SqliteStatement samples(connection_,
                          "SELECT offset_ms, heart_rate, speed_dkmh, cadence, power, distance_m, "
                          "front_teeth, rear_teeth FROM samples WHERE ride_id = ?1 "
                          "ORDER BY offset_ms");
  samples.Bind(1, id);
  while (samples.Step()) {
    RideSample s;
    s.offsetMs = samples.Int64(0);
    s.heartRate = samples.OptionalInt(1);
    if (const auto tenths = OptionalInt64(samples, 2))
      s.speed = static_cast<double>(*tenths) / 10.0;
    s.cadence = samples.OptionalInt(3);
    s.power = samples.OptionalInt(4);
    if (const auto metres = OptionalInt64(samples, 5)) {
      s.distance = static_cast<double>(*metres) / 1000.0;
    }
    s.frontTeeth = samples.OptionalInt(6);
    s.rearTeeth = samples.OptionalInt(7);
    stored.ride.samples.push_back(s);
  }
  return stored;
}

bool RideStore::Delete(std::int64_t id) {
  Unit unit(connection_, Unit::Kind::kWrite);
  auto remove = unit.Prepare("DELETE FROM rides WHERE id = ?1");
  remove.Bind(1, id);
  remove.Run();
  const bool deleted = sqlite3_changes(connection_.Handle()) > 0;
  unit.Commit();
  return deleted;
}

std::vector<std::pair<std::uint64_t, std::string>> RideStore::Members() {
  Unit unit(connection_, Unit::Kind::kRead);
  // The name a member rode under last.
  auto rows = unit.Prepare(
      "SELECT member_id, member_name FROM rides r WHERE id = "
      "(SELECT id FROM rides s WHERE s.member_id = r.member_id ORDER BY start_utc_ms DESC, id "
      "DESC LIMIT 1) ORDER BY member_name, member_id");
  std::vector<std::pair<std::uint64_t, std::string>> members;
  while (rows.Step()) members.emplace_back(static_cast<std::uint64_t>(rows.Int64(0)), rows.Text(1));
  return members;
}

}  // namespace vel
