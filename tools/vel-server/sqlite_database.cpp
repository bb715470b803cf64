#include "sqlite_database.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <string>

namespace vel::companion {

SqliteStatement::SqliteStatement(SqliteConnection& connection, std::string_view sql)
    : db_(connection.Handle()), statement_(connection.Take(sql, home_)) {}

SqliteStatement::~SqliteStatement() { SqliteConnection::Give(statement_, home_); }

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

bool InMemory(const std::filesystem::path& file) { return file.empty() || file == ":memory:"; }

// Runs the statements on a fresh connection.
void Prepared(SqliteConnection& connection, std::initializer_list<const char*> statements) {
  for (const char* sql : statements) connection.Exec(sql);
}

// The database holds every team's roster and the sign-in's tokens: the
// server's user alone may read it. SQLite gives its write-ahead log and
// index the database file's mode; files left by an earlier run get it too.
const std::filesystem::path& PrivateFile(const std::filesystem::path& file) {
  if (InMemory(file)) return file;
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) throw SqliteError("cannot open " + file.string() + ": " + std::strerror(errno));
  const bool privateNow = ::fchmod(fd, 0600) == 0;
  ::close(fd);
  if (!privateNow) throw SqliteError("cannot make " + file.string() + " private");
  for (const char* suffix : {"-wal", "-shm"}) {
    const std::string beside = file.string() + suffix;
    if (::chmod(beside.c_str(), 0600) != 0 && errno != ENOENT) {
      throw SqliteError("cannot make " + beside + " private: " + std::strerror(errno));
    }
  }
  return file;
}

// Sets the journal mode and says which one SQLite took: a file system
// without shared memory, or a database opened read-only, stays in another.
std::string SetJournalMode(SqliteConnection& connection, const char* mode) {
  sqlite3_stmt* statement = nullptr;
  const std::string sql = std::string("PRAGMA journal_mode = ") + mode;
  if (sqlite3_prepare_v2(connection.Handle(), sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
    throw SqliteError(std::string("SQLite journal mode: ") + sqlite3_errmsg(connection.Handle()));
  }
  std::string taken;
  if (sqlite3_step(statement) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(statement, 0);
    if (text != nullptr) taken = reinterpret_cast<const char*>(text);
  }
  sqlite3_finalize(statement);
  return taken;
}

}  // namespace

SqliteDatabase::SqliteDatabase(const std::filesystem::path& file)
    : file_(file), inMemory_(InMemory(file)), writer_(PrivateFile(file)) {
  Prepared(writer_, {"PRAGMA foreign_keys = ON"});
  const std::string mode = SetJournalMode(writer_, "WAL");
  // Without the log, a commit is not durable as every reply promises and
  // readers would wait for writers.
  if (!inMemory_ && mode != "wal") {
    throw SqliteError("the database " + file.string() + " is in journal mode \"" + mode +
                      "\", not WAL");
  }
  Prepared(writer_, {"PRAGMA synchronous = FULL"});
}

// The readers close before the writer, as members in reverse order.
SqliteDatabase::~SqliteDatabase() = default;

std::unique_ptr<SqliteConnection> SqliteDatabase::TakeReader() {
  if (inMemory_) return nullptr;
  {
    std::lock_guard lock(readersMutex_);
    if (!idleReaders_.empty()) {
      std::unique_ptr<SqliteConnection> reader = std::move(idleReaders_.back());
      idleReaders_.pop_back();
      return reader;
    }
  }
  auto reader = std::make_unique<SqliteConnection>(file_);
  // A read that tried to write would be a fault of ours: refuse it.
  Prepared(*reader, {"PRAGMA query_only = ON"});
  return reader;
}

void SqliteDatabase::ReturnReader(std::unique_ptr<SqliteConnection> reader) {
  // Still inside a transaction it could not end: not fit to be lent again.
  if (sqlite3_get_autocommit(reader->Handle()) == 0) return;
  std::lock_guard lock(readersMutex_);
  idleReaders_.push_back(std::move(reader));
}

SqliteTransaction::SqliteTransaction(SqliteDatabase& database, Kind kind) : database_(database) {
  if (database.groupThread_.load() == std::this_thread::get_id()) {
    connection_ = &database.writer_;
    savepoint_ = true;
    connection_->Run("SAVEPOINT change");
  } else if (kind == Kind::kRead && (reader_ = database.TakeReader()) != nullptr) {
    connection_ = reader_.get();
    try {
      connection_->Run("BEGIN");
    } catch (...) {
      database.ReturnReader(std::move(reader_));
      throw;
    }
  } else {
    lock_ = std::unique_lock(database.mutex_);
    connection_ = &database.writer_;
    // A write transaction takes the write lock at once, so it never has to
    // give up half way for another connection to the same file.
    connection_->Run(kind == Kind::kWrite ? "BEGIN IMMEDIATE" : "BEGIN");
  }
  open_ = true;
}

SqliteTransaction::~SqliteTransaction() {
  sqlite3* db = connection_->Handle();
  if (open_ && savepoint_) {
    sqlite3_exec(db, "ROLLBACK TO change", nullptr, nullptr, nullptr);
    sqlite3_exec(db, "RELEASE change", nullptr, nullptr, nullptr);
  } else if (open_) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  if (reader_ != nullptr) database_.ReturnReader(std::move(reader_));
}

void SqliteTransaction::Commit() {
  connection_->Run(savepoint_ ? "RELEASE change" : "COMMIT");
  open_ = false;
}

SqliteWriteGroup::SqliteWriteGroup(SqliteDatabase& database)
    : database_(database), lock_(database.mutex_) {
  database_.writer_.Run("BEGIN IMMEDIATE");
  database_.groupThread_.store(std::this_thread::get_id());
}

SqliteWriteGroup::~SqliteWriteGroup() {
  database_.groupThread_.store(std::thread::id());
  if (!committed_ && Open()) {
    sqlite3_exec(database_.writer_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
  }
}

void SqliteWriteGroup::Commit() {
  database_.groupThread_.store(std::thread::id());
  committed_ = true;
  try {
    database_.writer_.Run("COMMIT");
  } catch (...) {
    // A commit that failed may leave the transaction open (a busy file).
    if (Open()) sqlite3_exec(database_.writer_.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace vel::companion
