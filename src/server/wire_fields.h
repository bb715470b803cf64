#pragma once

// The names of the members of the JSON the program and the companion
// server exchange, written once for both sides: the application server's
// requests and replies, the envelope that seals them, the update check and
// the sign-in's token check. A name is the same text in a request and in a
// reply; the comments say where each goes.
namespace vel::wire_field {

// Every request and reply.
inline constexpr char kHeader[] = "header";
inline constexpr char kResult[] = "result";    // a reply: true when carried out
inline constexpr char kErrcode[] = "errcode";  // a refused reply: why
inline constexpr char kMessage[] = "message";  // a refused reply: why, for a person

// Ids and names a request sends or a reply hands out.
inline constexpr char kAccountId[] = "accountid";
inline constexpr char kMemberId[] = "memberid";
inline constexpr char kDeviceId[] = "deviceid";
inline constexpr char kBicycleId[] = "bicycleid";
inline constexpr char kTeamName[] = "teamname";
inline constexpr char kMemberName[] = "membername";
inline constexpr char kAppAccessToken[] = "appaccesstoken";
// A strict server's session: header 0 carries the sign-in's user token and
// its reply the key, which every later request carries.
inline constexpr char kUserToken[] = "accesstoken";
inline constexpr char kSessionKey[] = "sessionkey";

// Sign-in (header 0): the kind of account and its id there.
inline constexpr char kAccountType[] = "type";
inline constexpr char kAccount[] = "account";
inline constexpr char kFacebookAccount[] = "facebook";  // the one kind of account, a value

// Values a change sends.
inline constexpr char kDeviceNumber[] = "devicenumber";
inline constexpr char kDeviceType[] = "devicetype";
inline constexpr char kRankingType[] = "rankingtype";
inline constexpr char kScore[] = "score";  // a report's best; a ranking row's; a member's bests
inline constexpr char kAge[] = "age";

// The roster: the load reply's member list and what each element holds.
inline constexpr char kMembers[] = "member";
inline constexpr char kId[] = "id";
inline constexpr char kName[] = "name";
inline constexpr char kHeight[] = "height";
inline constexpr char kWeight[] = "weight";
inline constexpr char kGender[] = "gender";
inline constexpr char kDevices[] = "device";
inline constexpr char kBicycles[] = "bicycle";
inline constexpr char kActive[] = "active";
inline constexpr char kNumber[] = "number";
inline constexpr char kType[] = "type";
inline constexpr char kCrank[] = "crank";
inline constexpr char kCassette[] = "cassette";
inline constexpr char kTire[] = "tire";
inline constexpr char kBestSpeed[] = "speed";
inline constexpr char kBestCadence[] = "cadence";
inline constexpr char kBestHeartRate[] = "hrm";

// The ranking reply: its rows, each with kTeamName, kMemberName and kScore.
inline constexpr char kRanking[] = "ranking";

// The envelope: the form field of a request body and the member of a reply
// body that carry the sealed text.
inline constexpr char kPacket[] = "packet";

// The update check: the query's version and file, the reply's file list and
// its failure text.
inline constexpr char kVersion[] = "version";
inline constexpr char kFile[] = "file";
inline constexpr char kFiles[] = "files";
inline constexpr char kError[] = "error";

// The sign-in: the dialog's query, the token the login-success address
// carries, and the token check (the graph's debug_token): its query and
// the reply's data.
inline constexpr char kClientId[] = "client_id";
inline constexpr char kRedirectUri[] = "redirect_uri";
inline constexpr char kResponseType[] = "response_type";
inline constexpr char kAccessToken[] = "access_token";
inline constexpr char kInputToken[] = "input_token";
inline constexpr char kData[] = "data";
inline constexpr char kUserId[] = "user_id";

}  // namespace vel::wire_field
