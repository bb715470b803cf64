#pragma once

#include <cpprest/json.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vel {

// The program's client id at the sign-in service.
inline constexpr char kSignInClientId[] = "7301942618350247";

// The address of the sign-in dialog the browser opens: the web host's
// "/v2.8/dialog/oauth" with client_id, redirect_uri (its login-success page,
// written as it is), display=popup and response_type=token, in this order.
std::string SignInDialogAddress(const std::string& webBase, const std::string& clientId);

// The user access token in an address the browser shows: the text after
// the first "access_token=" up to the next "&" or the end. None when the
// address holds no token yet.
std::optional<std::string> TokenInAddress(const std::string& address);
// Whether the address says the sign-in failed: a token mark with no token
// after it, or the login-success page reached with an "error=" (the user
// refused, the service failed). The browser then waits for nothing.
bool SignInFailedAt(const std::string& address);

// The token check's path and query relative to the Graph API's base:
// "/v2.8/debug_token" with input_token and access_token, percent-encoded.
std::string TokenCheckPath(const std::string& userToken, const std::string& appToken);

// The user the token check names: "data" / "user_id"; none when the reply
// does not name one (a token the service did not take).
std::optional<std::string> CheckedUserId(const web::json::value& reply);

// The two application-server requests of the sign-in: the application
// token (header -1) and the account sign-in (header 0).
web::json::value AppTokenRequest();
// The sign-in's user token goes along so that a strict server can check it
// before it hands out a session key; a server that is not strict ignores it.
web::json::value AccountSignInRequest(const std::string& userId, const std::string& userToken);
// The account number of a sign-in reply, sent as an integer or as a whole
// floating number; none without one.
std::optional<std::uint64_t> SignedInAccount(const web::json::value& reply);
// The team name of a sign-in reply; empty when null, missing or empty.
std::string SignedInTeamName(const web::json::value& reply);
// The session key of a strict server's sign-in reply; empty from a server
// that gives none.
std::string SignedInSessionKey(const web::json::value& reply);

// The saved login of this computer (VEL.f): the sealed compact JSON
// {"macaddress", "accesstoken"}.
struct SavedLogin {
  enum class Status {
    kNone,     // no file: sign in with the browser
    kRefused,  // too long, unreadable or not decrypted: set aside, sign in with the browser
    kOpened,   // read
  };
  Status status = Status::kNone;
  std::optional<std::string> macText;
  std::optional<std::string> token;

  // The saved token, when the login was saved on the computer of `macText`
  // (compared exactly) and holds both members.
  std::optional<std::string> TokenFor(const std::string& thisMacText) const;
};

SavedLogin ReadSavedLogin(const std::filesystem::path& path);
// Moves a saved login that does not open out of the way, to the same name
// with ".bad" appended (replacing an older one), so that it no longer
// stands between the user and the sign-in but can still be looked at. The
// new name, or empty when it could not be moved.
std::filesystem::path SetAsideSavedLogin(const std::filesystem::path& path);
// Writes it; false when it could not be written (the sign-in goes on).
bool WriteSavedLogin(const std::filesystem::path& path, const std::string& macText,
                     const std::string& token);

}  // namespace vel
