#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "server/login_values.h"
#include "server/packet_sender.h"
#include "server/request_catalogue.h"
#include "team/roster_records.h"
#include "team/team_roster.h"

namespace vel {

// A member's best of one ranking type, as the roster holds it.
double BestScore(const MemberRecord& member, RankingType type);

// The score reports of the rider panels: a maximum above a member's best
// becomes that member's pending best of its ranking type (the highest one
// wins) and stays pending until the application server has taken it; only
// a best the server took becomes the member's best in the roster.
//
// User-interface thread only; a report blocks until the server answered.
// While it waits (or its connection message is open), the window's timers
// keep draining readings into the panels; those drains only add to the
// pending bests, so a server that is away opens one message, not one per
// new maximum.
//
// Reports are sent while the panels wait, so one drain spends at most
// kDrainBudgetMs on them, oldest pending best first; what the budget leaves
// goes in the next drains. A server far away or slow then holds the panels
// for about one exchange per drain, and the ranking catches up a few drains
// after the maxima stop rising.
//
// A member's best of one type goes to the server at most once every
// kReportHoldMs: while a rider's maximum climbs, reading by reading, the
// ranking gets the highest one every few seconds rather than one exchange
// per reading, and the last one always follows within the hold.
//
// An exchange that fails (no connection, no reply, or the server's database
// failed) keeps every pending best and pauses the reports for
// kRetryPauseMs; a report the server refuses (say, a member deleted
// meanwhile) is dropped, since sending it again would change nothing.
class ScoreReports {
 public:
  // Milliseconds of the program's tick clock.
  static constexpr std::uint64_t kDrainBudgetMs = 50;
  static constexpr std::uint64_t kRetryPauseMs = 10000;
  static constexpr std::uint64_t kReportHoldMs = 5000;

  ScoreReports(PacketSender& server, TeamRoster& roster, const LoginValues& login);
  // A drain of the readings begins; its reports get a fresh budget.
  void BeginDrain();

  // A new best of the member: kept pending, then sent with the others
  // while the budget lasts. True when the server has taken the member's
  // best of this type by the time it returns.
  bool Report(const MemberRecord& member, RankingType type, double score);
  // Sends pending bests whose hold is over, oldest first, while the
  // drain's budget lasts.
  void SendPending();

  std::size_t PendingCount() const { return pending_.size(); }

 private:
  using Key = std::pair<std::uint64_t, RankingType>;
  struct Pending {
    std::string memberName;
    double score = 0.0;
    std::uint64_t order = 0;  // when it first became pending
  };
  enum class Outcome { kTaken, kRefused, kFailed };

  Outcome Send(const Key& key, const Pending& pending);

  PacketSender& server_;
  TeamRoster& roster_;
  const LoginValues& login_;
  std::map<Key, Pending> pending_;
  std::map<Key, std::uint64_t> heldUntilMs_;  // after the last exchange of each
  std::uint64_t nextOrder_ = 0;
  bool reporting_ = false;
  std::uint64_t spentThisDrainMs_ = 0;
  std::uint64_t pausedUntilMs_ = 0;
};

}  // namespace vel
