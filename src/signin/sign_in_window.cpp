#include "signin/sign_in_window.h"

#include <unistd.h>

#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <string>

#include "app/sign_in_report.h"
#include "server/endpoints.h"
#include "server/login_rules.h"
#include "server/mac_address.h"
#include "server/request_executor.h"
#include "server/server_config.h"
#include "server/session_key_sender.h"
#include "signin/login_dialog.h"
#include "ui/qt_message_box.h"
#include "ui/vel_program.h"

namespace vel {
namespace {

// One line to the program; a program that went away reads nothing more.
void Tell(int fd, const std::string& text) {
  const std::string line = text + '\n';
  std::size_t done = 0;
  while (done < line.size()) {
    const ssize_t n = ::write(fd, line.data() + done, line.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

int RunSignInWindow(int reportFd) {
  auto log = [reportFd](const std::string& line) {
    std::fprintf(stderr, "vel: %s\n", line.c_str());
    Tell(reportFd, sign_in_report::Log(line));
  };
  ServerConfig config;
  if (!LoadConfig(config)) {
    log("The sign-in window cannot read VEL.json");
    return 2;
  }
  QtMessageBox messages;
  RequestExecutor server(config, messages);
  LoginValues login;
  const Endpoints endpoints = ReadEndpoints();
  LoginFlow::Settings settings{endpoints.facebookWeb,
                               endpoints.facebookGraph,
                               kSignInClientId,
                               config.FacebookFile(),
                               [&messages] { return GetMacAddress(messages); },
                               log};
  // The team name's registration after a strict server's sign-in carries
  // the key it gave.
  SessionKeySender keyed(server, login.sessionKey);
  CLoginDlg window(keyed, server, login, std::move(settings));
  if (DemoSwitch("VEL_DEMO_SIGN_IN")) window.PressEnterInFirstPage();
  QTimer::singleShot(0, &window, [reportFd] { Tell(reportFd, sign_in_report::Shown()); });
  if (window.exec() != QDialog::Accepted) return 1;
  Tell(reportFd, sign_in_report::SignedIn(login));
  return 0;
}

}  // namespace vel
