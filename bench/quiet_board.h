#pragma once

// A rider board with the quiet ports: no team loaded, no server answering,
// messages on standard error. The view is the benchmark's own.
#include "app/rider_board.h"
#include "quiet_ports.h"
#include "real_time_room.h"
#include "server/login_values.h"
#include "team/rider_lists.h"
#include "team/team_roster.h"

namespace vel::bench {

struct QuietBoard {
  explicit QuietBoard(RiderPanelView& view) : board(view, messages, server, roster, lists, login) {}

  StderrMessages messages;
  NoServer server;
  RiderLists lists;
  LoginValues login;
  TeamRoster roster{server, messages, lists, login};
  RiderBoard board;  // last: it uses all of the above
};

}  // namespace vel::bench
