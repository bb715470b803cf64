#pragma once

#include <cstdint>
#include <string>

#include "team_store.h"

namespace vel::companion {

inline constexpr char kDemoUser[] = "demo";  // the development sign-in's user name
inline constexpr char kDemoTeam[] = "데모팀";
inline constexpr int kDemoRiders = 10;

struct DemoSeedResult {
  std::uint64_t accountId = 0;
  int membersAdded = 0;
};

// "라이더1" ... "라이더10".
std::string DemoMemberName(int rider);

// Rider `rider`'s member (1 to 10) as seeded: the five sensors of that rider
// of the simulated room, one active sensor of each kind the rider uses
// (riders 1-4 heart rate + speed/cadence + power, 5-7 heart rate + speed +
// cadence, 8-10 heart rate + speed + power), one active bicycle with the
// 700-23C tire, and body data.
MemberRecord DemoMember(int rider);

// Gives the sign-in user "demo" the team "데모팀" and its ten riders. Runs
// any number of times: a rider already on the team is left as it is, and
// the team name is set only while the account has none. Throws
// std::runtime_error when another team has taken the name.
DemoSeedResult SeedDemo(TeamStore& store);

}  // namespace vel::companion
