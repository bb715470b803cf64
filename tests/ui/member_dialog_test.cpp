// The team window clicked through against the companion server.
#include "ui/member_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <memory>

#include "server/request_executor.h"
#include "support/companion_server.h"
#include "support/recording_message_box.h"
#include "ui/team_name_dialog.h"
#include "ui/window_controls.h"

namespace vel {
namespace {

using test::Click;
using test::ControlOf;
using test::Type;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using D = CMemberDlg;

QStringList Entries(const QWidget& window, int id) {
  return test::Entries(window, id, CColorListBox::kColourRole);
}

QStringList Items(const QWidget& window, int id) {
  auto* list = ControlOf<QComboBox>(window, id);
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
  return out;
}

QString Text(const QWidget& window, int id) { return ControlOf<QLineEdit>(window, id)->text(); }
int Position(const QWidget& window, int id) {
  return ControlOf<QComboBox>(window, id)->currentIndex();
}

class MemberDialogTest : public ::testing::Test {
 protected:
  MemberDialogTest() {
    login.accountId = test::SignInUser(server, executor, executor, "kim").accountId;
  }

  // The window as the main window makes it at its start: a roster of its
  // own, loaded from the server.
  D& MakeWindow() {
    window.reset();
    lists = std::make_unique<RiderLists>();
    roster = std::make_unique<TeamRoster>(executor, messages, *lists, login);
    window = std::make_unique<D>(*roster, *lists, executor, login, &messages);
    return *window;
  }

  test::RunningCompanionServer server;
  test::RecordingMessageBox messages;
  RequestExecutor executor{server.Config(), messages};
  LoginValues login;
  std::unique_ptr<RiderLists> lists;
  std::unique_ptr<TeamRoster> roster;
  std::unique_ptr<D> window;
};

TEST_F(MemberDialogTest, ControlsStartAsTheWindowIsMadeAndClosingHidesIt) {
  login.teamName = "old";
  D& w = MakeWindow();
  EXPECT_FALSE(w.isVisible()) << "made hidden";
  EXPECT_EQ(w.windowTitle(), QStringLiteral("팀관리"));
  EXPECT_EQ(Text(w, D::kTeamNameId), QStringLiteral("old"));
  struct Button {
    int id;
    const char* caption;
    bool enabled;
  };
  std::vector<Button> buttons = {
      {D::kCheckNameId, "중복확인", true},      {D::kEditNameAgainId, "재입력", false},
      {D::kChangeNameId, "팀네임 변경", false}, {D::kAddMemberId, "추가", true},
      {D::kDeleteMemberId, "삭제", false},      {D::kSaveBodyId, "입력", true},
      {D::kActivateBicycleId, "활성화", false}, {D::kAddBicycleId, "추가", true},
      {D::kDeleteBicycleId, "삭제", false}};
  for (const SensorGroupBox::Setup& group : D::kSensorGroups) {
    buttons.push_back({group.add, "추가", true});
    buttons.push_back({group.remove, "삭제", false});
    buttons.push_back({group.activate, "활성화", false});
    EXPECT_NE(ControlOf<CColorListBox>(w, group.list), nullptr);
  }
  for (const Button& b : buttons) {
    auto* button = ControlOf<QAbstractButton>(w, b.id);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QString::fromUtf8(b.caption)) << b.id;
    EXPECT_EQ(button->isEnabled(), b.enabled) << b.id;
  }
  EXPECT_THAT(Items(w, D::kGenderId), ElementsAre("", "남성", "여성"));
  EXPECT_THAT(Items(w, D::kCrankId),
              ElementsAre("", "50-34T(컴팩트)", "52-36T(미드컴팩트)", "53-39T(스탠다드)"));
  const QStringList cassettes = Items(w, D::kCassetteId);
  ASSERT_EQ(cassettes.size(), 14);
  EXPECT_EQ(cassettes[4], QStringLiteral("11단(11-28T) 11-12-13-14-15-17-19-21-23-25-28"));
  EXPECT_EQ(cassettes[13], QStringLiteral("10단(11-21T) 11-12-13-14-15-16-17-18-19-21"));
  EXPECT_THAT(Items(w, D::kTireId), ElementsAre("", "700-23C"));

  // Digit-only boxes, as wide as their digits.
  Type(w, 1022, QStringLiteral("1a2b345678"));
  EXPECT_EQ(Text(w, 1022), QStringLiteral("12345"));
  Type(w, D::kHeightTenthsId, QStringLiteral("x56"));
  EXPECT_EQ(Text(w, D::kHeightTenthsId), QStringLiteral("5"));

