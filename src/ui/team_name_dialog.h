#pragma once

#include <QDialog>

#include "app/team_name_form.h"
#include "common/message_box.h"
#include "server/login_values.h"
#include "server/packet_sender.h"
#include "ui/qt_message_box.h"
#include "ui/team_name_row.h"

namespace vel {

// "vev/팀네임 등록": a new account chooses its team's name. Run modally
// (exec) by the sign-in; it ends with Accepted only once the server took
// the name, which the login values then hold, and with Rejected when the
// user presses Escape. It has no close box.
//
// Messages go to `messages` when given (tests record them), otherwise to a
// message box over this dialog.
class CTeamNameDlg : public QDialog {
 public:
  static constexpr int kResourceId = 135;
  static constexpr int kNameId = 1032;
  static constexpr int kCheckId = 1033;
  static constexpr int kEditAgainId = 1038;
  static constexpr int kRegisterId = 1;  // the dialog's OK

  CTeamNameDlg(PacketSender& server, LoginValues& login, MessageBox* messages = nullptr,
               QWidget* parent = nullptr);

 private:
  void Register();

  QtMessageBox ownMessages_;
  TeamNameForm form_;
  TeamNameRow* row_;
};

}  // namespace vel
