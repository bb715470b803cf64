#pragma once

#include <optional>

// The application server's vocabulary, shared by the program and the
// companion server: the request numbers carried in "header", the ranking
// types, and the "errcode" of a reply whose "result" is false.
namespace vel {

enum class RequestHeader : int {
  kAppToken = -1,  // application token; the reply carries "appaccesstoken"
  kSignIn = 0,     // account sign-in; the reply carries "accountid" and "teamname"
  kLoadMembers = 1,
  kAddMember = 2,
  kDeleteMember = 3,
  kAddDevice = 4,
  kDeleteDevice = 5,
  kActivateDevice = 6,
  kDeactivateDevice = 7,
  kReportScore = 8,
  kLoadRanking = 9,
  kCheckTeamName = 10,
  kChangeTeamName = 11,
  kSaveBodyInfo = 12,
  kActivateBicycle = 13,
  kDeactivateBicycle = 14,
  kAddBicycle = 15,
  // No request uses 16.
  kDeleteBicycle = 17,
};

// The number a request carries in "header".
constexpr int HeaderNumber(RequestHeader header) { return static_cast<int>(header); }

// What a best score or a ranking is of ("rankingtype").
enum class RankingType : int {
  kSpeed = 0,
  kCadence = 1,
  kHeartRate = 2,
};
inline constexpr int kRankingTypes = 3;

// The number a ranking type carries in "rankingtype".
constexpr int RankingNumber(RankingType type) { return static_cast<int>(type); }

// The ranking type of a "rankingtype" number; none for a number no type has.
constexpr std::optional<RankingType> ToRankingType(int number) {
  if (number < 0 || number >= kRankingTypes) return std::nullopt;
  return static_cast<RankingType>(number);
}

// The "errcode" of a refused request. The program shows a message only for
// kTeamNameUnavailable; the others tell a developer looking at the traffic
// what was wrong.
namespace errcode {
inline constexpr int kTeamNameUnavailable = 1;  // taken by another team, empty, or with spaces
inline constexpr int kUnknownAccount = 2;
inline constexpr int kUnknownMember = 3;     // or not of the account named
inline constexpr int kUnknownDevice = 4;     // or not of the member named
inline constexpr int kUnknownBicycle = 5;    // or not of the member named
inline constexpr int kBadValue = 6;          // a member of the right type but out of range
inline constexpr int kDeviceRegistered = 7;  // the member already has that type and number
inline constexpr int kBadForm = 100;         // no "packet" field in a form body, or too long
inline constexpr int kBadPacket = 101;       // bad Base64, or it does not decrypt
inline constexpr int kNotJson = 102;         // not UTF-8 JSON, or not an object
inline constexpr int kUnknownHeader = 103;   // "header" missing, not an integer, or unknown
inline constexpr int kBadMember = 104;       // a member missing or of the wrong JSON type
inline constexpr int kStorage = 500;         // the database failed; nothing was changed
}  // namespace errcode

}  // namespace vel
