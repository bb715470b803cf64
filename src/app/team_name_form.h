#pragma once

#include <string>

#include "common/message_box.h"
#include "server/login_values.h"
#include "server/packet_sender.h"
#include "team/team_name_requests.h"

namespace vel {

// The team-name row: the name's edit, "중복확인" (check), "재입력" (edit
// again) and the button that sends the name: "팀네임 변경" in the team
// window, "등록" when a new account registers its name. A name is sent only
// after the server said it is free, and cannot be edited in between:
//
//   Editing: the edit and "중복확인" enabled, "재입력" and send disabled.
//   Checked: the reverse.
//
// A free name moves Editing to Checked; anything else, "재입력" and every
// sending attempt go back to Editing.
class TeamNameForm {
 public:
  enum class State { kEditing, kChecked };

  TeamNameForm(PacketSender& server, MessageBox& messages, LoginValues& login,
               TeamNameRequests::From from);

  // "중복확인": refuses an empty name or one with a space before asking.
  void Check(const std::string& name);
  // "재입력".
  void EditAgain();
  // The send button; true when the team took the name. Refused unless the
  // name was checked.
  bool Send(const std::string& name);

  State CurrentState() const { return state_; }
  // The edit and "중복확인".
  bool EditEnabled() const { return state_ == State::kEditing; }
  // "재입력" and the send button.
  bool SendEnabled() const { return state_ == State::kChecked; }

 private:
  TeamNameRequests requests_;
  MessageBox& messages_;
  TeamNameRequests::From from_;
  State state_ = State::kEditing;
};

}  // namespace vel
