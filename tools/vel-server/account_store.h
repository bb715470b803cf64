#pragma once

#include <cstdint>
#include <string_view>

#include "store_database.h"
#include "store_outcome.h"
#include "team_records.h"

namespace vel::companion {

// Accounts, one per sign-in user, and their team names, which are unique.
class AccountStore {
 public:
  explicit AccountStore(StoreDatabase& database) : database_(database) {}

  // The account of a sign-in user id (decimal digits), made on first sight.
  Outcome<Account> SignIn(std::string_view signInId);
  Outcome<Account> Find(std::uint64_t accountId);

  // Free when the name is usable (UsableTeamName) and no team has it.
  Done CheckTeamName(std::string_view name);
  // Taking one's own name again succeeds.
  Done ChangeTeamName(std::uint64_t accountId, std::string_view name);

 private:
  StoreDatabase& database_;
};

}  // namespace vel::companion
