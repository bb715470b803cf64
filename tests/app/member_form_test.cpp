#include "app/member_form.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/recording_message_box.h"
#include "support/scripted_packet_sender.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Boxes = MemberForm::WholeAndTenths;
using enum RequestHeader;

constexpr char kInUse[] = "메인창에 선택이 되어서 사용중인 유저입니다.\n선택을 해제하여 주세요.";

class MemberFormTest : public ::testing::Test {
 protected:
  MemberFormTest() {
    login.accountId = 77;
    Answer(kLoadMembers, R"({"header":1,"result":true,"member":[
        {"id":5,"name":"kim","height":175.5,"weight":72.25,"gender":2,"device":null,
         "bicycle":[{"id":8,"active":true,"name":"road","weight":7.5,"crank":2,"cassette":13,
                     "tire":1},
                    {"id":9,"active":false,"name":"odd","weight":-1,"crank":9,"cassette":-1,
                     "tire":0}]},
        {"id":6,"name":"lee","height":null,"weight":-0.5,"gender":7}]})");
    EXPECT_TRUE(form.Load());
  }
  void Answer(RequestHeader header, const std::string& reply) {
    server.Answer(HeaderNumber(header), reply);
  }
  std::size_t Sent() const { return server.Sent().size(); }

  test::ScriptedPacketSender server;
  test::RecordingMessageBox messages;
  RiderLists riderLists;
  LoginValues login;
  TeamRoster roster{server, messages, riderLists, login};
  MemberForm form{roster, riderLists, messages};
};

TEST_F(MemberFormTest, StoredValuesShowSoThatSavingThemUnchangedSendsWhatIsShown) {
  const MemberForm::BodyShown kim = form.ShowMember(5);
  EXPECT_EQ(kim.height, (Boxes{"175", "5"}));
  EXPECT_EQ(kim.weight, (Boxes{"72", "3"})) << "more digits round to the nearest tenth";
  EXPECT_EQ(kim.gender, 2);
  Answer(kSaveBodyInfo, R"({"header":12,"result":true})");
  form.SaveBody(kim.height, kim.weight, kim.gender);
  const auto sent = web::json::value::parse(server.LastSent());
  EXPECT_EQ(static_cast<float>(sent.at("height").as_double()), 175.5f) << "as stored";
  EXPECT_EQ(static_cast<float>(sent.at("weight").as_double()), 72.3f) << "as shown";
  EXPECT_EQ(sent.at("gender").as_integer(), 2);

  const MemberForm::BicycleShown road = form.ShowBicycle(8);
  EXPECT_EQ(road.weight, (Boxes{"7", "5"}));
  EXPECT_EQ(road.crank, 2);
  EXPECT_EQ(road.cassette, 13);
  EXPECT_EQ(road.tire, 1);
  const MemberForm::BicycleShown odd = form.ShowBicycle(9);
  EXPECT_EQ(odd.weight, Boxes{});
  EXPECT_EQ(odd.crank, -1) << "a position the list does not have selects nothing";
  EXPECT_EQ(odd.cassette, -1);
  EXPECT_EQ(odd.tire, 0);

  const MemberForm::BodyShown lee = form.ShowMember(6);
  EXPECT_EQ(lee.height, Boxes{});
  EXPECT_EQ(lee.weight, Boxes{}) << "a negative weight is unknown";
  EXPECT_EQ(lee.gender, 0);
  EXPECT_EQ(form.ShowBicycle(8).crank, 0) << "not lee's bicycle";
  EXPECT_EQ(MemberForm::ShowMeasure(9999.9f), (Boxes{"9999", "9"}));
  EXPECT_EQ(MemberForm::ShowMeasure(9999.96f), Boxes{}) << "five digits do not fit";

  Answer(kSaveBodyInfo, R"({"header":12,"result":true})");
  form.SaveBody({"175", ""}, {"", "5"}, std::nullopt);
  EXPECT_EQ(
      server.LastSent(),
      R"({"header":12,"accountid":77,"memberid":6,"height":175,"weight":0.5,"gender":null,"age":null})");
}

