#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "store_database.h"
#include "store_outcome.h"
#include "team_records.h"

namespace vel::companion {

// A team's members with their body data, and the whole roster as the
// program loads it.
class MemberStore {
 public:
  explicit MemberStore(StoreDatabase& database) : database_(database) {}

  // Every member of the account with its devices, bicycles and best scores,
  // each in the order added.
  Outcome<std::vector<MemberRecord>> Load(std::uint64_t accountId);
  Outcome<std::uint64_t> Add(std::uint64_t accountId, std::string_view name);
  // With the member's devices, bicycles and scores.
  Done Delete(std::uint64_t accountId, std::uint64_t memberId);
  Done SaveBodyInfo(std::uint64_t accountId, std::uint64_t memberId, const BodyInfo& body);

  // A member with body data, devices (with their active flags as given) and
  // bicycles, added in one transaction; for seeding a database.
  // The account a member belongs to; none for an unknown member.
  std::optional<std::uint64_t> AccountOf(std::uint64_t memberId);
  Outcome<std::uint64_t> Import(std::uint64_t accountId, const MemberRecord& member);

 private:
  StoreDatabase& database_;
};

}  // namespace vel::companion
