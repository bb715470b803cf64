#include "app/ranking_tables.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "support/recording_message_box.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Answers ranking requests by their type; a type without an answer fails
// as a broken connection would.
class RankingServer : public PacketSender {
 public:
  std::map<int, std::string> answers;
  std::vector<int> asked;

  bool SendPacket(const web::json::value& request, web::json::value& reply) override {
    const int type = request.at("rankingtype").as_integer();
    asked.push_back(type);
    const auto found = answers.find(type);
    if (found == answers.end()) return false;
    reply = web::json::value::parse(found->second);
    return true;
  }
};

std::vector<std::string> Scores(const std::vector<TeamRoster::RankingRow>& rows) {
  std::vector<std::string> out;
  for (const auto& row : rows) {
    out.push_back(std::to_string(row.rank) + " " + row.teamName + " " + row.memberName + " " +
                  row.score);
  }
  return out;
}

class RankingTablesTest : public ::testing::Test {
 protected:
  RankingServer server;
  test::RecordingMessageBox messages;
  RiderLists lists;
  LoginValues login;
  TeamRoster roster{server, messages, lists, login};
};

TEST_F(RankingTablesTest, AFailedTypeLeavesItAndTheTablesAfterItEmpty) {
  server.answers[0] = R"({"result":true,"ranking":[
      {"score":45.5,"teamname":"데모팀","membername":"라이더1"},
      {"score":41,"teamname":"fast","membername":"kim"}]})";
  server.answers[2] =
      R"({"result":true,"ranking":[{"score":180,"teamname":"t","membername":"m"}]})";
  const RankingTables tables = RankingTables::Load(roster);
  EXPECT_THAT(Scores(tables.rows[0]), ElementsAre("1 데모팀 라이더1 45.500000", "2 fast kim 41"));
  EXPECT_THAT(tables.rows[1], IsEmpty());
  EXPECT_THAT(tables.rows[2], IsEmpty());
  EXPECT_THAT(server.asked, ElementsAre(0, 1));
}

TEST_F(RankingTablesTest, AnEmptyRankingGoesOnAndANullOneStops) {
  server.answers[0] = R"({"result":true,"ranking":[]})";
  server.answers[1] = R"({"result":true,"ranking":null})";
  server.answers[2] =
      R"({"result":true,"ranking":[{"score":180,"teamname":"t","membername":"m"}]})";
  EXPECT_THAT(RankingTables::Load(roster).rows[2], IsEmpty());
  EXPECT_THAT(server.asked, ElementsAre(0, 1));

  server.answers[1] = R"({"result":true,"ranking":[]})";
  EXPECT_THAT(Scores(RankingTables::Load(roster).rows[2]), ElementsAre("1 t m 180"));
}

}  // namespace
}  // namespace vel
