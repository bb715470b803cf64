#pragma once

#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/sqlite_connection.h"
#include "common/sqlite_statement.h"

namespace vel::companion {

using vel::SqliteConnection;
using vel::SqliteError;
using vel::SqliteStatement;

// The database file with a connection for writing and a pool of
// connections for reading. Every use goes through a SqliteTransaction: a
// write holds the writing connection's mutex for its whole unit of work, so
// no transaction ever sees another half done; a read takes a reading
// connection of its own and sees the last committed state (write-ahead log),
// so reads never wait for a write. A database without a file (":memory:")
// has only the one connection, which reads share under the same mutex.
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
  friend class SqliteWriteGroup;

  // An idle reading connection, opened when none is idle; null for a
  // database without a file.
  std::unique_ptr<SqliteConnection> TakeReader();
  void ReturnReader(std::unique_ptr<SqliteConnection> reader);

  const std::filesystem::path file_;
  const bool inMemory_;
  SqliteConnection writer_;
  std::mutex mutex_;
  // The thread of the open SqliteWriteGroup, if any.
  std::atomic<std::thread::id> groupThread_{};
  std::mutex readersMutex_;
  std::vector<std::unique_ptr<SqliteConnection>> idleReaders_;
};

// A unit of work: a transaction open from construction to Commit; without
// Commit it is rolled back. On the thread of an open SqliteWriteGroup it is
// a savepoint inside the group's transaction instead, rolled back alone.
class SqliteTransaction {
 public:
  enum class Kind { kRead, kWrite };

  SqliteTransaction(SqliteDatabase& database, Kind kind);
  ~SqliteTransaction();
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;

  SqliteStatement Prepare(std::string_view sql) { return SqliteStatement(*connection_, sql); }
  void Exec(const char* sql) { connection_->Exec(sql); }
  std::int64_t LastInsertId() const { return sqlite3_last_insert_rowid(connection_->Handle()); }
  // Rows changed by the last statement.
  int Changes() const { return sqlite3_changes(connection_->Handle()); }
  void Commit();

 private:
  SqliteDatabase& database_;
  std::unique_lock<std::mutex> lock_;
  SqliteConnection* connection_ = nullptr;
  std::unique_ptr<SqliteConnection> reader_;  // goes back to the pool at the end
  bool savepoint_ = false;
  bool open_ = false;
};

// One transaction for a group of changes, committed (and synchronised) once
// for all of them: the writing connection's mutex is held from construction
// to the end, and on this thread every SqliteTransaction is a savepoint
// inside it. Without Commit it is rolled back.
class SqliteWriteGroup {
 public:
  explicit SqliteWriteGroup(SqliteDatabase& database);
  ~SqliteWriteGroup();
  SqliteWriteGroup(const SqliteWriteGroup&) = delete;
  SqliteWriteGroup& operator=(const SqliteWriteGroup&) = delete;

  // False once SQLite has rolled the whole transaction back on its own (it
  // does after some failures: a full disk, an I/O error): what the group
  // held before is gone.
  bool Open() const { return sqlite3_get_autocommit(database_.writer_.Handle()) == 0; }
  // Throws SqliteError when the commit fails; nothing of the group is kept.
  void Commit();

 private:
  SqliteDatabase& database_;
  std::unique_lock<std::mutex> lock_;
  bool committed_ = false;
};

}  // namespace vel::companion
