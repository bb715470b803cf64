#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

#include "common/sqlite_migrations.h"

namespace vel::companion {

class SqliteDatabase;

// The database under the team store, embedded (SQLite) or shared by several
// servers (PostgreSQL), reached through one statement interface so that the
// stores are one code for both. The stores write SQL both understand:
// parameters as ?1, ?2, ... (each backend's own form is made from them),
// whole numbers for truth values, no rowid.

// A value to bind: none is SQL NULL.
using StoreValue = std::variant<std::monostate, std::int64_t, double, std::string>;

// A transaction that another one, running at the same time, made fail (a
// serialization failure, a deadlock, a key taken by it): run again from its
// start, it may well succeed. Thrown only by a database shared by several
// connections that write.
class StoreConflict : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Runs `work`, a whole unit of work with its own transaction, again while
// it fails for a conflict with another transaction: a few times, after a
// short pause of random length; the last conflict stands.
inline constexpr int kConflictAttempts = 16;
void PauseAfterConflict(int attempt);
template <typename Work>
auto RetryConflicts(Work&& work) -> decltype(work()) {
  for (int attempt = 1;; ++attempt) {
    try {
      return work();
    } catch (const StoreConflict&) {
      if (attempt == kConflictAttempts) throw;
      PauseAfterConflict(attempt);
    }
  }
}

// One statement of a transaction. Parameters count from 1 and columns from
// 0. Throws std::runtime_error (SqliteError, PgError or StoreConflict) when
// the database fails.
class StoreStatement {
 public:
  class Backend {
   public:
    virtual ~Backend() = default;
    virtual void Bind(int index, StoreValue value) = 0;
    virtual bool Step() = 0;
    virtual bool IsNull(int column) const = 0;
    virtual std::int64_t Int64(int column) const = 0;
    virtual double Double(int column) const = 0;
    virtual std::string Text(int column) const = 0;
  };

  explicit StoreStatement(std::unique_ptr<Backend> backend) : backend_(std::move(backend)) {}

  StoreStatement& Bind(int index, std::int64_t value);
  StoreStatement& Bind(int index, double value);
  StoreStatement& Bind(int index, std::string_view value);
  StoreStatement& Bind(int index, std::optional<double> value);
  StoreStatement& Bind(int index, std::optional<int> value);
  StoreStatement& BindNull(int index);

  // One step: true while it yields a row.
  bool Step() { return backend_->Step(); }
  // Steps to the end (for statements that yield nothing).
  void Run();

  bool IsNull(int column) const { return backend_->IsNull(column); }
  std::int64_t Int64(int column) const { return backend_->Int64(column); }
  int Int(int column) const { return static_cast<int>(backend_->Int64(column)); }
  double Double(int column) const { return backend_->Double(column); }
  std::string Text(int column) const { return backend_->Text(column); }
  std::optional<double> OptionalDouble(int column) const;
  std::optional<int> OptionalInt(int column) const;

 private:
  std::unique_ptr<Backend> backend_;
};

class StoreDatabase;

// A unit of work: a transaction open from construction to Commit; without
// Commit it is rolled back. A write sees and changes the last committed
// state as if no other transaction ran beside it; a read sees one committed
// state throughout.
class StoreTransaction {
 public:
  enum class Kind { kRead, kWrite };

  class Backend {
   public:
    virtual ~Backend() = default;  // rolls back when not committed
    virtual std::unique_ptr<StoreStatement::Backend> Prepare(std::string_view sql) = 0;
    virtual void Exec(const char* sql) = 0;
    virtual std::int64_t LastInsertId() = 0;
    virtual std::int64_t Changes() const = 0;
    virtual void Commit() = 0;
  };

  StoreTransaction(StoreDatabase& database, Kind kind);
  ~StoreTransaction();
  StoreTransaction(const StoreTransaction&) = delete;
  StoreTransaction& operator=(const StoreTransaction&) = delete;

  StoreStatement Prepare(std::string_view sql) { return StoreStatement(backend_->Prepare(sql)); }
  // Runs SQL without parameters, several statements allowed.
  void Exec(const char* sql) { backend_->Exec(sql); }
  // The id the last INSERT into a table with an id column gave its row.
  std::int64_t LastInsertId() { return backend_->LastInsertId(); }
  // Rows changed by the last statement.
  std::int64_t Changes() const { return backend_->Changes(); }
  void Commit() { backend_->Commit(); }

 private:
  std::unique_ptr<Backend> backend_;
};

class StoreDatabase {
 public:
  virtual ~StoreDatabase() = default;

  // Brings the schema up to the last of `migrations` (SQL in SQLite's
  // words; a backend of other words translates the column types); gives
  // the version found (0: a new database). Throws when the database holds
  // a newer schema than the program knows.
  virtual int Migrate(std::span<const SchemaMigration> migrations) = 0;
  // The SQLite database when this is one: the one writer groups its
  // commits (GroupCommitWriter). Null for a database whose own server
  // groups the commits of many connections.
  virtual SqliteDatabase* Embedded() { return nullptr; }
  // What a log line calls the database (no password).
  virtual std::string Name() const = 0;

 private:
  friend class StoreTransaction;
  virtual std::unique_ptr<StoreTransaction::Backend> Begin(StoreTransaction::Kind kind) = 0;
};

// Opens the database `spec` names: "sqlite:PATH", "postgresql://..." (or
// "postgres://..."), or a bare path, which is a SQLite file. Throws
// std::runtime_error when it cannot be opened.
std::unique_ptr<StoreDatabase> OpenStoreDatabase(const std::string& spec);

// Whether `spec` names a PostgreSQL database.
bool PostgresSpec(std::string_view spec);

}  // namespace vel::companion
