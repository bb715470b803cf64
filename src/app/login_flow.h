#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>

#include "app/browser.h"
#include "common/message_box.h"
#include "server/json_fetcher.h"
#include "server/login_values.h"
#include "server/packet_sender.h"

namespace vel {

// The sign-in, step by step, each step run by one timer of the login
// window: the first page loading (timer 0), the sign-in service's redirect
// with the user's token (1), the token check and the account sign-in (2),
// then OK (3) or, after a second, Cancel (4). A token saved on this
// computer skips the browser; one that does not open is set aside and the
// browser opens. An account without a team name registers one first.
//
// User-interface thread only. A step that waits on the network or a modal
// window lets later ticks of its own timer in; they are ignored until it
// ends.
class LoginFlow {
 public:
  enum Timer { kFirstPage = 0, kRedirect = 1, kSignIn = 2, kSucceed = 3, kFail = 4 };
  static constexpr std::array<int, 5> kPeriodMs = {1, 100, 100, 1, 1000};
  // The redirect carried no token, or the service reported an error.
  static constexpr char kRedirectFailedMessage[] =
      "서버에 문제가 있습니다.\n초기화면으로 돌아갑니다.\n잠시후 다시 시도해 주세요.";

  // The login window as the flow drives it.
  class Window {
   public:
    virtual ~Window() = default;
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    // Ends the window: OK (signed in) or Cancel.
    virtual void End(bool ok) = 0;
    // Runs the team-name registration modally; true when a name was
    // registered (it is then the application's team name).
    virtual bool RegisterTeamName() = 0;
    // A modal message box over the window.
    virtual void ShowMessage(const std::string& text) = 0;
  };

  struct Settings {
    std::string webBase;    // the sign-in service's web host
    std::string graphBase;  // its Graph API host
    std::string clientId;
    std::filesystem::path savedLogin;          // VEL.f
    std::function<std::string()> thisMacText;  // GetMacAddress
    // Diagnostic lines; before the main window there is no log window.
    std::function<void(const std::string&)> log;
  };

  LoginFlow(Window& window, Browser& browser, PacketSender& server, JsonFetcher& graph,
            LoginValues& login, Settings settings);

  // The window's initialisation.
  void Start();
  void OnTimer(int id);

 private:
  void ShowSignInPage();
  void SignIn();
  void Fail(Timer running);
  void Log(const std::string& line) const;

  Window& window_;
  Browser& browser_;
  PacketSender& server_;
  JsonFetcher& graph_;
  LoginValues& login_;
  Settings settings_;
  std::string appToken_;
  std::string userToken_;
  bool tokenWasSaved_ = false;
  bool signingIn_ = false;
};

}  // namespace vel
