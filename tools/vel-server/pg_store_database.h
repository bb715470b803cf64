#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "pg_connection.h"
#include "store_database.h"

namespace vel::companion {

// The shared store: a PostgreSQL database that several servers may use at
// once. Each transaction has a connection of its own from a pool (made
// when none is idle): a write runs SERIALIZABLE, so that a rule checked
// before a change (a cap, one active device of a type) holds against every
// other server's changes, and a conflict comes back as StoreConflict; a
// read runs REPEATABLE READ, READ ONLY. Every commit is the server's own,
// durable before it returns: PostgreSQL flushes the commits of concurrent
// connections together, so there is no grouping of ours. Safe to call from
// any thread.
class PgStoreDatabase : public StoreDatabase {
 public:
  // Connects once to check the address; throws PgError when it cannot.
  explicit PgStoreDatabase(std::string url);

  int Migrate(std::span<const SchemaMigration> migrations) override;
  std::string Name() const override;

  // An idle connection, or a new one; back with Return when done.
  std::unique_ptr<PgConnection> Take();
  void Return(std::unique_ptr<PgConnection> connection);
  // A new connection, never a pooled one. Throws PgError.
  std::unique_ptr<PgConnection> Connect() const;

 private:
  std::unique_ptr<StoreTransaction::Backend> Begin(StoreTransaction::Kind kind) override;

  const std::string url_;
  std::mutex mutex_;
  std::vector<std::unique_ptr<PgConnection>> idle_;
};

// The store's SQL in PostgreSQL's words: ?N parameters become $N.
std::string PostgresParameters(std::string_view sql);
// A migration in PostgreSQL's words: 64-bit whole numbers, double
// precision, ids from an identity that never hands one out twice.
std::string PostgresSchema(std::string_view sql);

}  // namespace vel::companion
