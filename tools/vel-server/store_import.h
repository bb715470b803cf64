#pragma once

#include <cstdint>
#include <string>

#include "pg_store_database.h"
#include "sqlite_store_database.h"

namespace vel::companion {

// What a move of a studio's database copied, table by table.
struct ImportCounts {
  std::int64_t accounts = 0;
  std::int64_t members = 0;  // with their bests
  std::int64_t devices = 0;
  std::int64_t bicycles = 0;
  std::int64_t tokens = 0;
  std::int64_t sessions = 0;
};

// Copies every row of `source` (brought to the latest schema first) into
// `target` with the same ids, in one transaction, and sets the target's ids
// to go on past every id the source ever handed out. Both must have the
// latest schema. Throws std::runtime_error, having copied nothing, when
// the target holds any account or token already, or when either fails.
ImportCounts ImportSqlite(SqliteStoreDatabase& source, PgStoreDatabase& target);

// "5 accounts, 40 members, ..." of a copy.
std::string Describe(const ImportCounts& counts);

}  // namespace vel::companion
