#pragma once

#include <string_view>

#include "common/sqlite_connection.h"
#include "common/sqlite_statement.h"

namespace vel {

// A transaction on one connection, from construction to Commit; without
// Commit (an exception on the way) it is rolled back. The connection's
// thread only.
class ConnectionTransaction {
 public:
  enum class Kind { kRead, kWrite };

  // A write takes the database's write lock at once (BEGIN IMMEDIATE), so
  // a busy database fails here rather than at the commit.
  ConnectionTransaction(SqliteConnection& connection, Kind kind);
  ~ConnectionTransaction();
  ConnectionTransaction(const ConnectionTransaction&) = delete;
  ConnectionTransaction& operator=(const ConnectionTransaction&) = delete;

  SqliteStatement Prepare(std::string_view sql) { return SqliteStatement(connection_, sql); }
  void Exec(const char* sql) { connection_.Exec(sql); }
  std::int64_t LastInsertId() const { return sqlite3_last_insert_rowid(connection_.Handle()); }
  // Throws SqliteError; the transaction is then rolled back.
  void Commit();

 private:
  SqliteConnection& connection_;
  bool open_ = false;
};

}  // namespace vel
