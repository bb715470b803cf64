#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "server/login_values.h"
#include "server/session_key_sender.h"
#include "tools/vel_server/app_session.h"

namespace vel {
namespace {

using test::Packet;
using test::U64;
using web::json::value;
using enum RequestHeader;

test::RunningCompanionServer::Setup Strict() {
  test::RunningCompanionServer::Setup setup;
  setup.strict = true;
  return setup;
}

value Keyed(value request, const std::string& key) {
  request["sessionkey"] = value::string(key);
  return request;
}

TEST(StrictServerTest, RequestsNeedTheKeyOfTheAccountThatOwnsWhatTheyName) {
  test::RunningCompanionServer server(Strict());
  test::AppSession session(server);
  const test::SignedInUser kim =
      test::SignInUser(server, session.Executor(), session.Executor(), "kim");
  const test::SignedInUser lee =
      test::SignInUser(server, session.Executor(), session.Executor(), "lee");
  ASSERT_THAT(kim.sessionKey, testing::StartsWith("VELKEY"));
  ASSERT_NE(kim.sessionKey, lee.sessionKey);

  const value addMember =
      Packet(kAddMember, {{"accountid", U64(kim.accountId)}, {"membername", value::string("m")}});
  EXPECT_EQ(session.Ask(addMember).Errcode(), errcode::kUnknownAccount) << "no key";
  EXPECT_EQ(session.Ask(Keyed(addMember, lee.sessionKey)).Errcode(), errcode::kUnknownAccount);
  EXPECT_EQ(session.Ask(Keyed(addMember, "VELKEY" + std::string(64, '0'))).Errcode(),
            errcode::kUnknownAccount);
  const test::Answered added = session.Ask(Keyed(addMember, kim.sessionKey));
  ASSERT_TRUE(added.ok) << added.reply.serialize();
  const std::uint64_t member = added.reply.at("memberid").as_number().to_uint64();

  // A member names its account: lee's key opens none of kim's riders.
  const value addDevice = Packet(kAddDevice, {{"memberid", U64(member)},
                                              {"devicenumber", value::number(5)},
                                              {"devicetype", value::number(120)}});
  EXPECT_EQ(session.Ask(Keyed(addDevice, lee.sessionKey)).Errcode(), errcode::kUnknownAccount);
  EXPECT_TRUE(session.Ask(Keyed(addDevice, kim.sessionKey)).ok);
  const value ranking = Packet(kLoadRanking, {{"rankingtype", value::number(0)}});
  EXPECT_EQ(session.Ask(ranking).Errcode(), errcode::kUnknownAccount);
  EXPECT_TRUE(session.Ask(Keyed(ranking, lee.sessionKey)).ok);

  // Header 0 gives a key only for the user its token names.
  const value bare = Packet(
      kSignIn, {{"type", value::string("facebook")}, {"account", value::string(kim.userId)}});
  EXPECT_EQ(session.Ask(bare).Errcode(), errcode::kUnknownAccount);
  value borrowed = bare;
  borrowed["accesstoken"] = value::string(lee.accessToken);
  EXPECT_EQ(session.Ask(borrowed).Errcode(), errcode::kUnknownAccount);
  EXPECT_TRUE(session.Ask(Packet(kAppToken)).ok) << "header -1 is for everyone";

  // Keys outlive a restart; the database holds only their digests.
  server.Restart();
  EXPECT_TRUE(
      session.Ask(Keyed(Packet(kLoadMembers, {{"accountid", U64(kim.accountId)}}), kim.sessionKey))
          .ok);
  EXPECT_THAT(session.Box().Texts(), testing::IsEmpty());
}

// The program's own way: its sender adds the key of the sign-in to every
// packet; with a server that gives none, the packets go as before.
TEST(StrictServerTest, TheProgramRidesAgainstAStrictServerAndAsBeforeAgainstAnother) {
  for (const bool strict : {true, false}) {
    test::RunningCompanionServer::Setup setup;
    setup.strict = strict;
    test::RunningCompanionServer server(setup);
    test::AppSession session(server);
    LoginValues login;
    SessionKeySender program(session.Executor(), login.sessionKey);
    const test::SignedInUser user = test::SignInUser(server, program, session.Executor(), "park");
    login.accountId = user.accountId;
    login.sessionKey = user.sessionKey;
    EXPECT_EQ(login.sessionKey.empty(), !strict);
    value reply;
    ASSERT_TRUE(program.SendPacket(Packet(kAddMember, {{"accountid", U64(login.accountId)},
                                                       {"membername", value::string("r")}}),
                                   reply))
        << strict;
    const std::uint64_t member = reply.at("memberid").as_number().to_uint64();
    EXPECT_TRUE(program.SendPacket(Packet(kReportScore, {{"rankingtype", value::number(0)},
                                                         {"memberid", U64(member)},
                                                         {"membername", value::string("r")},
                                                         {"accountid", U64(login.accountId)},
                                                         {"score", value::number(30.5)}}),
                                   reply))
        << strict;
    EXPECT_TRUE(
        program.SendPacket(Packet(kLoadMembers, {{"accountid", U64(login.accountId)}}), reply));
    EXPECT_EQ(reply.at("member").size(), 1u);
  }
}

}  // namespace
}  // namespace vel
