#pragma once

#include "sqlite_database.h"

namespace vel::companion {

// The schema version this server writes (PRAGMA user_version).
int LatestSchemaVersion();

// Brings the database up to LatestSchemaVersion, applying each numbered
// migration above the stored version in order, all in one transaction.
// Returns the version found before. A database written by a newer server
// is refused (SqliteError) rather than changed.
int MigrateSchema(SqliteDatabase& database);

}  // namespace vel::companion
