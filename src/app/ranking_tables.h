#pragma once

#include <array>
#include <vector>

#include "server/request_catalogue.h"
#include "team/team_roster.h"

namespace vel {

// The ranking window's three tables: best speed, cadence and heart rate,
// each with rank, team, member and score. They are asked for once, in that
// order; a failed request or a reply without a ranking leaves its table and
// the ones after it empty.
struct RankingTables {
  static constexpr int kColumns = 4;

  std::array<std::vector<TeamRoster::RankingRow>, kRankingTypes> rows;

  static RankingTables Load(TeamRoster& roster);
  // The column headers of a table: "랭킹", "팀", "멤버" and its score's.
  static const std::array<const char*, kColumns>& Headers(RankingType type);
};

}  // namespace vel
