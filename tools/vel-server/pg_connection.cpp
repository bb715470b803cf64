#include "vel-server/pg_connection.h"

#include <charconv>

namespace vel::companion {
namespace {

// Throws with the result's SQLSTATE unless the result is a success.
PGresult* Checked(PGconn* connection, PGresult* result) {
  const ExecStatusType status = result != nullptr ? PQresultStatus(result) : PGRES_FATAL_ERROR;
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return result;
  // Both texts live in the result: copied before it goes.
  const char* field = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
  const std::string state = field != nullptr ? field : "";
  std::string what = result != nullptr ? PQresultErrorMessage(result) : PQerrorMessage(connection);
  PQclear(result);
  while (!what.empty() && what.back() == '\n') what.pop_back();
  throw PgError("PostgreSQL: " + what, state);
}

}  // namespace

std::string_view PgRows::Text(int row, int column) const {
  return {PQgetvalue(result_.get(), row, column),
          static_cast<std::size_t>(PQgetlength(result_.get(), row, column))};
}

std::int64_t PgRows::Int64(int row, int column) const {
  const std::string_view text = Text(row, column);
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (IsNull(row, column) || error != std::errc{} || end != text.data() + text.size()) {
    throw PgError("PostgreSQL: not a whole number: " + std::string(text), "");
  }
  return value;
}

std::int64_t PgRows::Changed() const {
  const char* text = PQcmdTuples(result_.get());
  std::int64_t value = 0;
  std::from_chars(text, text + std::char_traits<char>::length(text), value);
  return value;
}

PgConnection::PgConnection(const std::string& url) : connection_(PQconnectdb(url.c_str())) {
  if (connection_ == nullptr || PQstatus(connection_) != CONNECTION_OK) {
    std::string what = connection_ != nullptr ? PQerrorMessage(connection_) : "out of memory";
    PQfinish(connection_);
    connection_ = nullptr;
    while (!what.empty() && what.back() == '\n') what.pop_back();
    throw PgError("PostgreSQL: " + what, "");
  }
  // Notices (a table that exists already) are not the server's output.
  PQsetNoticeProcessor(
      connection_, [](void*, const char*) {}, nullptr);
}

PgConnection::~PgConnection() { PQfinish(connection_); }

PgRows PgConnection::Exec(std::string_view sql,
                          const std::vector<std::optional<std::string>>& params) {
  std::vector<const char*> values;
  values.reserve(params.size());
  for (const auto& p : params) values.push_back(p ? p->c_str() : nullptr);
  auto found = prepared_.find(sql);
  if (found == prepared_.end()) {
    const std::string name = "s" + std::to_string(prepared_.size());
    const std::string text(sql);
    // Failed (in a transaction that already failed, for one): not kept.
    PQclear(Checked(connection_, PQprepare(connection_, name.c_str(), text.c_str(),
                                           static_cast<int>(values.size()), nullptr)));
    found = prepared_.emplace(text, name).first;
  }
  return PgRows(Checked(connection_, PQexecPrepared(connection_, found->second.c_str(),
                                                    static_cast<int>(values.size()), values.data(),
                                                    nullptr, nullptr, 0)));
}

void PgConnection::Run(const char* sql) { PQclear(Checked(connection_, PQexec(connection_, sql))); }

}  // namespace vel::companion
