#pragma once

#include <cpprest/json.h>

#include <vector>

#include "server/request_catalogue.h"
#include "team_store.h"

namespace vel::companion {

// A member as the program's LoadMembers reads it: ids unsigned 64-bit,
// small numbers integers, height, weight and best speed floating. Empty
// lists and a member without any best score are null, which the program
// reads as "none".
web::json::value MemberJson(const MemberRecord& member);

// The "ranking" array of LoadRanking: team name, member name and score,
// a floating number for speed and a whole one for cadence and heart rate.
web::json::value RankingJson(const std::vector<RankingRow>& rows, RankingType type);

}  // namespace vel::companion
