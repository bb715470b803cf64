#pragma once

#include <iterator>
#include <span>
#include <string>

#include "common/sqlite_connection.h"

namespace vel {

// One step of a database's schema. Never edit a migration that has
// shipped: add the next number instead.
struct SchemaMigration {
  int version;
  const char* sql;
};

// Brings the schema, numbered in PRAGMA user_version, up to the last of
// `migrations` inside `unit`, an open write transaction with Exec(sql) and
// Prepare(sql) (the caller commits). Returns the version found. A database
// of a newer program is left alone: SqliteError.
template <typename Unit>
int ApplyMigrations(Unit& unit, std::span<const SchemaMigration> migrations) {
  int found = 0;
  {
    auto version = unit.Prepare("PRAGMA user_version");
    if (version.Step()) found = version.Int(0);
  }
  const int latest = migrations.empty() ? 0 : std::prev(migrations.end())->version;
  if (found > latest) {
    throw SqliteError("the database has schema version " + std::to_string(found) +
                      ", newer than this program's " + std::to_string(latest));
  }
  for (const SchemaMigration& migration : migrations) {
    if (migration.version <= found) continue;
    unit.Exec(migration.sql);
    unit.Exec(("PRAGMA user_version = " + std::to_string(migration.version)).c_str());
  }
  return found;
}

}  // namespace vel
