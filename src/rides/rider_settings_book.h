#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "rides/ride_store.h"
#include "rides/rider_settings.h"

namespace vel {

// The riders' own settings as the program uses them: read from the ride
// store once, then kept here and written through to the store as they
// change. The user-interface thread only; the store has a connection of
// its own here.
class RiderSettingsBook {
 public:
  // A store that cannot be read leaves the book empty; Error() says why.
  explicit RiderSettingsBook(std::filesystem::path storeFile);
  ~RiderSettingsBook();

  RiderSettings Get(std::uint64_t memberId) const;
  // Keeps them, after checking them: empty when they were kept, else why
  // not (RefusedRiderSettings, or the store's failure).
  std::string Set(std::uint64_t memberId, const RiderSettings& settings);
  const std::string& Error() const { return error_; }

 private:
  std::filesystem::path file_;
  std::unique_ptr<RideStore> store_;
  std::map<std::uint64_t, RiderSettings> riders_;
  std::string error_;
};

}  // namespace vel
