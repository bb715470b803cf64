#pragma once

#include <libpq-fe.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vel::companion {

// A failed PostgreSQL call: libpq's text and the SQLSTATE the server gave
// (empty when the connection itself failed).
class PgError : public std::runtime_error {
 public:
  PgError(const std::string& what, std::string sqlState)
      : std::runtime_error(what), sqlState_(std::move(sqlState)) {}
  const std::string& SqlState() const { return sqlState_; }
  // A serialization failure or a deadlock: the transaction may be run
  // again from its start.
  bool Retryable() const { return sqlState_ == "40001" || sqlState_ == "40P01"; }
  // A unique or primary key was already taken.
  bool UniqueViolation() const { return sqlState_ == "23505"; }

 private:
  std::string sqlState_;
};

// The rows of one statement, all values as text (libpq's text format).
class PgRows {
 public:
  explicit PgRows(PGresult* result) : result_(result, &PQclear) {}

  int Count() const { return PQntuples(result_.get()); }
  bool IsNull(int row, int column) const { return PQgetisnull(result_.get(), row, column) != 0; }
  std::string_view Text(int row, int column) const;
  // The value as a whole number; PgError when it is null or not one.
  std::int64_t Int64(int row, int column) const;
  // Rows a statement without RETURNING changed.
  std::int64_t Changed() const;

 private:
  std::unique_ptr<PGresult, void (*)(PGresult*)> result_;
};

// One connection to a PostgreSQL database, used by one thread at a time.
// Parameters go apart from the SQL text ($1, $2, ...), never into it.
class PgConnection {
 public:
  // `url`: "postgresql://user@host:port/database" or any libpq connection
  // string. Throws PgError when no connection can be made.
  explicit PgConnection(const std::string& url);
  ~PgConnection();
  PgConnection(const PgConnection&) = delete;
  PgConnection& operator=(const PgConnection&) = delete;

  // Runs one statement with its parameters (a missing one is SQL NULL) and
  // gives its rows. The statement is prepared on its first use and kept
  // for the connection's life: parsing and planning cost the database more
  // than running most of ours. The texts are the server's own, so the kept
  // statements stay as few as the texts. Throws PgError.
  PgRows Exec(std::string_view sql, const std::vector<std::optional<std::string>>& params = {});
  // Runs SQL without parameters, several statements allowed (a schema).
  // Throws PgError.
  void Run(const char* sql);

  // Whether the connection still stands and is outside any transaction:
  // fit to be lent again.
  bool Reusable() const {
    return PQstatus(connection_) == CONNECTION_OK &&
           PQtransactionStatus(connection_) == PQTRANS_IDLE;
  }

 private:
  PGconn* connection_ = nullptr;
  // The name each prepared text has on this connection.
  std::map<std::string, std::string, std::less<>> prepared_;
};

}  // namespace vel::companion
