#include "common/sqlite_statement.h"

namespace vel {

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

}  // namespace vel
