#pragma once

#include <string>

#include "common/message_box.h"
#include "server/login_values.h"
#include "server/packet_sender.h"

namespace vel {

// The two requests about the team's name, with the messages they show: is
// a name free (header 10), and take it as the team's name (header 11). The
// team window and the registration of a new account both send them.
class TeamNameRequests {
 public:
  // Which window changes the name decides the message of success.
  enum class From { kTeamWindow, kRegistration };

  TeamNameRequests(PacketSender& server, MessageBox& messages, LoginValues& login);

  // True when the name is free ("사용할 수 있는 팀네임 입니다.").
  bool Check(const std::string& name);
  // True when the team took the name; the login values then hold it.
  bool Change(const std::string& name, From from);

 private:
  PacketSender& server_;
  MessageBox& messages_;
  LoginValues& login_;
};

}  // namespace vel
