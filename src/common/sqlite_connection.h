#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

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
  // Sets the journal mode and gives the one SQLite took: a file system
  // without shared memory keeps another than WAL. Throws SqliteError.
  std::string SetJournalMode(const char* mode);

 private:
  sqlite3* db_ = nullptr;
  // Idle statements by text; a text in use twice at once has two.
  std::map<std::string, std::vector<sqlite3_stmt*>, std::less<>> idle_;
};

// Whether the path names a database without a file.
bool InMemoryDatabase(const std::filesystem::path& file);

// Creates the database file if needed and makes it, with a write-ahead
// log and index an earlier run left, readable by its user alone; SQLite
// gives the files it makes later the database file's mode. Nothing for a
// database without a file. Returns `file`, to open it with. Throws
// SqliteError.
const std::filesystem::path& MakeDatabasePrivate(const std::filesystem::path& file);

}  // namespace vel
