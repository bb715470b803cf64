#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "server/request_catalogue.h"
#include "team/roster_records.h"

namespace vel {

// The team's members as the program holds them, sorted by name, and the
// rules of a change the server carried out. Only the team window's
// requests change it (user-interface thread); the main window reads it.
class RosterModel {
 public:
  // Whether the team window shows a device (type and id) or a bicycle (id)
  // of the member it changes: a device or bicycle it does not show keeps
  // its active flag.
  using ShownDevice = std::function<bool(std::int32_t type, std::uint64_t id)>;
  using ShownBicycle = std::function<bool(std::uint64_t id)>;

  // Lists a member in name order; false (nothing listed) when its id is held.
  bool Add(std::unique_ptr<MemberRecord> record);
  void Remove(std::uint64_t memberId);

  // The member list, sorted by name as it is shown.
  std::vector<const MemberRecord*> Members() const;
  const MemberRecord* Find(std::uint64_t memberId) const;
  MemberRecord* FindMutable(std::uint64_t memberId);

  // The server activated a device: it and every other of its type that was
  // active change, and what the activation rules of its sensor kind switch
  // off in the other types.
  static void ActivateDevice(MemberRecord& member, std::int32_t type, std::uint64_t deviceId,
                             const ShownDevice& shown);
  static void DeactivateDevice(MemberRecord& member, std::int32_t type, std::uint64_t deviceId,
                               const ShownDevice& shown);
  // A member has at most one active bicycle.
  static void ActivateBicycle(MemberRecord& member, std::uint64_t bicycleId,
                              const ShownBicycle& shown);
  static void DeactivateBicycle(MemberRecord& member, std::uint64_t bicycleId,
                                const ShownBicycle& shown);

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
  const BicycleRecord* ActiveBicycle(std::uint64_t memberId) const;

  std::vector<std::unique_ptr<MemberRecord>> members_;  // sorted by name
};

}  // namespace vel
