#include "store_import.h"

#include <stdexcept>
#include <vector>

#include "common/verify.h"

namespace vel::companion {
namespace {

using Kind = StoreTransaction::Kind;

// A table as the copy reads and writes it: its columns, each with its kind
// ('i' whole number, 'r' real, 't' text), and whether its first column is
// an id the database hands out.
struct CopiedTable {
  const char* name;
  std::vector<std::pair<const char*, char>> columns;
  bool ids;
};

// In the order of their references.
const CopiedTable kTables[] = {
    {"accounts", {{"id", 'i'}, {"sign_in_id", 't'}, {"team_name", 't'}}, true},
    {"members",
     {{"id", 'i'},
      {"account_id", 'i'},
      {"name", 't'},
      {"height", 'r'},
      {"weight", 'r'},
      {"gender", 'i'},
      {"best_speed", 'r'},
      {"best_cadence", 'i'},
      {"best_hrm", 'i'}},
     true},
    {"devices",
     {{"id", 'i'}, {"member_id", 'i'}, {"number", 'i'}, {"type", 'i'}, {"active", 'i'}},
     true},
    {"bicycles",
     {{"id", 'i'},
      {"member_id", 'i'},
      {"name", 't'},
      {"weight", 'r'},
      {"crank", 'i'},
      {"cassette", 'i'},
      {"tire", 'i'},
      {"active", 'i'}},
     true},
    {"tokens",
     {{"token", 't'},
      {"kind", 't'},
      {"app_id", 't'},
      {"user_id", 't'},
      {"user_name", 't'},
      {"issued_at", 'i'},
      {"expires_at", 'i'},
      {"issued_order", 'i'}},
     false},
    {"sessions", {{"key_hash", 't'}, {"account_id", 'i'}, {"expires_at", 'i'}}, false},
};

std::int64_t CopyTable(StoreTransaction& from, StoreTransaction& to, const CopiedTable& table) {
  std::string names;
  std::string places;
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    names += std::string(i == 0 ? "" : ", ") + table.columns[i].first;
    places += std::string(i == 0 ? "" : ", ") + "?" + std::to_string(i + 1);
  }
  auto read = from.Prepare("SELECT " + names + " FROM " + table.name + " ORDER BY " +
                           table.columns[0].first);
  std::int64_t copied = 0;
  while (read.Step()) {
    auto write = to.Prepare(std::string("INSERT INTO ") + table.name + " (" + names + ") VALUES (" +
                            places + ")");
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
      const int column = static_cast<int>(i);
      const int param = column + 1;
      if (read.IsNull(column)) {
        write.BindNull(param);
        continue;
      }
      switch (table.columns[i].second) {
        case 'i': write.Bind(param, read.Int64(column)); break;
        case 'r': write.Bind(param, read.Double(column)); break;
        case 't': write.Bind(param, std::string_view(read.Text(column))); break;
        default: VEL_VERIFY_OR_DEBUG_ASSERT(false) { throw std::logic_error("a column kind");
          }
      }
    }
    write.Run();
    ++copied;
  }
  return copied;
}

// The next id of a table: past the highest there and past the highest
// SQLite ever handed out (a deleted last row's id is never given again).
std::int64_t NextId(StoreTransaction& from, const char* table) {
  auto highest = from.Prepare(std::string("SELECT COALESCE(MAX(id), 0) FROM ") + table);
  std::int64_t next = highest.Step() ? highest.Int64(0) + 1 : 1;
  auto handed = from.Prepare("SELECT seq FROM sqlite_sequence WHERE name = ?1");
  handed.Bind(1, std::string_view(table));
  if (handed.Step()) next = std::max(next, handed.Int64(0) + 1);
  return next;
}

}  // namespace

ImportCounts ImportSqlite(SqliteStoreDatabase& source, PgStoreDatabase& target) {
  StoreTransaction from(source, Kind::kRead);
  StoreTransaction to(target, Kind::kWrite);
  {
    auto used =
        to.Prepare("SELECT (SELECT COUNT(*) FROM accounts) + (SELECT COUNT(*) FROM tokens)");
    if (used.Step() && used.Int64(0) != 0) {
      throw std::runtime_error("the target database already holds accounts or tokens: " +
                               target.Name() + " (an import goes into an empty one only)");
    }
  }
  std::int64_t counts[std::size(kTables)] = {};
  for (std::size_t i = 0; i < std::size(kTables); ++i) {
    const CopiedTable& table = kTables[i];
    counts[i] = CopyTable(from, to, table);
    if (!table.ids) continue;
    auto resume = to.Prepare(std::string("SELECT setval(pg_get_serial_sequence('") + table.name +
                             "', 'id'), ?1, false)");
    resume.Bind(1, NextId(from, table.name));
    resume.Run();
  }
  to.Commit();
  return ImportCounts{counts[0], counts[1], counts[2], counts[3], counts[4], counts[5]};
}

std::string Describe(const ImportCounts& counts) {
  return std::to_string(counts.accounts) + " accounts, " + std::to_string(counts.members) +
         " members with their bests, " + std::to_string(counts.devices) + " devices, " +
         std::to_string(counts.bicycles) + " bicycles, " + std::to_string(counts.tokens) +
         " tokens, " + std::to_string(counts.sessions) + " session keys";
}

}  // namespace vel::companion
