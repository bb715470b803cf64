#include "app/team_name_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/recording_message_box.h"
#include "support/scripted_packet_sender.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using State = TeamNameForm::State;

constexpr char kFree[] = R"({"header":10,"result":true})";
constexpr char kTaken10[] = R"({"header":10,"result":false,"errcode":1})";

class TeamNameFormTest : public ::testing::Test {
 protected:
  TeamNameFormTest() { login.teamName = "old"; }

  test::ScriptedPacketSender server;
  test::RecordingMessageBox messages;
  LoginValues login;
};

TEST_F(TeamNameFormTest, NothingIsSentUntilAWellFormedNameWasFoundFree) {
  TeamNameForm form(server, messages, login, TeamNameRequests::From::kTeamWindow);
  EXPECT_FALSE(form.Send("fast")) << "the change handler refuses in Editing";
  form.Check("");
  form.Check("   ");
  form.Check("fast team");
  EXPECT_THAT(server.Sent(), IsEmpty());
  EXPECT_THAT(messages.Texts(),
              ElementsAre("중복 확인을 먼저 해주세요.",
                          "잘 못된 형식입니다.\n네임에는 빈공간이 들어갈 수 없습니다.",
                          "잘 못된 형식입니다.\n네임에는 빈공간이 들어갈 수 없습니다.",
                          "잘 못된 형식입니다.\n네임에는 빈공간이 들어갈 수 없습니다."));
  EXPECT_EQ(form.CurrentState(), State::kEditing);

  server.Answer(10, kTaken10);
  form.Check("taken");
  EXPECT_EQ(form.CurrentState(), State::kEditing);
  server.Answer(10, kFree);
  form.Check("fast");
  EXPECT_EQ(form.CurrentState(), State::kChecked);
  EXPECT_TRUE(form.SendEnabled());
  EXPECT_FALSE(form.EditEnabled());
  form.EditAgain();
  EXPECT_EQ(form.CurrentState(), State::kEditing);

  form.Check("fast");
  server.Answer(11, R"({"header":11,"result":true})");
  EXPECT_TRUE(form.Send("fast"));
  EXPECT_EQ(form.CurrentState(), State::kEditing) << "back to Editing after a change";
  EXPECT_EQ(login.teamName, "fast");
  EXPECT_EQ(messages.Texts().back(), "팀명이 변경 되었습니다.");
}

TEST_F(TeamNameFormTest, ANameRefusedAtRegistrationMustBeCheckedAgain) {
  TeamNameForm form(server, messages, login, TeamNameRequests::From::kRegistration);
  server.Answer(10, kFree);
  form.Check("fast");
  server.Answer(11, R"({"header":11,"result":false,"errcode":1})");
  EXPECT_FALSE(form.Send("fast"));
  EXPECT_EQ(form.CurrentState(), State::kEditing);
  EXPECT_EQ(login.teamName, "old");
  form.Check("faster");
  server.Answer(11, R"({"header":11,"result":true})");
  EXPECT_TRUE(form.Send("faster"));
  EXPECT_EQ(login.teamName, "faster");
  EXPECT_THAT(messages.Texts(),
              ElementsAre("사용할 수 있는 팀네임 입니다.", "사용할 수 없는 팀네임 입니다.",
                          "사용할 수 있는 팀네임 입니다.", "팀명이 등록 되었습니다."));
}

}  // namespace
}  // namespace vel
