#pragma once

#include <cstdint>

#include "member_item_store.h"
#include "store_database.h"
#include "store_outcome.h"
#include "team_records.h"

namespace vel::companion {

// The members' sensors ("devices"): registered by type and number, and
// switched on and off by the program's activation rules. Delete and
// Deactivate are MemberItemStore's.
class DeviceStore : public MemberItemStore {
 public:
  explicit DeviceStore(StoreDatabase& database);

  // A member registers a type and number once.
  Outcome<std::uint64_t> Add(std::uint64_t memberId, int number, int type);
  // The device becomes the member's one active device of its type and, if
  // it was not active yet, switches off the kinds its sensor kind names (a member rides one sensor
  // per measure).
  Done Activate(std::uint64_t memberId, std::uint64_t deviceId);

  // Adds a device (one UsableDevice allows) with its active flag as given;
  // the new row's id.
  static std::int64_t Insert(StoreTransaction& tx, std::int64_t member, const DeviceRecord& device);
};

}  // namespace vel::companion
