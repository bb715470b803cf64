#include "score_store.h"

#include <cmath>
#include <string>

#include "server/request_catalogue.h"
#include "store_rows.h"

namespace vel::companion {
namespace {

using Kind = StoreTransaction::Kind;

// The members column that holds the best of a type.
const char* BestColumn(RankingType type) {
  return type == RankingType::kSpeed     ? "best_speed"
         : type == RankingType::kCadence ? "best_cadence"
                                         : "best_hrm";
}

}  // namespace

Outcome<bool> ScoreStore::Report(std::uint64_t accountId, std::uint64_t memberId, RankingType type,
                                 double score) {
  const auto member = RowId(memberId);
  if (!std::isfinite(score) || score < 0) return Refused<bool>(errcode::kBadValue);
  StoreTransaction tx(database_, Kind::kWrite);
  if (const int code = CheckAccountMember(tx, RowId(accountId), member)) {
    return Refused<bool>(code);
  }
  const std::string column = BestColumn(type);
  auto update =
      tx.Prepare("UPDATE members SET " + column + " = ?1 WHERE id = ?2 AND " + column + " < ?1");
  if (type == RankingType::kSpeed) {
    update.Bind(1, score);
  } else {
    update.Bind(1, static_cast<std::int64_t>(score));
  }
  update.Bind(2, *member);
  update.Run();
  const bool raised = tx.Changes() > 0;
  tx.Commit();
  return {0, raised};
}

std::vector<RankingRow> ScoreStore::LoadRanking(RankingType type) {
  const std::string column = BestColumn(type);
  const std::string sql = "SELECT COALESCE(a.team_name, ''), m.name, m." + column +
                          " FROM members m JOIN accounts a ON a.id = m.account_id WHERE m." +
                          column + " > 0 ORDER BY m." + column + " DESC, m.id LIMIT ?1";
  StoreTransaction tx(database_, Kind::kRead);
  auto statement = tx.Prepare(sql);
  statement.Bind(1, std::int64_t{kRankingRows});
  std::vector<RankingRow> rows;
  while (statement.Step()) {
    rows.push_back({statement.Text(0), statement.Text(1), statement.Double(2)});
  }
  return rows;
}

}  // namespace vel::companion
