#include "app_request_handler.h"

#include <exception>
#include <optional>
#include <utility>

#include "request_fields.h"
#include "roster_json.h"
#include "server/request_catalogue.h"
#include "server/wire_fields.h"

namespace vel::companion {
namespace {

using web::json::value;

// One request being answered: its header, its members, and the stores.
struct AppRequest {
  int header;
  const RequestFields& fields;
  TeamStore& store;
  TokenStore& tokens;
  SessionStore* sessions;  // null: not strict
};

// What the message of a refusal says, by errcode.
constexpr struct {
  int errcode;
  const char* text;
} kErrcodeTexts[] = {
    {errcode::kTeamNameUnavailable, "the team name is taken or not usable"},
    {errcode::kUnknownAccount, "no such account"},
    {errcode::kUnknownMember, "no such member of this account"},
    {errcode::kUnknownDevice, "no such device of this member"},
    {errcode::kUnknownBicycle, "no such bicycle of this member"},
    {errcode::kBadValue, "a value is out of range"},
    {errcode::kDeviceRegistered, "the member already has this device"},
};

const char* ErrcodeText(int code) {
  for (const auto& known : kErrcodeTexts) {
    if (known.errcode == code) return known.text;
  }
  return "refused";
}

value Id(std::uint64_t id) { return value::number(id); }

value Success(int header) {
  value reply = value::object(true);
  reply[wire_field::kHeader] = value::number(header);
  reply[wire_field::kResult] = value::boolean(true);
  return reply;
}

template <typename T>
value Answer(int header, const Outcome<T>& outcome) {
  return outcome.Ok() ? Success(header)
                      : AppRequestHandler::Refusal(value::number(header), outcome.errcode,
                                                   ErrcodeText(outcome.errcode));
}

template <typename T>
value AnswerWithId(int header, const Outcome<T>& outcome, const char* name) {
  value reply = Answer(header, outcome);
  if (outcome.Ok()) reply[name] = Id(outcome.value);
  return reply;
}

value BadValue(int header, const char* what) {
  return AppRequestHandler::Refusal(value::number(header), errcode::kBadValue, what);
}

// The answers, one a request. Where members are read in statements of
// their own, the first one missing is the one a refusal names.

value AppToken(const AppRequest& r) {
  value reply = Success(r.header);
  reply[wire_field::kAppAccessToken] = value::string(r.tokens.AppAccessToken());
  return reply;
}

value SignIn(const AppRequest& r) {
  const std::string type = r.fields.Text(wire_field::kAccountType);
  const std::string account = r.fields.Text(wire_field::kAccount);
  if (type != wire_field::kFacebookAccount)
    return BadValue(r.header, "\"type\" is not \"facebook\"");
  // A strict server hands out a session only to the user the sign-in's
  // token names.
  std::optional<TokenInfo> token;
  if (r.sessions != nullptr) {
    if (r.fields.Has(wire_field::kUserToken)) {
      token = r.tokens.Find(r.fields.Text(wire_field::kUserToken));
    }
    if (!token || !token->user || token->userId != account) {
      return AppRequestHandler::Refusal(value::number(r.header), errcode::kUnknownAccount,
                                        "the sign-in's token is not this user's");
    }
  }
  const auto outcome = r.store.SignInAccount(account);
  value reply = Answer(r.header, outcome);
  if (outcome.Ok()) {
    reply[wire_field::kAccountId] = Id(outcome.value.id);
    reply[wire_field::kTeamName] = value::string(outcome.value.teamName);
    if (token) {
      reply[wire_field::kSessionKey] =
          value::string(r.sessions->Open(outcome.value.id, token->expiresAt, r.tokens.Now()));
    }
  }
  return reply;
}

value LoadMembers(const AppRequest& r) {
  const auto outcome = r.store.LoadMembers(r.fields.Id(wire_field::kAccountId));
  value reply = Answer(r.header, outcome);
  if (outcome.Ok()) {
    value members = value::array();
    for (const MemberRecord& member : outcome.value) {
      members[members.size()] = MemberJson(member);
    }
    reply[wire_field::kMembers] = std::move(members);
  }
  return reply;
}

value AddMember(const AppRequest& r) {
  const std::uint64_t account = r.fields.Id(wire_field::kAccountId);
  return AnswerWithId(r.header, r.store.AddMember(account, r.fields.Text(wire_field::kMemberName)),
                      wire_field::kMemberId);
}

value DeleteMember(const AppRequest& r) {
  const std::uint64_t account = r.fields.Id(wire_field::kAccountId);
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  return Answer(r.header, r.store.DeleteMember(account, member));
}

value AddDevice(const AppRequest& r) {
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  const int number = r.fields.Int(wire_field::kDeviceNumber);
  const int type = r.fields.Int(wire_field::kDeviceType);
  return AnswerWithId(r.header, r.store.AddDevice(member, number, type), wire_field::kDeviceId);
}

value DeleteDevice(const AppRequest& r) {
  const std::uint64_t account = r.fields.Id(wire_field::kAccountId);
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  const std::uint64_t device = r.fields.Id(wire_field::kDeviceId);
  return Answer(r.header, r.store.DeleteDevice(account, member, device));
}

value ActivateDevice(const AppRequest& r) {
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  const std::uint64_t device = r.fields.Id(wire_field::kDeviceId);
  return Answer(r.header, r.store.ActivateDevice(member, device));
}

value DeactivateDevice(const AppRequest& r) {
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  const std::uint64_t device = r.fields.Id(wire_field::kDeviceId);
  return Answer(r.header, r.store.DeactivateDevice(member, device));
}

value ReportScore(const AppRequest& r) {
  const auto type = ToRankingType(r.fields.Int(wire_field::kRankingType));
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  (void)r.fields.Text(wire_field::kMemberName);
  const std::uint64_t account = r.fields.Id(wire_field::kAccountId);
  if (!type) return BadValue(r.header, "\"rankingtype\" is not 0, 1 or 2");
  // Cadence and heart rate are whole numbers.
  const double score = *type == RankingType::kSpeed ? r.fields.Number(wire_field::kScore)
                                                    : r.fields.Int(wire_field::kScore);
  return Answer(r.header, r.store.ReportScore(account, member, *type, score));
}

value LoadRanking(const AppRequest& r) {
  const auto type = ToRankingType(r.fields.Int(wire_field::kRankingType));
  if (!type) return BadValue(r.header, "\"rankingtype\" is not 0, 1 or 2");
  value reply = Success(r.header);
  reply[wire_field::kRanking] = RankingJson(r.store.LoadRanking(*type), *type);
  return reply;
}

value CheckTeamName(const AppRequest& r) {
  return Answer(r.header, r.store.CheckTeamName(r.fields.Text(wire_field::kTeamName)));
}

value ChangeTeamName(const AppRequest& r) {
  const std::uint64_t account = r.fields.Id(wire_field::kAccountId);
  return Answer(r.header, r.store.ChangeTeamName(account, r.fields.Text(wire_field::kTeamName)));
}

value SaveBodyInfo(const AppRequest& r) {
  const std::uint64_t account = r.fields.Id(wire_field::kAccountId);
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  const BodyInfo body{r.fields.OptionalNumber(wire_field::kHeight),
                      r.fields.OptionalNumber(wire_field::kWeight),
                      r.fields.OptionalInt(wire_field::kGender)};
  (void)r.fields.OptionalNumber(
      wire_field::kAge);  // always null; a number is allowed, nothing else
  return Answer(r.header, r.store.SaveBodyInfo(account, member, body));
}

value ActivateBicycle(const AppRequest& r) {
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  const std::uint64_t bicycle = r.fields.Id(wire_field::kBicycleId);
  return Answer(r.header, r.store.ActivateBicycle(member, bicycle));
}

value DeactivateBicycle(const AppRequest& r) {
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  const std::uint64_t bicycle = r.fields.Id(wire_field::kBicycleId);
  return Answer(r.header, r.store.DeactivateBicycle(member, bicycle));
}

value AddBicycle(const AppRequest& r) {
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  BicycleRequest bicycle;
  bicycle.name = r.fields.Text(wire_field::kName);
  bicycle.weight = r.fields.OptionalNumber(wire_field::kWeight);
  bicycle.crank = r.fields.OptionalInt(wire_field::kCrank);
  bicycle.cassette = r.fields.OptionalInt(wire_field::kCassette);
  bicycle.tire = r.fields.OptionalInt(wire_field::kTire);
  return AnswerWithId(r.header, r.store.AddBicycle(member, bicycle), wire_field::kBicycleId);
}

value DeleteBicycle(const AppRequest& r) {
  const std::uint64_t account = r.fields.Id(wire_field::kAccountId);
  const std::uint64_t member = r.fields.Id(wire_field::kMemberId);
  const std::uint64_t bicycle = r.fields.Id(wire_field::kBicycleId);
  return Answer(r.header, r.store.DeleteBicycle(account, member, bicycle));
}

using Answerer = value (*)(const AppRequest&);

// Every request of the catalogue, what answers it, and whether it may
// change the database (the rest only read it).
struct AnswererRow {
  RequestHeader header;
  Answerer answer;
  bool changes;
};
constexpr AnswererRow kAnswerers[] = {
    {RequestHeader::kAppToken, AppToken, true},  // made at the first ask
    {RequestHeader::kSignIn, SignIn, true},      // finds or makes the account
    {RequestHeader::kLoadMembers, LoadMembers, false},
    {RequestHeader::kAddMember, AddMember, true},
    {RequestHeader::kDeleteMember, DeleteMember, true},
    {RequestHeader::kAddDevice, AddDevice, true},
    {RequestHeader::kDeleteDevice, DeleteDevice, true},
    {RequestHeader::kActivateDevice, ActivateDevice, true},
    {RequestHeader::kDeactivateDevice, DeactivateDevice, true},
    {RequestHeader::kReportScore, ReportScore, true},
    {RequestHeader::kLoadRanking, LoadRanking, false},
    {RequestHeader::kCheckTeamName, CheckTeamName, false},
    {RequestHeader::kChangeTeamName, ChangeTeamName, true},
    {RequestHeader::kSaveBodyInfo, SaveBodyInfo, true},
    {RequestHeader::kActivateBicycle, ActivateBicycle, true},
    {RequestHeader::kDeactivateBicycle, DeactivateBicycle, true},
    {RequestHeader::kAddBicycle, AddBicycle, true},
    {RequestHeader::kDeleteBicycle, DeleteBicycle, true},
};

// The row of a header; none for a number no request has.
const AnswererRow* RowOf(int header) {
  for (const AnswererRow& row : kAnswerers) {
    if (HeaderNumber(row.header) == header) return &row;
  }
  return nullptr;
}

// The header of a request object, when it is a number that fits.
std::optional<int> HeaderOf(const value& request) {
  if (!request.is_object()) return std::nullopt;
  const auto& object = request.as_object();
  const auto header = object.find(wire_field::kHeader);
  if (header == object.end() || !header->second.is_integer() ||
      !header->second.as_number().is_int32()) {
    return std::nullopt;
  }
  return header->second.as_number().to_int32();
}

}  // namespace

value AppRequestHandler::Refusal(const value& header, int code, const std::string& message) {
  value reply = value::object(true);
  reply[wire_field::kHeader] = header;
  reply[wire_field::kResult] = value::boolean(false);
  reply[wire_field::kErrcode] = value::number(code);
  reply[wire_field::kMessage] = value::string(message);
  return reply;
}

bool AppRequestHandler::Authorized(const RequestFields& fields) const {
  if (!fields.Has(wire_field::kSessionKey)) return false;
  const auto account = sessions_->AccountOf(fields.Text(wire_field::kSessionKey), tokens_.Now());
  if (!account) return false;
  if (fields.Has(wire_field::kAccountId) && fields.Id(wire_field::kAccountId) != *account) {
    return false;
  }
  // A device or bicycle is the member's, which the stores check.
  if (fields.Has(wire_field::kMemberId)) {
    const auto owner = store_.AccountOfMember(fields.Id(wire_field::kMemberId));
    if (!owner || *owner != *account) return false;
  }
  return true;
}

bool AppRequestHandler::Changes(const value& request) {
  const auto header = HeaderOf(request);
  const AnswererRow* row = header ? RowOf(*header) : nullptr;
  return row != nullptr && row->changes;
}

value AppRequestHandler::Handle(const value& request) const {
  if (!request.is_object()) {
    return Refusal(value::null(), errcode::kNotJson, "the packet is not a JSON object");
  }
  const auto header = HeaderOf(request);
  if (!header) {
    return Refusal(value::null(), errcode::kUnknownHeader, "\"header\" is not an integer");
  }
  const int number = *header;
  const AnswererRow* row = RowOf(number);
  if (row == nullptr) {
    return Refusal(value::number(number), errcode::kUnknownHeader, "no request has this header");
  }
  const Answerer answer = row->answer;
  const RequestFields fields(request);
  try {
    const bool open =
        row->header == RequestHeader::kAppToken || row->header == RequestHeader::kSignIn;
    if (sessions_ != nullptr && !open && !Authorized(fields)) {
      return Refusal(value::number(number), errcode::kUnknownAccount,
                     "no session key of the account that owns what the request names");
    }
    return answer(AppRequest{number, fields, store_, tokens_, sessions_});
  } catch (const BadMember& bad) {
    return Refusal(value::number(number), errcode::kBadMember, bad.what());
  } catch (const web::json::json_exception& bad) {
    return Refusal(value::number(number), errcode::kBadMember, bad.what());
  } catch (const std::exception& failure) {
    // The transaction was rolled back: nothing of the request was kept.
    return Refusal(value::number(number), errcode::kStorage, failure.what());
  }
}

}  // namespace vel::companion
