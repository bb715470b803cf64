#include "schema_migrations.h"

#include <iterator>

namespace vel::companion {
namespace {

// Never edit a migration that has shipped: add the next number instead.
// AUTOINCREMENT keeps ids from ever being handed out twice, also after the
// highest row was deleted.
constexpr SchemaMigration kMigrations[] = {
    {1, R"sql(
CREATE TABLE accounts (
  id          INTEGER PRIMARY KEY AUTOINCREMENT,
  sign_in_id  TEXT NOT NULL UNIQUE,      -- the sign-in's user id (decimal)
  team_name   TEXT UNIQUE                -- NULL until the team registers one
);
CREATE TABLE members (
  id            INTEGER PRIMARY KEY AUTOINCREMENT,
  account_id    INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
  name          TEXT NOT NULL,
  height        REAL,                    -- centimetres; NULL when unknown
  weight        REAL,                    -- kilograms; NULL when unknown
  gender        INTEGER,                 -- 0 none, 1 male, 2 female; NULL when unknown
  best_speed    REAL NOT NULL DEFAULT 0,     -- km/h
  best_cadence  INTEGER NOT NULL DEFAULT 0,  -- rpm
  best_hrm      INTEGER NOT NULL DEFAULT 0   -- bpm
);
CREATE INDEX members_of_account ON members(account_id);
CREATE TABLE devices (
  id         INTEGER PRIMARY KEY AUTOINCREMENT,
  member_id  INTEGER NOT NULL REFERENCES members(id) ON DELETE CASCADE,
  number     INTEGER NOT NULL,           -- ANT device number
  type       INTEGER NOT NULL,           -- ANT+ device type
  active     INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX devices_of_member ON devices(member_id);
CREATE TABLE bicycles (
  id         INTEGER PRIMARY KEY AUTOINCREMENT,
  member_id  INTEGER NOT NULL REFERENCES members(id) ON DELETE CASCADE,
  name       TEXT NOT NULL,
  weight     REAL,                       -- kilograms; NULL when not set
  crank      INTEGER,                    -- positions in the program's fixed
  cassette   INTEGER,                    -- chainring, cassette and tire lists;
  tire       INTEGER,                    -- NULL when nothing is chosen
  active     INTEGER NOT NULL DEFAULT 0
);
CREATE INDEX bicycles_of_member ON bicycles(member_id);
CREATE TABLE tokens (
  token       TEXT PRIMARY KEY,
  kind        TEXT NOT NULL,             -- 'user' or 'app'
  app_id      TEXT NOT NULL,
  user_id     TEXT,                      -- user tokens: the sign-in's user id
  user_name   TEXT,
  issued_at   INTEGER NOT NULL,          -- seconds since 1970
  expires_at  INTEGER NOT NULL           -- 0: never
);
)sql"},
    // Expired tokens are deleted and each user keeps only the newest.
    {2, R"sql(
CREATE INDEX tokens_by_expiry ON tokens(expires_at);
CREATE INDEX tokens_of_user ON tokens(kind, user_id, issued_at);
)sql"},
    // The order of issue, also within one second: which tokens are a
    // user's newest no longer rests on a row number only SQLite has.
    {3, R"sql(
ALTER TABLE tokens ADD COLUMN issued_order INTEGER NOT NULL DEFAULT 0;
CREATE INDEX tokens_by_order ON tokens(issued_order);
)sql"},
    // A strict server's session keys, kept as their SHA-256 only.
    {4, R"sql(
CREATE TABLE sessions (
  key_hash    TEXT PRIMARY KEY,
  account_id  INTEGER NOT NULL REFERENCES accounts(id) ON DELETE CASCADE,
  expires_at  INTEGER NOT NULL           -- seconds since 1970, as its token; 0: never
);
CREATE INDEX sessions_by_expiry ON sessions(expires_at);
)sql"},
};

}  // namespace

int LatestSchemaVersion() { return std::prev(std::end(kMigrations))->version; }

int MigrateSchema(StoreDatabase& database) { return database.Migrate(kMigrations); }

}  // namespace vel::companion