TEST_F(MemberFormTest, DeviceNumbersAreComparedAsTypedAndKeptToSixteenBits) {
  form.ShowMember(5);
  Answer(kAddDevice, R"({"header":4,"result":true,"deviceid":900})");
  form.AddSensor(120, "");
  form.AddSensor(120, "0123");
  EXPECT_THAT(roster.SensorList(120).Entries().at(0).text, "123");
  form.AddSensor(120, "123");
  form.AddSensor(120, "65536");
  EXPECT_EQ(Sent(), 2u);
  Answer(kAddDevice, R"({"header":4,"result":true,"deviceid":901})");
  form.AddSensor(120, "0123");
  EXPECT_EQ(Sent(), 3u) << "a text not listed goes to the server";
  Answer(kAddDevice, R"({"header":4,"result":true,"deviceid":902})");
  form.AddSensor(120, "65535");
  EXPECT_EQ(server.LastSent(),
            R"({"header":4,"memberid":5,"devicenumber":65535,"devicetype":120})");
  EXPECT_THAT(messages.Texts(),
              ElementsAre("장치 번호를 입력해 주세요.", "이미 등록된 장치입니다.",
                          "장치 번호는 0에서 65535 사이의 숫자로 입력해 주세요."));
}

TEST_F(MemberFormTest, ValuesTheServerWouldRefuseAreStoppedWithAMessage) {
  form.ShowMember(5);
  std::string name33;
  for (int i = 0; i < 33; ++i) name33 += "가";
  form.AddMember("   ");
  form.AddMember(name33 + "가");
  form.AddMember("kim\tlee");
  form.SaveBody({"1000", "1"}, {}, 1);
  form.SaveBody({}, {"1001", ""}, 1);
  form.AddBicycle("", {}, 0, 0, 0);
  form.AddBicycle("  ", {}, 0, 0, 0);
  form.AddBicycle("road", {"1000", "5"}, 0, 0, 0);
  EXPECT_EQ(Sent(), 1u) << "only the load";
  EXPECT_THAT(
      messages.Texts(),
      ElementsAre(
          "이름을 입력해 주세요.",
          "이름이 너무 깁니다.\n영문 100자, 한글 33자 이내로 입력해 주세요.",
          "이름에 쓸 수 없는 문자가 들어 있습니다.", "키와 몸무게는 1000 이하로 입력해 주세요.",
          "키와 몸무게는 1000 이하로 입력해 주세요.", "추가하실 자전거 이름이 빈공간 입니다.",
          "추가하실 자전거 이름이 빈공간 입니다.", "자전거 무게는 1000 이하로 입력해 주세요."));

  Answer(kAddMember, R"({"header":2,"result":true,"memberid":7})");
  form.AddMember(name33);
  Answer(kSaveBodyInfo, R"({"header":12,"result":true})");
  form.SaveBody({"1000", ""}, {}, std::nullopt);
  EXPECT_EQ(Sent(), 3u) << "33 Korean letters and 1000.0 are taken";
}

TEST_F(MemberFormTest, AMemberWhoRidesCannotBeChangedButCanBeDeleted) {
  form.AddSensor(120, "1");
  form.DeleteBicycle(8);
  EXPECT_THAT(messages.Texts(), IsEmpty()) << "nothing happens without a member shown";

  form.ShowMember(5);
  riderLists.Select(4, 1);  // kim, after the empty entry
  ASSERT_TRUE(riderLists.IsMemberInUse(5));
  form.AddSensor(120, "1");
  form.DeleteSensor(120, std::nullopt);
  form.ToggleSensor(120, std::nullopt);
  form.SaveBody({"170", ""}, {}, 1);
  form.AddBicycle("road", {}, 0, 0, 0);
  form.DeleteBicycle(8);
  form.ToggleBicycle(8);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>(7, kInUse));
  EXPECT_EQ(Sent(), 1u);

  Answer(kDeleteMember, R"({"header":3,"result":true})");
  EXPECT_TRUE(form.DeleteMember());
  EXPECT_FALSE(riderLists.Holds(5));
  EXPECT_FALSE(riderLists.Selection(4));
  EXPECT_FALSE(form.DeleteMember()) << "no member shown any more";
}

}  // namespace
}  // namespace vel
