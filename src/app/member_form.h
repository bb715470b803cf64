#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/message_box.h"
#include "team/rider_lists.h"
#include "team/team_roster.h"

namespace vel {

// The rules of the team window "팀관리": what each of its buttons checks
// before it asks the server, and what its boxes show of a member and a
// bicycle. The lists themselves are the roster's (members, the shown
// member's sensors of each type and bicycles).
//
// The sensors, body data and bicycles of a member who rides in a rider
// panel cannot be changed until the panel lets the member go; the member
// can still be deleted.
class MemberForm {
 public:
  // A height or weight in its two digit-only boxes: whole and tenths.
  struct WholeAndTenths {
    std::string whole;
    std::string tenths;
    bool operator==(const WholeAndTenths&) const = default;
  };
  // The body boxes of the member shown.
  struct BodyShown {
    WholeAndTenths height;
    WholeAndTenths weight;
    std::int32_t gender = 0;  // position in the gender list
  };
  // The boxes of the bicycle shown; positions in the fixed lists, -1 for
  // no selection.
  struct BicycleShown {
    WholeAndTenths weight;
    std::int32_t crank = 0;
    std::int32_t cassette = 0;
    std::int32_t tire = 0;
  };

  MemberForm(TeamRoster& roster, const RiderLists& riderLists, MessageBox& messages);

  // The whole roster, once, when the window is made.
  bool Load() { return roster_.LoadMembers(); }

  void AddMember(const std::string& name);
  // The member shown; no question asked, even when the member rides. True
  // when the member is gone.
  bool DeleteMember();
  // Shows a member's sensors and bicycles (none: clears them) and gives
  // what its body boxes show.
  BodyShown ShowMember(std::optional<std::uint64_t> memberId);

  // The sensor groups, by device type; the entry is the list's selection.
  void AddSensor(std::int32_t type, const std::string& number);
  void DeleteSensor(std::int32_t type, std::optional<std::uint64_t> deviceId);
  void ToggleSensor(std::int32_t type, std::optional<std::uint64_t> deviceId);

  // gender: the gender list's selection.
  void SaveBody(const WholeAndTenths& height, const WholeAndTenths& weight,
                std::optional<std::int32_t> gender);

  // crank, cassette, tire: the selections of the three lists (-1 none).
  void AddBicycle(const std::string& name, const WholeAndTenths& weight, std::int32_t crank,
                  std::int32_t cassette, std::int32_t tire);
  void DeleteBicycle(std::optional<std::uint64_t> bicycleId);
  void ToggleBicycle(std::optional<std::uint64_t> bicycleId);
  BicycleShown ShowBicycle(std::optional<std::uint64_t> bicycleId) const;

  // What is enabled: "삭제" of the members while there are any; a sensor
  // group's and the bicycles' "삭제" and "활성화" while their list has entries.
  bool CanDeleteMember() const { return !roster_.Members().empty(); }
  bool CanChangeSensors(std::int32_t type) const { return !roster_.SensorList(type).Empty(); }
  bool CanChangeBicycles() const { return !roster_.BicycleList().Empty(); }

  // A stored height or weight in its boxes: whole and one digit of tenths,
  // rounded to the nearest tenth, so that saving it unchanged sends what
  // the boxes show. Empty for an unknown value (negative) and for one the
  // boxes cannot hold.
  static WholeAndTenths ShowMeasure(float value);

 private:
  // The member shown, when its data may be changed; tells the user when it
  // rides in a rider panel.
  bool MayChangeShownMember();
  // A name the server would take; tells the user otherwise.
  bool NameUsable(const std::string& name, const char* blankMessage);
  // A height or weight the server would take; tells the user otherwise.
  bool MeasureUsable(const std::optional<float>& value, const char* tooLargeMessage);

  TeamRoster& roster_;
  const RiderLists& riderLists_;
  MessageBox& messages_;
};

}  // namespace vel
