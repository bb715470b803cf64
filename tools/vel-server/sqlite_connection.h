#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vel::companion {

// A failed SQLite call, with SQLite's own text.
class SqliteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One open connection to the database file and the statements it has
// prepared. A statement is kept for its next use once done: parsing the SQL
// costs more than running most of ours. The texts are the server's own, so
// the set of kept statements stays as small as the set of texts. A
// connection is used by one thread at a time.
class SqliteConnection {
 public:
  // Opens or creates the file (":memory:" for a database without a file).
  explicit SqliteConnection(const std::filesystem::path& file);
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  sqlite3* Handle() const { return db_; }

  // A statement of this text: a kept one, or one prepared now. It goes
  // back with Give to `*home`, which Take sets. Throws SqliteError.
  sqlite3_stmt* Take(std::string_view sql, std::vector<sqlite3_stmt*>*& home);
  // Resets a statement from Take and keeps it for the next Take.
  static void Give(sqlite3_stmt* statement, std::vector<sqlite3_stmt*>* home) noexcept;

  // Runs one statement of fixed text that yields no rows, kept for reuse
  // (BEGIN, COMMIT, savepoints). Throws SqliteError.
  void Run(std::string_view sql);
  // Runs any SQL once, several statements allowed. Throws SqliteError.
  void Exec(const char* sql);

 private:
  sqlite3* db_ = nullptr;
  // Idle statements by text; a text in use twice at once has two.
  std::map<std::string, std::vector<sqlite3_stmt*>, std::less<>> idle_;
};

}  // namespace vel::companion
