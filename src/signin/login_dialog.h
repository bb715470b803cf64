#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <optional>

#include "app/login_flow.h"
#include "signin/web_browser.h"
#include "ui/qt_message_box.h"

namespace vel {

// "로그인": the sign-in window, the browser filling it. Run modally with
// exec() before the main window; it ends with Accepted once the account is
// signed in and has a team name, with Rejected otherwise (closing it
// cancels). Every step of the sign-in runs from one of its five timers.
class CLoginDlg : public QDialog, private LoginFlow::Window {
 public:
  static constexpr int kResourceId = 131;
  static constexpr int kBrowserId = 1001;

  CLoginDlg(PacketSender& server, JsonFetcher& graph, LoginValues& login,
            LoginFlow::Settings settings, QWidget* parent = nullptr);

  // Starts the sign-in, then runs the window unless the start already
  // ended it (the server unreachable).
  int exec() override;
  void done(int result) override;

  WebBrowser& Browser() { return *browser_; }
  // Presses Enter in the first page once it has loaded, for a demo that
  // signs in with the name the page offers and nobody at the keyboard.
  void PressEnterInFirstPage();

 private:
  void StartTimer(int id, int periodMs) override;
  void StopTimer(int id) override;
  void End(bool ok) override;
  bool RegisterTeamName() override;
  void ShowMessage(const std::string& text) override;

  PacketSender& server_;
  LoginValues& login_;
  WebBrowser* browser_;
  QtMessageBox messages_{this};
  std::array<QTimer, LoginFlow::kPeriodMs.size()> timers_;
  LoginFlow flow_;
  bool running_ = false;
  std::optional<int> endedBeforeRunning_;
};

}  // namespace vel
