#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "server/login_rules.h"
#include "support/private_postgres.h"
#include "tools/vel_server/app_session.h"

namespace vel {
namespace {

using test::Packet;
using test::U64;
using web::json::value;
using enum RequestHeader;

TEST(StoreImportTest, AStudioMovesToPostgresWithEveryRowAndIdAndAFullTargetIsRefused) {
  test::RunningCompanionServer studio;
  test::AppSession old(studio);
  const test::SignedInUser user = test::SignInUser(studio, old.Executor(), old.Executor(), "kim");
  ASSERT_TRUE(old.Ask(Packet(kChangeTeamName, {{"accountid", U64(user.accountId)},
                                               {"teamname", value::string("이사팀")}}))
                  .ok);
  const std::uint64_t rider = old.AddMember(user.accountId, "라이더");
  old.AddDevice(rider, 4242, 120);
  old.AddBicycle(rider, "b", value::number(8.25), value::number(2), value::null(),
                 value::number(1));
  old.Report(user.accountId, rider, RankingType::kSpeed, value::number(41.125));
  old.Report(user.accountId, rider, RankingType::kHeartRate, value::number(177));
  // The highest id deleted: the new home must not hand it out again.
  const std::uint64_t gone = old.AddMember(user.accountId, "gone");
  ASSERT_TRUE(
      old.Ask(Packet(kDeleteMember, {{"accountid", U64(user.accountId)}, {"memberid", U64(gone)}}))
          .ok);
  const value members = old.Members(user.accountId);
  const value ranking = old.Ranking(RankingType::kSpeed);
  const std::string appToken = old.Ask(Packet(kAppToken)).reply.at("appaccesstoken").as_string();

  test::RunningCompanionServer::Setup moved;
  moved.database = test::SharedPostgres().NewDatabase();
  moved.importFrom = "sqlite:" + studio.DatabasePath().string();
  test::RunningCompanionServer chain(moved);
  // The tokens: the application's and kim's.
  EXPECT_THAT(chain.LogLines(), testing::Contains(testing::HasSubstr(
                                    ": 1 accounts, 1 members with their bests, 1 devices, 1 "
                                    "bicycles, 2 tokens, 0 session keys")));
  test::AppSession now(chain);
  EXPECT_EQ(now.Members(user.accountId), members);
  EXPECT_EQ(now.Ranking(RankingType::kSpeed), ranking);
  EXPECT_EQ(now.Ask(Packet(kAppToken)).reply.at("appaccesstoken").as_string(), appToken);
  value graph;
  EXPECT_TRUE(now.Executor().FetchJson(chain.SignInUrl(),
                                       TokenCheckPath(user.accessToken, appToken), graph))
      << "the saved login still works";
  EXPECT_GT(now.AddMember(user.accountId, "new"), gone);
  EXPECT_EQ(test::SignInUser(chain, now.Executor(), now.Executor(), "kim").accountId,
            user.accountId);

  // Importing again would mix two studios' ids.
  moved.importFrom = "sqlite:" + studio.DatabasePath().string();
  EXPECT_THROW(test::RunningCompanionServer{moved}, std::exception);
  moved.importFrom = "sqlite:/nonexistent/vel.db";
  EXPECT_THROW(test::RunningCompanionServer{moved}, std::exception);
}

}  // namespace
}  // namespace vel
