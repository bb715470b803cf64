#pragma once

#include <cpprest/json.h>

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
#include "team/roster_records.h"
#include "team/team_name_requests.h"

namespace vel {

// The team's roster as the program holds it: loaded once from the
// application server, and changed afterwards only by requests the server
// carried out. It also keeps what the team window shows of it: the member
// list, the sensor and bicycle lists of the member shown, and the members
// offered in the ten rider panels' lists.
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
  // Deactivates the device when its entry is shown active, else activates it
  // and deactivates what the activation rules exclude.
  bool ToggleDevice(std::int32_t type, std::uint64_t deviceId);
  bool SaveBodyInfo(std::optional<float> height, std::optional<float> weight,
                    std::optional<std::int32_t> gender);
  bool AddBicycle(const std::string& name, std::optional<float> weight, std::int32_t crank,
                  std::int32_t cassette, std::int32_t tire);
  bool DeleteBicycle(std::uint64_t bicycleId);
  bool ToggleBicycle(std::uint64_t bicycleId);

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

  bool CheckTeamName(const std::string& name);
  bool ChangeTeamName(const std::string& name, NameChangeFrom from);

  // The member list, sorted by name as it is shown.
  std::vector<const MemberRecord*> Members() const;
  // Shows a member's sensors and bicycles (none: clears them).
  void SelectMember(std::optional<std::uint64_t> memberId);
  std::optional<std::uint64_t> SelectedMember() const { return selected_; }
  // The shown member's sensors of one device type (11, 120, 121, 122, 123).
  const ColourList& SensorList(std::int32_t type) const;
  const ColourList& BicycleList() const { return bicycles_; }

  const MemberRecord* FindMember(std::uint64_t memberId) const;
  // A best the server took from a score report.
  void RecordBest(std::uint64_t memberId, RankingType type, double score);
  // Tooth counts of the member's active bicycle's chainrings or cassette
  // (largest first), with its position in the fixed list; none (position
  // -1) when the member, an active bicycle or a chosen entry is missing.
  const std::vector<int>* ActiveChainrings(std::uint64_t memberId, std::int32_t& position) const;
  const std::vector<int>* ActiveCassette(std::uint64_t memberId, std::int32_t& position) const;
  // Metres: -1 without the member; 2.096 when no active bicycle names a tire.
  double ActiveWheelCircumference(std::uint64_t memberId, std::int32_t& position) const;

 private:
  // The sensor lists, in the order the team dialog shows its groups.
  static constexpr std::array<std::int32_t, 5> kSensorTypes = {
      device_type::kBikeSpeed, device_type::kBikeCadence, device_type::kHeartRate,
      device_type::kBikeSpeedCadence, device_type::kBikePower};

  bool Send(const web::json::value& request, web::json::value& reply);
  // Lists a member and offers it to the rider panels; false when refused.
  bool AddToMemberList(std::unique_ptr<MemberRecord> record);
  MemberRecord* Selected();
  MemberRecord* FindMutable(std::uint64_t memberId);
  ColourList* MutableSensorList(std::int32_t type);
  // Shows a device inactive and marks it so when its entry was found.
  void ShowInactive(DeviceRecord& device);
  void ApplyCrossTypeRule(MemberRecord& member, std::int32_t type);
  void ClearDetails();
  const BicycleRecord* ActiveBicycle(std::uint64_t memberId) const;

  PacketSender& server_;
  MessageBox& messages_;
  RiderLists& riderLists_;
  LoginValues& login_;
  std::vector<std::unique_ptr<MemberRecord>> members_;  // sorted by name
  std::optional<std::uint64_t> selected_;
  std::array<ColourList, kSensorTypes.size()> sensorLists_;
  ColourList bicycles_;
};

}  // namespace vel
