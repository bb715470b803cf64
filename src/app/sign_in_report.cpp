#include "app/sign_in_report.h"

#include <algorithm>
#include <exception>

#include "common/json_fields.h"
#include "server/wire_fields.h"

namespace vel::sign_in_report {
namespace {

constexpr std::string_view kShown = "shown";
constexpr std::string_view kLog = "log ";
constexpr std::string_view kSignedIn = "signed-in ";

}  // namespace

std::string Shown() { return std::string(kShown); }

std::string Log(std::string_view text) {
  std::string line = std::string(kLog) + std::string(text);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return line;
}

std::string SignedIn(const LoginValues& login) {
  web::json::value values = web::json::value::object(true);
  values[wire_field::kAccountId] = web::json::value::number(login.accountId);
  values[wire_field::kTeamName] = web::json::value::string(login.teamName);
  if (!login.sessionKey.empty()) {
    values[wire_field::kSessionKey] = web::json::value::string(login.sessionKey);
  }
  return std::string(kSignedIn) + values.serialize();
}

Line Read(std::string_view line) {
  Line read;
  if (line == kShown) {
    read.kind = Line::Kind::kShown;
  } else if (line.starts_with(kLog)) {
    read.kind = Line::Kind::kLog;
    read.text = std::string(line.substr(kLog.size()));
  } else if (line.starts_with(kSignedIn)) {
    try {
      const web::json::value values =
          web::json::value::parse(std::string(line.substr(kSignedIn.size())));
      const auto account = ReadId(values, wire_field::kAccountId);
      const auto team = ReadString(values, wire_field::kTeamName);
      if (account && team) {
        read.kind = Line::Kind::kSignedIn;
        read.login =
            LoginValues{*account, *team, ReadString(values, wire_field::kSessionKey).value_or("")};
      }
    } catch (const std::exception&) {
      // Not JSON: not the window's line.
    }
  }
  return read;
}

}  // namespace vel::sign_in_report
