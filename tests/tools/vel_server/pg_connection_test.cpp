#include "vel-server/pg_connection.h"

#include <gtest/gtest.h>

#include "support/private_postgres.h"

namespace vel::companion {
namespace {

// Parameters stay apart from the SQL, errors carry their SQLSTATE, and
// what cannot be read as a number is refused, not misread.
TEST(PgConnectionTest, RunsStatementsWithParametersAndNamesItsFailures) {
  PgConnection db(test::SharedPostgres().NewDatabase());
  db.Run("CREATE TABLE t (id BIGINT PRIMARY KEY, name TEXT)");
  const PgRows inserted = db.Exec("INSERT INTO t VALUES ($1, $2), ($3, $4)",
                                  {"7", "라이더'; DROP TABLE t; --", "8", {}});
  EXPECT_EQ(inserted.Changed(), 2);
  const PgRows rows = db.Exec("SELECT id, name FROM t ORDER BY id");
  ASSERT_EQ(rows.Count(), 2);
  EXPECT_EQ(rows.Int64(0, 0), 7);
  EXPECT_EQ(rows.Text(0, 1), "라이더'; DROP TABLE t; --");
  EXPECT_TRUE(rows.IsNull(1, 1));
  EXPECT_THROW(rows.Int64(1, 1), PgError) << "a null is no number";
  EXPECT_THROW(rows.Int64(0, 1), PgError);
  try {
    db.Exec("INSERT INTO t VALUES ($1, 'again')", {"7"});
    ADD_FAILURE() << "a taken key was accepted";
  } catch (const PgError& e) {
    EXPECT_TRUE(e.UniqueViolation()) << e.SqlState();
    EXPECT_FALSE(e.Retryable());
  }
  EXPECT_THROW(PgConnection("postgresql://vel@127.0.0.1:1/none"), PgError);
}

}  // namespace
}  // namespace vel::companion
