#pragma once

#include <filesystem>
#include <string>

#include "sqlite_database.h"
#include "store_database.h"

namespace vel::companion {

// The embedded store: one SQLite file (or ":memory:"), written by one
// connection at a time, its commits grouped by GroupCommitWriter.
class SqliteStoreDatabase : public StoreDatabase {
 public:
  explicit SqliteStoreDatabase(const std::filesystem::path& file);

  int Migrate(std::span<const SchemaMigration> migrations) override;
  SqliteDatabase* Embedded() override { return &database_; }
  std::string Name() const override { return file_.string(); }

 private:
  std::unique_ptr<StoreTransaction::Backend> Begin(StoreTransaction::Kind kind) override;

  const std::filesystem::path file_;
  SqliteDatabase database_;
};

}  // namespace vel::companion
