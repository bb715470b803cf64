#include "team/team_name_requests.h"

#include "common/json_fields.h"
#include "server/request_catalogue.h"
#include "server/wire_fields.h"

namespace vel {
namespace {

using web::json::value;

const char* const kNameFree = "사용할 수 있는 팀네임 입니다.";
const char* const kNameTaken = "사용할 수 없는 팀네임 입니다.";
const char* const kNameChanged = "팀명이 변경 되었습니다.";
const char* const kNameRegistered = "팀명이 등록 되었습니다.";

}  // namespace

TeamNameRequests::TeamNameRequests(PacketSender& server, MessageBox& messages, LoginValues& login)
    : server_(server), messages_(messages), login_(login) {}

bool TeamNameRequests::Check(const std::string& name) {
  value request = value::object(true);
  request[wire_field::kHeader] = value::number(HeaderNumber(RequestHeader::kCheckTeamName));
  request[wire_field::kTeamName] = value::string(name);
  value reply;
  if (server_.SendPacket(request, reply)) {
    messages_.Show(kNameFree);
    return true;
  }
  if (ReadInt(reply, wire_field::kErrcode) == errcode::kTeamNameUnavailable)
    messages_.Show(kNameTaken);
  return false;
}

bool TeamNameRequests::Change(const std::string& name, From from) {
  value request = value::object(true);
  request[wire_field::kHeader] = value::number(HeaderNumber(RequestHeader::kChangeTeamName));
  request[wire_field::kAccountId] = value::number(login_.accountId);
  request[wire_field::kTeamName] = value::string(name);
  value reply;
  if (server_.SendPacket(request, reply)) {
    messages_.Show(from == From::kTeamWindow ? kNameChanged : kNameRegistered);
    login_.teamName = name;
    return true;
  }
  if (ReadInt(reply, wire_field::kErrcode) == errcode::kTeamNameUnavailable)
    messages_.Show(kNameTaken);
  return false;
}

}  // namespace vel
