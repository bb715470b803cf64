#pragma once

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
class ScoreReports {
 public:
  ScoreReports(PacketSender& server, TeamRoster& roster, const LoginValues& login);

  // True when the server took the score; false also when another report is
  // still under way.
  bool Report(const MemberRecord& member, RankingType type, double score);

 private:
  bool reporting_ = false;
  PacketSender& server_;
  TeamRoster& roster_;
  const LoginValues& login_;
};

}  // namespace vel
