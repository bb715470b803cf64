#include "common/sqlite_connection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vel {

SqliteConnection::SqliteConnection(const std::filesystem::path& file) {
  const int code =
      sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code != SQLITE_OK) {
    const std::string text = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
    sqlite3_close(db_);
    throw SqliteError("cannot open " + file.string() + ": " + text);
  }
  // Another process (or a connection left from a restart) may hold the
  // file for a moment.
  sqlite3_busy_timeout(db_, 5000);
}

SqliteConnection::~SqliteConnection() {
  // Every statement must be finalised, or the connection stays open.
  for (auto& [sql, statements] : idle_) {
    for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
  }
  sqlite3_close(db_);
}

sqlite3_stmt* SqliteConnection::Take(std::string_view sql, std::vector<sqlite3_stmt*>*& home) {
  auto kept = idle_.find(sql);
  if (kept == idle_.end())
    kept = idle_.emplace(std::string(sql), std::vector<sqlite3_stmt*>{}).first;
  home = &kept->second;
  if (!kept->second.empty()) {
    sqlite3_stmt* statement = kept->second.back();
    kept->second.pop_back();
    return statement;
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &statement, nullptr) != SQLITE_OK) {
    throw SqliteError(std::string("SQLite prepare: ") + sqlite3_errmsg(db_));
  }
  return statement;
}

void SqliteConnection::Give(sqlite3_stmt* statement, std::vector<sqlite3_stmt*>* home) noexcept {
  // The result of the last step was reported when it was stepped.
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  try {
    home->push_back(statement);
  } catch (...) {
    sqlite3_finalize(statement);
  }
}

void SqliteConnection::Run(std::string_view sql) {
  std::vector<sqlite3_stmt*>* home = nullptr;
  sqlite3_stmt* statement = Take(sql, home);
  int code;
  while ((code = sqlite3_step(statement)) == SQLITE_ROW) {
  }
  if (code != SQLITE_DONE) {
    const std::string text = sqlite3_errmsg(db_);
    Give(statement, home);
    throw SqliteError(std::string(sql) + ": " + text);
  }
  Give(statement, home);
}

void SqliteConnection::Exec(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message != nullptr ? message : sqlite3_errmsg(db_);
    sqlite3_free(message);
    throw SqliteError(std::string(sql) + ": " + text);
  }
}

std::string SqliteConnection::SetJournalMode(const char* mode) {
  sqlite3_stmt* statement = nullptr;
  const std::string sql = std::string("PRAGMA journal_mode = ") + mode;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    throw SqliteError(std::string("SQLite journal mode: ") + sqlite3_errmsg(db_));
  }
  std::string taken;
  if (sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    if (text != nullptr) taken = reinterpret_cast<const char*>(text);
  }
  sqlite3_finalize(statement);
  return taken;
}

bool InMemoryDatabase(const std::filesystem::path& file) {
  return file.empty() || file == ":memory:";
}

const std::filesystem::path& MakeDatabasePrivate(const std::filesystem::path& file) {
  if (InMemoryDatabase(file)) return file;
  // Never a descriptor of our own on a database that may be open: closing
  // it would drop every lock SQLite holds on the file in this process, and
  // another process would then take the log away from under it. A new file
  // is made exclusively (nobody has it open yet); an existing one is only
  // chmod-ed by name.
  const int made = ::open(file.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (made >= 0) {
    ::close(made);
  } else if (errno != EEXIST) {
    throw SqliteError("cannot open " + file.string() + ": " + std::strerror(errno));
  }
  for (const char* suffix : {"", "-wal", "-shm"}) {
    const std::string path = file.string() + suffix;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      if (errno == ENOENT && suffix[0] != '\0') continue;
      throw SqliteError("cannot open " + path + ": " + std::strerror(errno));
    }
    if ((st.st_mode & 07777) != 0600 && ::chmod(path.c_str(), 0600) != 0) {
      throw SqliteError("cannot make " + path + " private: " + std::strerror(errno));
    }
  }
  return file;
}

}  // namespace vel
