#include "common/connection_transaction.h"

namespace vel {

ConnectionTransaction::ConnectionTransaction(SqliteConnection& connection, Kind kind)
    : connection_(connection) {
  connection_.Run(kind == Kind::kWrite ? "BEGIN IMMEDIATE" : "BEGIN");
  open_ = true;
}

ConnectionTransaction::~ConnectionTransaction() {
  if (!open_) return;
  // A commit that failed may have ended the transaction already.
  if (sqlite3_get_autocommit(connection_.Handle()) != 0) return;
  try {
    connection_.Run("ROLLBACK");
  } catch (const SqliteError&) {
    // Nothing more to undo: SQLite ends it with the connection.
  }
}

void ConnectionTransaction::Commit() {
  connection_.Run("COMMIT");
  open_ = false;
}

}  // namespace vel
