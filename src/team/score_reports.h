#pragma once

#include <cstdint>

#include "server/login_values.h"
#include "server/packet_sender.h"
#include "server/request_catalogue.h"
#include "team/roster_records.h"
#include "team/team_roster.h"

namespace vel {

// A member's best of one ranking type, as the roster holds it.
double BestScore(const MemberRecord& member, RankingType type);

// The score reports of the rider panels: a maximum above a member's best
// goes to the application server, and only a best the server took becomes
// the member's best; otherwise it is reported again when the panel's
// maximum next rises above it.
//
// User-interface thread only; a report blocks until the server answered.
// While it waits (or its connection message is open), the window's timers
// keep draining readings into the panels; those drains send no report of
// their own, so a server that is away opens one message, not one per new
// maximum, and a best missed meanwhile is reported with the next rise.
//
// Reports are sent while the panels wait, so one drain spends at most
// kDrainBudgetMs on them: once its reports have taken that long, the rest of
// that drain sends none (their bests, too, go with a later rise). A server
// far away or slow then holds the panels for about one exchange per drain,
// instead of keeping the drain busy for as long as new maxima arrive.
class ScoreReports {
 public:
  // Milliseconds of the program's tick clock.
  static constexpr std::uint64_t kDrainBudgetMs = 50;

  ScoreReports(PacketSender& server, TeamRoster& roster, const LoginValues& login);
  // A drain of the readings begins; its reports get a fresh budget.
  void BeginDrain();

  // True when the server took the score; false also when another report is
  // still under way.
  bool Report(const MemberRecord& member, RankingType type, double score);

 private:
  bool reporting_ = false;
  std::uint64_t spentThisDrainMs_ = 0;
  PacketSender& server_;
  TeamRoster& roster_;
  const LoginValues& login_;
};

}  // namespace vel
