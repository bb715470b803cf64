#include "vel-server/schema_migrations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/scratch_folder.h"
#include "vel-server/sqlite_store_database.h"
#include "vel-server/team_store.h"

namespace vel {
namespace {

namespace fs = std::filesystem;

TEST(SchemaTest, IsMadeOnceAndADatabaseOfANewerServerIsLeftAlone) {
  const test::ScratchFolder scratch;
  const fs::path file = scratch / "vel-schema.db";
  {
    companion::SqliteStoreDatabase database(file);
    EXPECT_EQ(companion::MigrateSchema(database), 0);
    EXPECT_EQ(companion::MigrateSchema(database), companion::LatestSchemaVersion());
    companion::TeamStore store(database);
    EXPECT_TRUE(store.SignInAccount("5").Ok());
  }
  {
    companion::SqliteDatabase database(file);
    companion::SqliteTransaction tx(database, companion::SqliteTransaction::Kind::kWrite);
    tx.Exec("PRAGMA user_version = 99");
    tx.Commit();
  }
  {
    companion::SqliteStoreDatabase database(file);
    EXPECT_THROW(companion::MigrateSchema(database), companion::SqliteError);
  }
}

TEST(SchemaTest, TheDatabaseAndItsLogAreTheServersUserAlone) {
  const test::ScratchFolder scratch;
  const fs::path file = scratch / "vel.db";
  {
    std::ofstream{file};  // an empty database a hand made readable to all
    fs::permissions(file, fs::perms(0644));
    companion::SqliteStoreDatabase database(file);
    companion::MigrateSchema(database);
    for (const char* suffix : {"", "-wal", "-shm"}) {
      const fs::path made = file.string() + suffix;
      ASSERT_TRUE(fs::exists(made)) << made;
      EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms(0600)) << made;
    }
  }
}

}  // namespace
}  // namespace vel
