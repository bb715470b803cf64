#pragma once

#include <cstdint>

#include "member_item_store.h"
#include "store_database.h"
#include "store_outcome.h"
#include "team_records.h"

namespace vel::companion {

// The members' bicycles, of which one at a time is active. Delete and
// Deactivate are MemberItemStore's.
class BicycleStore : public MemberItemStore {
 public:
  explicit BicycleStore(StoreDatabase& database);

  // `bicycle.id` and `active` are ignored; a new bicycle is inactive.
  Outcome<std::uint64_t> Add(std::uint64_t memberId, const BicycleRequest& bicycle);
  // The member's one active bicycle.
  Done Activate(std::uint64_t memberId, std::uint64_t bicycleId);

  // Adds a bicycle (one StoredBicycle made) with its active flag
  // as given; the new row's id.
  static std::int64_t Insert(StoreTransaction& tx, std::int64_t member,
                             const BicycleRecord& bicycle);
};

}  // namespace vel::companion
