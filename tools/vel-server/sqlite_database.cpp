#include "sqlite_database.h"

#include <initializer_list>

namespace vel::companion {
namespace {

void ExecOn(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    throw SqliteError(std::string(sql) + ": " + text);
  }
}

}  // namespace

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
  Check(sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement_, nullptr),
        "prepare");
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(statement_); }

void SqliteStatement::Check(int code, const char* what) const {
  if (code != SQLITE_OK) {
    throw SqliteError(std::string("SQLite ") + what + ": " + sqlite3_errmsg(db_));
  }
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t value) {
  Check(sqlite3_bind_int64(statement_, index, value), "bind");
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, double value) {
  Check(sqlite3_bind_double(statement_, index, value), "bind");
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view value) {
  Check(sqlite3_bind_text64(statement_, index, value.data(), value.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8),
        "bind");
  return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::optional<double> value) {
  return value ? Bind(index, *value) : BindNull(index);
}

SqliteStatement& SqliteStatement::Bind(int index, std::optional<int> value) {
  return value ? Bind(index, static_cast<std::int64_t>(*value)) : BindNull(index);
}

SqliteStatement& SqliteStatement::BindNull(int index) {
  Check(sqlite3_bind_null(statement_, index), "bind");
  return *this;
}

bool SqliteStatement::Step() {
  const int code = sqlite3_step(statement_);
  if (code == SQLITE_ROW) return true;
  if (code == SQLITE_DONE) return false;
  throw SqliteError(std::string("SQLite step: ") + sqlite3_errmsg(db_));
}

void SqliteStatement::Run() {
  while (Step()) {
  }
}

bool SqliteStatement::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::Int64(int column) const {
  return sqlite3_column_int64(statement_, column);
}

int SqliteStatement::Int(int column) const { return sqlite3_column_int(statement_, column); }

double SqliteStatement::Double(int column) const {
  return sqlite3_column_double(statement_, column);
}

std::string SqliteStatement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_, column);
  const int size = sqlite3_column_bytes(statement_, column);
  if (text == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(size));
}

std::optional<double> SqliteStatement::OptionalDouble(int column) const {
  if (IsNull(column)) return std::nullopt;
  return Double(column);
}

std::optional<int> SqliteStatement::OptionalInt(int column) const {
  if (IsNull(column)) return std::nullopt;
  return Int(column);
}

namespace {

sqlite3* OpenConnection(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  const int code =
      sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (code != SQLITE_OK) {
    const std::string text = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    sqlite3_close(db);
    throw SqliteError("cannot open " + file.string() + ": " + text);
  }
  // Another process (or a connection left from a restart) may hold the
  // file for a moment.
  sqlite3_busy_timeout(db, 5000);
  return db;
}

// Runs the statements on a fresh connection, closing it when one fails.
void Prepared(sqlite3* db, std::initializer_list<const char*> statements) {
  try {
    for (const char* sql : statements) ExecOn(db, sql);
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
}

}  // namespace

SqliteDatabase::SqliteDatabase(const std::filesystem::path& file)
    : file_(file), inMemory_(file.empty() || file == ":memory:"), db_(OpenConnection(file)) {
  Prepared(db_, {"PRAGMA foreign_keys = ON", "PRAGMA journal_mode = WAL",
                 "PRAGMA synchronous = FULL"});
}

SqliteDatabase::~SqliteDatabase() {
  for (sqlite3* reader : idleReaders_) sqlite3_close(reader);
  sqlite3_close(db_);
}

sqlite3* SqliteDatabase::TakeReader() {
  if (inMemory_) return nullptr;
  {
    std::lock_guard lock(readersMutex_);
    if (!idleReaders_.empty()) {
      sqlite3* reader = idleReaders_.back();
      idleReaders_.pop_back();
      return reader;
    }
  }
  sqlite3* reader = OpenConnection(file_);
  // A read that tried to write would be a fault of ours: refuse it.
  Prepared(reader, {"PRAGMA query_only = ON"});
  return reader;
}

void SqliteDatabase::ReturnReader(sqlite3* reader) {
  if (sqlite3_get_autocommit(reader) == 0) {
    // Still inside a transaction it could not end: not fit to be lent again.
    sqlite3_close(reader);
    return;
  }
  std::lock_guard lock(readersMutex_);
  idleReaders_.push_back(reader);
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& database, Kind kind) : database_(database) {
  if (database.groupThread_.load() == std::this_thread::get_id()) {
    db_ = database.db_;
    savepoint_ = true;
    ExecOn(db_, "SAVEPOINT change");
  } else if (kind == Kind::kRead && (reader_ = database.TakeReader()) != nullptr) {
    db_ = reader_;
    try {
      ExecOn(db_, "BEGIN");
    } catch (...) {
      database.ReturnReader(reader_);
      throw;
    }
  } else {
    lock_ = std::unique_lock(database.mutex_);
    db_ = database.db_;
    // A write transaction takes the write lock at once, so it never has to
    // give up half way for another connection to the same file.
    ExecOn(db_, kind == Kind::kWrite ? "BEGIN IMMEDIATE" : "BEGIN");
  }
  open_ = true;
}

SqliteTransaction::~SqliteTransaction() {
  if (open_ && savepoint_) {
    sqlite3_exec(db_, "ROLLBACK TO change", nullptr, nullptr, nullptr);
    sqlite3_exec(db_, "RELEASE change", nullptr, nullptr, nullptr);
  } else if (open_) {
    sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  if (reader_ != nullptr) database_.ReturnReader(reader_);
}

void SqliteTransaction::Exec(const char* sql) { ExecOn(db_, sql); }

void SqliteTransaction::Commit() {
  ExecOn(db_, savepoint_ ? "RELEASE change" : "COMMIT");
  open_ = false;
}

SqliteWriteGroup::SqliteWriteGroup(SqliteDatabase& database)
    : database_(database), lock_(database.mutex_) {
  ExecOn(database_.db_, "BEGIN IMMEDIATE");
  database_.groupThread_.store(std::this_thread::get_id());
}

SqliteWriteGroup::~SqliteWriteGroup() {
  database_.groupThread_.store(std::thread::id());
  if (!committed_ && Open()) sqlite3_exec(database_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteWriteGroup::Commit() {
  database_.groupThread_.store(std::thread::id());
  committed_ = true;
  try {
    ExecOn(database_.db_, "COMMIT");
  } catch (...) {
    // A commit that failed may leave the transaction open (a busy file).
    if (Open()) sqlite3_exec(database_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace vel::companion
