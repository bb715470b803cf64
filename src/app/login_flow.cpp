#include "app/login_flow.h"

#include <system_error>

#include "common/json_fields.h"
#include "server/login_rules.h"
#include "server/wire_fields.h"

namespace vel {

LoginFlow::LoginFlow(Window& window, Browser& browser, PacketSender& server, JsonFetcher& graph,
                     LoginValues& login, Settings settings)
    : window_(window),
      browser_(browser),
      server_(server),
      graph_(graph),
      login_(login),
      settings_(std::move(settings)) {}

void LoginFlow::Start() {
  web::json::value reply;
  if (!server_.SendPacket(AppTokenRequest(), reply)) {
    window_.StartTimer(kFail, kPeriodMs[kFail]);
    return;
  }
  appToken_ = ReadString(reply, wire_field::kAppAccessToken).value_or("");

  const SavedLogin saved = ReadSavedLogin(settings_.savedLogin);
  if (saved.status == SavedLogin::Status::kRefused) {
    // Torn by a crash or damaged: it must not end every later start, so it
    // goes out of the way (kept for a look) and the browser signs in anew.
    const std::filesystem::path aside = SetAsideSavedLogin(settings_.savedLogin);
    Log("The saved login " + settings_.savedLogin.string() + " does not open; " +
        (aside.empty() ? std::string("deleted") : "moved to " + aside.string()) +
        "; signing in with the browser");
  }
  if (saved.status == SavedLogin::Status::kOpened) {
    if (const auto token = saved.TokenFor(settings_.thisMacText())) userToken_ = *token;
  }
  if (!userToken_.empty()) {
    tokenWasSaved_ = true;
    window_.StartTimer(kSignIn, kPeriodMs[kSignIn]);
    return;
  }
  ShowSignInPage();
}

void LoginFlow::Log(const std::string& line) const {
  if (settings_.log) settings_.log(line);
}

void LoginFlow::ShowSignInPage() {
  browser_.Navigate(SignInDialogAddress(settings_.webBase, settings_.clientId));
  window_.StartTimer(kFirstPage, kPeriodMs[kFirstPage]);
}

void LoginFlow::OnTimer(int id) {
  switch (id) {
    case kFirstPage:
      if (browser_.Busy()) return;
      window_.StopTimer(kFirstPage);
      window_.StartTimer(kRedirect, kPeriodMs[kRedirect]);
      return;
    case kRedirect: {
      const std::string address = browser_.CurrentAddress();
      if (SignInFailedAt(address)) {
        window_.StopTimer(kRedirect);
        window_.ShowMessage(kRedirectFailedMessage);
        window_.StartTimer(kFail, kPeriodMs[kFail]);
        return;
      }
      if (const auto token = TokenInAddress(address)) {
        userToken_ = *token;
        window_.StopTimer(kRedirect);
        window_.StartTimer(kSignIn, kPeriodMs[kSignIn]);
      }
      return;
    }
    case kSignIn:
      if (signingIn_) return;  // a tick let in by a message box or the team-name window
      signingIn_ = true;
      SignIn();
      signingIn_ = false;
      return;
    case kSucceed:
      window_.StopTimer(kSucceed);
      window_.End(true);
      return;
    case kFail:
      window_.StopTimer(kFail);
      window_.End(false);
      return;
    default: return;
  }
}

void LoginFlow::SignIn() {
  web::json::value reply;
  const JsonFetcher::Answer answer =
      graph_.FetchJsonAnswer(settings_.graphBase, TokenCheckPath(userToken_, appToken_), reply);
  const auto userId = answer == JsonFetcher::Answer::kJson ? CheckedUserId(reply) : std::nullopt;
  if (!userId) {
    if (tokenWasSaved_ && answer != JsonFetcher::Answer::kFailed) {
      // The service no longer takes the saved token (expired or revoked):
      // forget it and sign in with the browser now, rather than failing
      // every start until someone deletes the file.
      std::error_code ignored;
      std::filesystem::remove(settings_.savedLogin, ignored);
      userToken_.clear();
      tokenWasSaved_ = false;
      window_.StopTimer(kSignIn);
      ShowSignInPage();
      return;
    }
    Fail(kSignIn);
    return;
  }

  // Saved before the account sign-in, whatever the application server says.
  WriteSavedLogin(settings_.savedLogin, settings_.thisMacText(), userToken_);

  if (!server_.SendPacket(AccountSignInRequest(*userId, userToken_), reply)) {
    Fail(kSignIn);
    return;
  }
  const auto account = SignedInAccount(reply);
  if (!account) {
    Fail(kSignIn);
    return;
  }
  login_.accountId = *account;
  login_.sessionKey = SignedInSessionKey(reply);
  const std::string teamName = SignedInTeamName(reply);
  if (teamName.empty()) {
    if (!window_.RegisterTeamName()) {
      Fail(kSignIn);
      return;
    }
  } else {
    login_.teamName = teamName;
  }
  window_.StopTimer(kSignIn);
  window_.StartTimer(kSucceed, kPeriodMs[kSucceed]);
}

void LoginFlow::Fail(Timer running) {
  window_.StopTimer(running);
  window_.StartTimer(kFail, kPeriodMs[kFail]);
}

}  // namespace vel
