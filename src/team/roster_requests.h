#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "server/login_values.h"
#include "server/packet_sender.h"
#include "server/request_catalogue.h"
#include "team/roster_records.h"

namespace vel {

// The roster's requests to the application server (headers 1 to 9 and 12
// to 17): each builds its request, sends it and reads the reply; none
// touches the roster. Every call blocks until the server answers
// (user-interface thread); a failed request (no answer, or "result" not
// true) is a false or an empty result.
class RosterRequests {
 public:
  RosterRequests(PacketSender& server, const LoginValues& login);

  // One element of the load reply: its id when it has one, and its record
  // when it has an id and a name (devices and bicycles that lack a member of
  // theirs are left out of it).
  struct LoadedMember {
    std::optional<std::uint64_t> id;
    std::unique_ptr<MemberRecord> record;
  };
  // The reply's member list in its order; none when the request fails or the
  // reply has no list.
  std::optional<std::vector<LoadedMember>> LoadMembers();

  // The new member's, device's or bicycle's id; none when refused or the
  // reply lacks it.
  std::optional<std::uint64_t> AddMember(const std::string& name);
  std::optional<std::uint64_t> AddDevice(std::uint64_t memberId, std::int32_t number,
                                         std::int32_t type);
  std::optional<std::uint64_t> AddBicycle(std::uint64_t memberId, const std::string& name,
                                          std::optional<float> weight, std::int32_t crank,
                                          std::int32_t cassette, std::int32_t tire);
  bool DeleteMember(std::uint64_t memberId);
  bool DeleteDevice(std::uint64_t memberId, std::uint64_t deviceId);
  bool DeleteBicycle(std::uint64_t memberId, std::uint64_t bicycleId);
  bool SaveBodyInfo(std::uint64_t memberId, std::optional<float> height,
                    std::optional<float> weight, std::optional<std::int32_t> gender);

  // Activates (headers 6 and 13) or deactivates (7 and 14). True when the
  // server carried it out; `answered` is then the reply's "header", which
  // says what was done.
  bool SetDeviceActive(bool active, std::uint64_t memberId, std::uint64_t deviceId,
                       std::optional<std::int32_t>& answered);
  bool SetBicycleActive(bool active, std::uint64_t memberId, std::uint64_t bicycleId,
                        std::optional<std::int32_t>& answered);

  // One row of a ranking table: position from 1, team, member and the score
  // as the table shows it ("%f" for a floating number, "%u" otherwise).
  struct RankingRow {
    int rank;
    std::string teamName;
    std::string memberName;
    std::string score;
  };
  // The best scores of one type, best first; none when the request fails or
  // the reply holds no ranking.
  std::optional<std::vector<RankingRow>> LoadRanking(RankingType type);

 private:
  bool Send(const web::json::value& request, web::json::value& reply);
  // A device's or bicycle's request: member and item, and for a deletion
  // the account first.
  bool DeleteItem(RequestHeader header, const char* idField, std::uint64_t memberId,
                  std::uint64_t id);
  bool SetActive(RequestHeader header, const char* idField, std::uint64_t memberId,
                 std::uint64_t id, std::optional<std::int32_t>& answered);

  PacketSender& server_;
  const LoginValues& login_;
};

}  // namespace vel
