#include "server/login_rules.h"

#include <cpprest/uri_builder.h>

#include "common/json_fields.h"
#include "server/request_catalogue.h"
#include "server/sealed_file.h"
#include "server/wire_fields.h"

namespace vel {
namespace {

using web::json::value;

constexpr char kDialogPath[] = "/v2.8/dialog/oauth";
constexpr char kLoginSuccessPath[] = "/connect/login_success.html";
constexpr char kTokenCheckPath[] = "/v2.8/debug_token";

}  // namespace

std::string SignInDialogAddress(const std::string& webBase, const std::string& clientId) {
  using namespace wire_field;
  return webBase + kDialogPath + "?" + kClientId + "=" + clientId + "&" + kRedirectUri + "=" +
         webBase + kLoginSuccessPath + "&display=popup&" + kResponseType + "=token";
}

std::optional<std::string> TokenInAddress(const std::string& address) {
  const std::string tokenMark = std::string(wire_field::kAccessToken) + "=";
  const std::size_t mark = address.find(tokenMark);
  if (mark == std::string::npos) return std::nullopt;
  const std::size_t start = mark + tokenMark.size();
  const std::size_t end = address.find('&', start);
  return address.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool SignInFailedAt(const std::string& address) {
  if (const auto token = TokenInAddress(address)) return token->empty();
  // Only the landing page itself: the dialog's own address names it too.
  const std::size_t host = address.find("://");
  const std::size_t path = address.find('/', host == std::string::npos ? 0 : host + 3);
  if (path == std::string::npos ||
      address.compare(path, sizeof kLoginSuccessPath - 1, kLoginSuccessPath) != 0) {
    return false;
  }
  return address.find("error=", path) != std::string::npos;
}

std::string TokenCheckPath(const std::string& userToken, const std::string& appToken) {
  web::uri_builder path(kTokenCheckPath);
  path.append_query(wire_field::kInputToken, userToken);
  path.append_query(wire_field::kAccessToken, appToken);
  return path.to_string();
}

std::optional<std::string> CheckedUserId(const value& reply) {
  if (!reply.is_object() || !reply.has_object_field(wire_field::kData)) return std::nullopt;
  return ReadString(reply.at(wire_field::kData), wire_field::kUserId);
}

value AppTokenRequest() {
  value request = value::object(true);
  request[wire_field::kHeader] = value::number(HeaderNumber(RequestHeader::kAppToken));
  return request;
}

value AccountSignInRequest(const std::string& userId, const std::string& userToken) {
  value request = value::object(true);
  request[wire_field::kHeader] = value::number(HeaderNumber(RequestHeader::kSignIn));
  request[wire_field::kAccountType] = value::string(wire_field::kFacebookAccount);
  request[wire_field::kAccount] = value::string(userId);
  if (!userToken.empty()) request[wire_field::kUserToken] = value::string(userToken);
  return request;
}

std::string SignedInSessionKey(const value& reply) {
  return ReadString(reply, wire_field::kSessionKey).value_or("");
}

std::optional<std::uint64_t> SignedInAccount(const value& reply) {
  return ReadId(reply, wire_field::kAccountId);
}

std::string SignedInTeamName(const value& reply) {
  return ReadString(reply, wire_field::kTeamName).value_or("");
}

std::optional<std::string> SavedLogin::TokenFor(const std::string& thisMacText) const {
  if (!macText || !token || *macText != thisMacText) return std::nullopt;
  return token;
}

SavedLogin ReadSavedLogin(const std::filesystem::path& path) {
  const SealedFile file = ReadSealedFile(path);
  SavedLogin saved;
  switch (file.status) {
    case SealedFileStatus::kCannotOpen: return saved;
    case SealedFileStatus::kTooLong:
    case SealedFileStatus::kUnreadable:
    case SealedFileStatus::kNotDecrypted: saved.status = SavedLogin::Status::kRefused; return saved;
    case SealedFileStatus::kOk:
    case SealedFileStatus::kNotJson:  // as a file without the two members: not this computer's
      break;
  }
  saved.status = SavedLogin::Status::kOpened;
  saved.macText = ReadString(file.value, "macaddress");
  saved.token = ReadString(file.value, "accesstoken");
  return saved;
}

std::filesystem::path SetAsideSavedLogin(const std::filesystem::path& path) {
  std::filesystem::path aside = path;
  aside += ".bad";
  std::error_code ec;
  std::filesystem::rename(path, aside, ec);
  if (!ec) return aside;
  // Not even movable: then at least not in the way.
  std::filesystem::remove(path, ec);
  return {};
}

bool WriteSavedLogin(const std::filesystem::path& path, const std::string& macText,
                     const std::string& token) {
  value login = value::object(true);
  login["macaddress"] = value::string(macText);
  login["accesstoken"] = value::string(token);
  return WriteSealedFile(path, login, kMaxSealedFileBytes, kPrivateSealedFileMode);
}

}  // namespace vel
