#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "sensors/sensor_kinds.h"
#include "server/login_values.h"
#include "server/packet_sender.h"
#include "server/request_catalogue.h"
#include "team/colour_list.h"
#include "team/rider_lists.h"
#include "team/roster_lists.h"
#include "team/roster_model.h"
#include "team/roster_records.h"
#include "team/roster_requests.h"
#include "team/team_name_requests.h"

namespace vel {

// The team's roster as the program holds it: loaded once from the
// application server, and changed afterwards only by requests the server
// carried out. It joins three parts: the requests (RosterRequests), the
// member model (RosterModel) and the team window's lists of the member
// shown (RosterLists, coloured from the model), and offers the members in
// the ten rider panels' lists.
//
// Every request blocks until the server answers (user-interface thread).
class TeamRoster {
 public:
  using NameChangeFrom = TeamNameRequests::From;

  TeamRoster(PacketSender& server, MessageBox& messages, RiderLists& riderLists,
             LoginValues& login);

  // The whole roster, once. A member id met twice stops the load there.
  bool LoadMembers();
  bool AddMember(const std::string& name);
  bool DeleteMember(std::uint64_t memberId);

  // Requests about the member shown (SelectMember); false without one.
  bool AddDevice(std::int32_t type, const std::string& numberText);
  bool DeleteDevice(std::int32_t type, std::uint64_t deviceId);
  // Deactivates the device when it is active, else activates it and
  // deactivates what the activation rules exclude; false when it is not
  // shown.
  bool ToggleDevice(std::int32_t type, std::uint64_t deviceId);
  bool SaveBodyInfo(std::optional<float> height, std::optional<float> weight,
                    std::optional<std::int32_t> gender);
  bool AddBicycle(const std::string& name, std::optional<float> weight, std::int32_t crank,
                  std::int32_t cassette, std::int32_t tire);
  bool DeleteBicycle(std::uint64_t bicycleId);
  bool ToggleBicycle(std::uint64_t bicycleId);

  using RankingRow = RosterRequests::RankingRow;
  // The best scores of one type, best first; none when the request fails or
  // the reply holds no ranking.
  std::optional<std::vector<RankingRow>> LoadRanking(RankingType type);

  bool CheckTeamName(const std::string& name);
  bool ChangeTeamName(const std::string& name, NameChangeFrom from);

  // The member list, sorted by name as it is shown.
  std::vector<const MemberRecord*> Members() const { return model_.Members(); }
  // Shows a member's sensors and bicycles (none: clears them).
  void SelectMember(std::optional<std::uint64_t> memberId);
  std::optional<std::uint64_t> SelectedMember() const { return selected_; }
  // The shown member's sensors of one device type (11, 120, 121, 122, 123).
  const ColourList& SensorList(std::int32_t type) const { return lists_.SensorList(type); }
  const ColourList& BicycleList() const { return lists_.BicycleList(); }

  const MemberRecord* FindMember(std::uint64_t memberId) const { return model_.Find(memberId); }
  // A best the server took from a score report.
  void RecordBest(std::uint64_t memberId, RankingType type, double score) {
    model_.RecordBest(memberId, type, score);
  }
  // The member's active bicycle's gears and wheel (RosterModel).
  const std::vector<int>* ActiveChainrings(std::uint64_t memberId, std::int32_t& position) const {
    return model_.ActiveChainrings(memberId, position);
  }
  const std::vector<int>* ActiveCassette(std::uint64_t memberId, std::int32_t& position) const {
    return model_.ActiveCassette(memberId, position);
  }
  double ActiveWheelCircumference(std::uint64_t memberId, std::int32_t& position) const {
    return model_.ActiveWheelCircumference(memberId, position);
  }

 private:
  // Lists a member and offers it to the rider panels; false when refused.
  bool AddToMemberList(std::unique_ptr<MemberRecord> record);
  MemberRecord* Selected();
  // The first record of the shown member with that type and id.
  static DeviceRecord* FindDevice(MemberRecord& member, std::int32_t type, std::uint64_t id);

  PacketSender& server_;
  MessageBox& messages_;
  RiderLists& riderLists_;
  LoginValues& login_;
  RosterRequests requests_;
  RosterModel model_;
  RosterLists lists_;
  std::optional<std::uint64_t> selected_;
};

}  // namespace vel
