#include "team/score_reports.h"

#include <algorithm>
#include <cstdint>

#include "common/json_fields.h"
#include "common/queues.h"
#include "common/tick_clock.h"
#include "server/wire_fields.h"

namespace vel {

double BestScore(const MemberRecord& member, RankingType type) {
  switch (type) {
    case RankingType::kSpeed: return member.bestSpeed;
    case RankingType::kCadence: return member.bestCadence;
    case RankingType::kHeartRate: return member.bestHeartRate;
  }
  return 0.0;
}

ScoreReports::ScoreReports(PacketSender& server, TeamRoster& roster, const LoginValues& login)
    : server_(server), roster_(roster), login_(login) {}

void ScoreReports::BeginDrain() {
  // A drain run inside a report's wait leaves the budget to that report's.
  if (!reporting_) spentThisDrainMs_ = 0;
}

bool ScoreReports::Report(const MemberRecord& member, RankingType type, double score) {
  const Key key{member.id, type};
  auto [it, added] = pending_.try_emplace(key);
  if (added) it->second.order = nextOrder_++;
  it->second.memberName = member.name;
  it->second.score = std::max(it->second.score, score);
  SendPending();
  return !pending_.contains(key);
}

void ScoreReports::SendPending() {
  // Inside a report's wait the drains only collect.
  if (reporting_) return;
  while (!pending_.empty() && spentThisDrainMs_ < kDrainBudgetMs &&
         TickCount64() >= pausedUntilMs_) {
    const std::uint64_t now = TickCount64();
    auto oldest = pending_.end();
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
      const auto held = heldUntilMs_.find(it->first);
      if (held != heldUntilMs_.end() && now < held->second) continue;
      if (oldest == pending_.end() || it->second.order < oldest->second.order) oldest = it;
    }
    if (oldest == pending_.end()) return;  // every one is held
    // Copies: the drains inside the wait may change what is pending.
    const Key key = oldest->first;
    const Pending sent = oldest->second;
    reporting_ = true;
    const Outcome outcome = Send(key, sent);
    const std::uint64_t end = TickCount64();
    spentThisDrainMs_ += end - now;
    reporting_ = false;
    if (outcome == Outcome::kFailed) {
      pausedUntilMs_ = end + kRetryPauseMs;
      return;
    }
    heldUntilMs_[key] = end + kReportHoldMs;
    const auto left = pending_.find(key);
    // A higher best that came in during the wait stays pending.
    if (left != pending_.end() && left->second.score <= sent.score) pending_.erase(left);
  }
}

ScoreReports::Outcome ScoreReports::Send(const Key& key, const Pending& pending) {
  using web::json::value;
  const auto [memberId, type] = key;
  value request = value::object(true);
  request[wire_field::kHeader] = value::number(HeaderNumber(RequestHeader::kReportScore));
  request[wire_field::kRankingType] = value::number(RankingNumber(type));
  request[wire_field::kMemberId] = value::number(memberId);
  request[wire_field::kMemberName] = value::string(pending.memberName);
  request[wire_field::kAccountId] = value::number(login_.accountId);
  // Speeds are reported as they were measured; cadence and heart rate are
  // whole numbers.
  request[wire_field::kScore] = type == RankingType::kSpeed
                                    ? value::number(pending.score)
                                    : value::number(static_cast<std::int32_t>(pending.score));
  value reply;
  if (server_.SendPacket(request, reply)) {
    roster_.RecordBest(memberId, type, pending.score);
    return Outcome::kTaken;
  }
  // No reply at all, or a server whose database failed: worth another try.
  const auto code = reply.is_object() ? ReadInt(reply, wire_field::kErrcode) : std::nullopt;
  if (!code || *code == errcode::kStorage) return Outcome::kFailed;
  PushLog("Score report of member " + std::to_string(memberId) + " refused, errcode " +
          std::to_string(*code));
  return Outcome::kRefused;
}

}  // namespace vel
