#include "team/score_reports.h"

#include <cstdint>

#include "common/tick_clock.h"

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
  using web::json::value;
  value request = value::object(true);
  request["header"] = value::number(HeaderNumber(RequestHeader::kReportScore));
  request["rankingtype"] = value::number(RankingNumber(type));
  request["memberid"] = value::number(member.id);
  request["membername"] = value::string(member.name);
  request["accountid"] = value::number(login_.accountId);
  // Speeds are reported as they were measured; cadence and heart rate are
  // whole numbers.
  request["score"] = type == RankingType::kSpeed ? value::number(score)
                                                 : value::number(static_cast<std::int32_t>(score));
  if (reporting_ || spentThisDrainMs_ >= kDrainBudgetMs) return false;
  reporting_ = true;
  value reply;
  const std::uint64_t start = TickCount64();
  const bool taken = server_.SendPacket(request, reply);
  spentThisDrainMs_ += TickCount64() - start;
  reporting_ = false;
  if (!taken) return false;
  roster_.RecordBest(member.id, type, score);
  return true;
}

}  // namespace vel
