#include "app/ranking_tables.h"

namespace vel {

RankingTables RankingTables::Load(TeamRoster& roster) {
  RankingTables tables;
  for (int number = 0; number < kRankingTypes; ++number) {
    auto rows = roster.LoadRanking(*ToRankingType(number));
    if (!rows) break;
    tables.rows[static_cast<std::size_t>(number)] = std::move(*rows);
  }
  return tables;
}

const std::array<const char*, RankingTables::kColumns>& RankingTables::Headers(RankingType type) {
  static const std::array<std::array<const char*, kColumns>, kRankingTypes> kHeaders = {{
      {"랭킹", "팀", "멤버", "최대속도(km/h)"},
      {"랭킹", "팀", "멤버", "최대케이던스(rpm)"},
      {"랭킹", "팀", "멤버", "최대심박(bpm)"},
  }};
  return kHeaders[static_cast<std::size_t>(RankingNumber(type))];
}

}  // namespace vel
