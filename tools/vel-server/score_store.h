#pragma once

#include <cstdint>
#include <vector>

#include "server/request_catalogue.h"
#include "store_database.h"
#include "store_outcome.h"
#include "team_records.h"

namespace vel::companion {

// The members' best scores, one of each ranking type, and the rankings
// across every team.
class ScoreStore {
 public:
  static constexpr int kRankingRows = 100;

  explicit ScoreStore(StoreDatabase& database) : database_(database) {}

  // Raises the member's best of that type when `score` is higher; the
  // value says whether it was.
  Outcome<bool> Report(std::uint64_t accountId, std::uint64_t memberId, RankingType type,
                       double score);
  // Every team's members with a best of that type above 0, best first
  // (equal scores in the order the members were added), kRankingRows at most.
  std::vector<RankingRow> LoadRanking(RankingType type);

 private:
  StoreDatabase& database_;
};

}  // namespace vel::companion
