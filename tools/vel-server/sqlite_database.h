#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vel::companion {

// A failed SQLite call, with SQLite's own text.
class SqliteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One prepared statement, finalised with the object. Parameters count from
// 1 and columns from 0, as in SQLite.
class SqliteStatement {
 public:
  SqliteStatement(sqlite3* db, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  SqliteStatement& Bind(int index, std::int64_t value);
  SqliteStatement& Bind(int index, double value);
  SqliteStatement& Bind(int index, std::string_view value);
  SqliteStatement& Bind(int index, std::optional<double> value);
  SqliteStatement& Bind(int index, std::optional<int> value);
  SqliteStatement& BindNull(int index);

  // One step: true while it yields a row.
  bool Step();
  // Steps to the end (for statements that yield nothing).
  void Run();

  bool IsNull(int column) const;
  std::int64_t Int64(int column) const;
  int Int(int column) const;
  double Double(int column) const;
  std::string Text(int column) const;
  std::optional<double> OptionalDouble(int column) const;
  std::optional<int> OptionalInt(int column) const;

 private:
  void Check(int code, const char* what) const;

  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

// One connection. Every use goes through a SqliteTransaction, which holds
// the connection's mutex for its whole unit of work: the server's threads
// take turns, and no transaction ever sees another half done.
class SqliteDatabase {
 public:
  // Opens or creates the file (":memory:" for a database without a file)
  // in write-ahead-log mode with full synchronisation on commit, so that a
  // committed change survives a crash of the process or of the machine.
  explicit SqliteDatabase(const std::filesystem::path& file);
  ~SqliteDatabase();
  SqliteDatabase(const SqliteDatabase&) = delete;
  SqliteDatabase& operator=(const SqliteDatabase&) = delete;

 private:
  friend class SqliteTransaction;

  sqlite3* db_ = nullptr;
  std::mutex mutex_;
};

// A unit of work on the connection: the mutex is held and a transaction
// open from construction to Commit; without Commit it is rolled back.
class SqliteTransaction {
 public:
  enum class Kind { kRead, kWrite };

  SqliteTransaction(SqliteDatabase& database, Kind kind);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;

  SqliteStatement Prepare(std::string_view sql) { return SqliteStatement(db_, sql); }
  void Exec(const char* sql);
  std::int64_t LastInsertId() const { return sqlite3_last_insert_rowid(db_); }
  // Rows changed by the last statement.
  int Changes() const { return sqlite3_changes(db_); }
  void Commit();

 private:
  std::unique_lock<std::mutex> lock_;
  sqlite3* db_;
  bool open_ = false;
};

}  // namespace vel::companion
