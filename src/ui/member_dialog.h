#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <array>
#include <cstdint>
#include <optional>

#include "app/member_form.h"
#include "app/team_name_form.h"
#include "common/message_box.h"
#include "controls/color_list_box.h"
#include "server/login_values.h"
#include "server/packet_sender.h"
#include "team/rider_lists.h"
#include "team/team_roster.h"
#include "ui/digit_edit.h"
#include "ui/qt_message_box.h"
#include "ui/sensor_group_box.h"
#include "ui/team_name_row.h"

namespace vel {

// "팀관리": the team's name, its members and each member's sensors, body
// data and bicycles. The main window makes it once, hidden, which loads
// the roster from the server; closing it only hides it. Members added or
// deleted here are added to or taken from the rider panels' lists.
//
// Messages go to `messages` when given (tests record them), otherwise to a
// message box over this dialog.
class CMemberDlg : public QDialog {
 public:
  static constexpr int kResourceId = 132;
  // The team-name row.
  static constexpr int kTeamNameId = 1034;
  static constexpr int kCheckNameId = 1035;
  static constexpr int kEditNameAgainId = 1037;
  static constexpr int kChangeNameId = 1036;
  // Members.
  static constexpr int kMembersId = 1002;
  static constexpr int kMemberNameId = 1026;
  static constexpr int kAddMemberId = 1016;
  static constexpr int kDeleteMemberId = 1007;
  // Body data.
  static constexpr int kHeightId = 1042;
  static constexpr int kHeightTenthsId = 1049;
  static constexpr int kWeightId = 1045;
  static constexpr int kWeightTenthsId = 1055;
  static constexpr int kGenderId = 1044;
  static constexpr int kSaveBodyId = 1050;
  // Bicycles.
  static constexpr int kBicyclesId = 1017;
  static constexpr int kActivateBicycleId = 1048;
  static constexpr int kAddBicycleId = 1046;
  static constexpr int kDeleteBicycleId = 1047;
  static constexpr int kBicycleNameId = 1027;
  static constexpr int kBicycleWeightId = 1043;
  static constexpr int kBicycleWeightTenthsId = 1054;
  static constexpr int kCrankId = 1039;
  static constexpr int kCassetteId = 1040;
  static constexpr int kTireId = 1041;

  // The five sensor groups, in the order the window shows them.
  static const std::array<SensorGroupBox::Setup, 5> kSensorGroups;

  CMemberDlg(TeamRoster& roster, RiderLists& riderLists, PacketSender& server, LoginValues& login,
             MessageBox* messages = nullptr, QWidget* parent = nullptr);
  ~CMemberDlg() override;

 private:
  QWidget* BuildMembers();
  QWidget* BuildSensors();
  QWidget* BuildBody();
  QWidget* BuildBicycles();
  void FillFixedLists();

  // The lists as the roster has them, keeping the selected entry.
  void ShowMembers();
  void ShowSensors();
  void ShowBicycles();
  // Selection changes of the member and the bicycle lists.
  void ShowSelectedMember();
  void ShowSelectedBicycle();
  // Empties the boxes of the member's details.
  void ClearMemberBoxes();

  void DeleteMember();
  void SaveBody();
  void AddBicycle();

  QtMessageBox ownMessages_;
  TeamRoster& roster_;
  MemberForm form_;
  TeamNameForm nameForm_;
  TeamNameRow* nameRow_;

  QListWidget* members_ = nullptr;
  QLineEdit* memberName_ = nullptr;
  QPushButton* addMember_ = nullptr;
  QPushButton* deleteMember_ = nullptr;

  std::array<SensorGroupBox*, 5> sensorGroups_{};

  DigitEdit* height_ = nullptr;
  DigitEdit* heightTenths_ = nullptr;
  DigitEdit* weight_ = nullptr;
  DigitEdit* weightTenths_ = nullptr;
  QComboBox* gender_ = nullptr;
  QPushButton* saveBody_ = nullptr;

  CColorListBox* bicycles_ = nullptr;
  QPushButton* activateBicycle_ = nullptr;
  QPushButton* addBicycle_ = nullptr;
  QPushButton* deleteBicycle_ = nullptr;
  QLineEdit* bicycleName_ = nullptr;
  DigitEdit* bicycleWeight_ = nullptr;
  DigitEdit* bicycleWeightTenths_ = nullptr;
  QComboBox* crank_ = nullptr;
  QComboBox* cassette_ = nullptr;
  QComboBox* tire_ = nullptr;
};

}  // namespace vel
