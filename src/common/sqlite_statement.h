#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/sqlite_connection.h"

namespace vel {

// One statement in use, given back to its connection with the object.
// Parameters count from 1 and columns from 0, as in SQLite.
class SqliteStatement {
 public:
  SqliteStatement(SqliteConnection& connection, std::string_view sql);
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
  // Set by the connection as it hands the statement out: declared first.
  std::vector<sqlite3_stmt*>* home_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace vel