  w.show();
  w.close();
  EXPECT_TRUE(w.isHidden());
  w.show();
  EXPECT_TRUE(w.isVisible()) << "closing only hid it";
}

TEST_F(MemberDialogTest, TheWholeRosterCycleByClickingIsThereWhenTheWindowIsMadeAnew) {
  {
    CTeamNameDlg registration(executor, login, &messages);
    registration.open();
    Type(registration, CTeamNameDlg::kNameId, QStringLiteral("sprinters"));
    Click(registration, CTeamNameDlg::kCheckId);
    Click(registration, CTeamNameDlg::kRegisterId);
    EXPECT_EQ(registration.result(), QDialog::Accepted);
    EXPECT_EQ(login.teamName, "sprinters");
  }

  D& w = MakeWindow();
  w.show();
  EXPECT_EQ(Text(w, D::kTeamNameId), QStringLiteral("sprinters"));
  Type(w, D::kMemberNameId, QStringLiteral("김철수"));
  Click(w, D::kAddMemberId);
  EXPECT_EQ(Text(w, D::kMemberNameId), QStringLiteral("김철수")) << "the name box keeps its text";
  ASSERT_TRUE(test::ClickEntry(w, D::kMembersId, QStringLiteral("김철수")));
  EXPECT_TRUE(ControlOf<QPushButton>(w, D::kDeleteMemberId)->isEnabled());
  EXPECT_EQ(lists->Entries(9).back().name, "김철수") << "offered in the rider panels";

  // A sensor of each kind, each made active in turn: the combined sensor
  // ends the speed and cadence sensors, the power meter the cadence sensor.
  int number = 101;
  for (const SensorGroupBox::Setup& group : D::kSensorGroups) {
    Type(w, group.number, QString::number(number++));
    Click(w, group.add);
    ASSERT_TRUE(test::ClickEntry(w, group.list, QString::number(number - 1))) << group.list;
    Click(w, group.activate);
  }
  Type(w, D::kHeightId, QStringLiteral("175"));
  Type(w, D::kHeightTenthsId, QStringLiteral("5"));
  Type(w, D::kWeightId, QStringLiteral("68"));
  ControlOf<QComboBox>(w, D::kGenderId)->setCurrentIndex(2);
  Click(w, D::kSaveBodyId);
  Type(w, D::kBicycleNameId, QStringLiteral("로드"));
  Type(w, D::kBicycleWeightId, QStringLiteral("7"));
  Type(w, D::kBicycleWeightTenthsId, QStringLiteral("8"));
  ControlOf<QComboBox>(w, D::kCrankId)->setCurrentIndex(1);
  ControlOf<QComboBox>(w, D::kCassetteId)->setCurrentIndex(5);
  ControlOf<QComboBox>(w, D::kTireId)->setCurrentIndex(1);
  Click(w, D::kAddBicycleId);
  ASSERT_TRUE(test::ClickEntry(w, D::kBicyclesId, QStringLiteral("로드")));
  Click(w, D::kActivateBicycleId);
  EXPECT_THAT(Entries(w, D::kBicyclesId), ElementsAre("로드*"));
  EXPECT_THAT(messages.Texts(),
              ElementsAre("사용할 수 있는 팀네임 입니다.", "팀명이 등록 되었습니다."));

  server.Restart();
  D& again = MakeWindow();
  again.show();
  ASSERT_TRUE(test::ClickEntry(again, D::kMembersId, QStringLiteral("김철수")));
  const QStringList expected[] = {{"101"}, {"102"}, {"103*"}, {"104*"}, {"105*"}};
  for (std::size_t i = 0; i < D::kSensorGroups.size(); ++i) {
    EXPECT_EQ(Entries(again, D::kSensorGroups[i].list), expected[i]) << i;
    EXPECT_TRUE(ControlOf<QPushButton>(again, D::kSensorGroups[i].activate)->isEnabled());
  }
  EXPECT_EQ(Text(again, D::kHeightId), QStringLiteral("175"));
  EXPECT_EQ(Text(again, D::kHeightTenthsId), QStringLiteral("5"));
  EXPECT_EQ(Text(again, D::kWeightId), QStringLiteral("68"));
  EXPECT_EQ(Text(again, D::kWeightTenthsId), QStringLiteral("0"));
  EXPECT_EQ(Position(again, D::kGenderId), 2);
  ASSERT_TRUE(test::ClickEntry(again, D::kBicyclesId, QStringLiteral("로드")));
  EXPECT_THAT(Entries(again, D::kBicyclesId), ElementsAre("로드*"));
  EXPECT_EQ(Text(again, D::kBicycleWeightId), QStringLiteral("7"));
  EXPECT_EQ(Text(again, D::kBicycleWeightTenthsId), QStringLiteral("8"));
  EXPECT_EQ(Position(again, D::kCrankId), 1);
  EXPECT_EQ(Position(again, D::kCassetteId), 5);
  EXPECT_EQ(Position(again, D::kTireId), 1);

  // Deleting the member takes it from the window and the rider panels.
  Click(again, D::kDeleteMemberId);
  EXPECT_THAT(Entries(again, D::kMembersId), IsEmpty());
  EXPECT_THAT(Entries(again, D::kBicyclesId), IsEmpty());
  EXPECT_EQ(Text(again, D::kHeightId), QString());
  EXPECT_FALSE(ControlOf<QPushButton>(again, D::kDeleteMemberId)->isEnabled());
  EXPECT_EQ(lists->Entries(0).size(), 1u);
}

}  // namespace
}  // namespace vel
