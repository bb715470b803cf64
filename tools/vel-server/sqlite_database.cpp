#include "sqlite_database.h"

#include <initializer_list>
#include <string>

namespace vel::companion {

namespace {

// Runs the statements on a fresh connection.
void Prepared(SqliteConnection& connection, std::initializer_list<const char*> statements) {
  for (const char* sql : statements) connection.Exec(sql);
}

}  // namespace

// The database holds every team's roster and the sign-in's tokens: the
// server's user alone may read it.
SqliteDatabase::SqliteDatabase(const std::filesystem::path& file)
    : file_(file), inMemory_(InMemoryDatabase(file)), writer_(MakeDatabasePrivate(file)) {
  Prepared(writer_, {"PRAGMA foreign_keys = ON"});
  const std::string mode = writer_.SetJournalMode("WAL");
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
