#pragma once

#include "store_database.h"

namespace vel::companion {

// The schema version this server writes (SQLite: PRAGMA user_version;
// PostgreSQL: the table vel_schema).
int LatestSchemaVersion();

// Brings the database up to LatestSchemaVersion, applying each numbered
// migration above the stored version in order, all in one transaction.
// Returns the version found before. A database written by a newer server
// is refused (an error) rather than changed.
int MigrateSchema(StoreDatabase& database);

}  // namespace vel::companion
