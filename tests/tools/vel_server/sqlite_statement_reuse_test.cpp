#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/scratch_folder.h"
#include "vel-server/sqlite_database.h"

namespace vel::companion {
namespace {

using ::testing::ElementsAre;
using Kind = SqliteTransaction::Kind;

constexpr char kPairs[] = "SELECT a.n, b.n FROM numbers a, numbers b WHERE a.n = ?1 ORDER BY b.n";
constexpr char kInsert[] = "INSERT INTO numbers (n) VALUES (?1)";

// Statements are kept for their next use: a text in use twice at once, a
// statement given back half read, and one whose step failed must each
// behave as if freshly prepared.
TEST(SqliteStatementReuseTest, AKeptStatementStartsAfreshWhateverItsLastUseLeft) {
  test::ScratchFolder scratch;
  SqliteDatabase database(scratch / "reuse.db");
  {
    SqliteTransaction tx(database, Kind::kWrite);
    tx.Exec("CREATE TABLE numbers (n INTEGER PRIMARY KEY)");
    for (std::int64_t n = 1; n <= 3; ++n) tx.Prepare(kInsert).Bind(1, n).Run();
    // A failed step (the key exists) leaves the statement fit for reuse.
    EXPECT_THROW(tx.Prepare(kInsert).Bind(1, std::int64_t{2}).Run(), SqliteError);
    tx.Prepare(kInsert).Bind(1, std::int64_t{4}).Run();
    tx.Commit();
  }
  for (const Kind kind : {Kind::kRead, Kind::kWrite}) {
    SqliteTransaction tx(database, kind);
    std::vector<std::pair<int, int>> rows;
    {
      // Given back after one row of four.
      auto half = tx.Prepare(kPairs);
      half.Bind(1, std::int64_t{4});
      ASSERT_TRUE(half.Step());
    }
    auto outer = tx.Prepare(kPairs);
    outer.Bind(1, std::int64_t{1});
    while (outer.Step()) {
      // The same text while the first is still stepping: a second statement.
      auto inner = tx.Prepare(kPairs);
      inner.Bind(1, std::int64_t{outer.Int(1)});
      int count = 0;
      while (inner.Step()) ++count;
      rows.emplace_back(outer.Int(1), count);
    }
    EXPECT_THAT(rows,
                ElementsAre(std::pair(1, 4), std::pair(2, 4), std::pair(3, 4), std::pair(4, 4)));
    // Nothing bound: the last bindings do not carry over.
    auto unbound = tx.Prepare(kPairs);
    EXPECT_FALSE(unbound.Step());
  }
}

}  // namespace
}  // namespace vel::companion
