#pragma once

#include <cstdint>
#include <string>

namespace vel {

// What the sign-in leaves for the rest of the program: the account number
// sent as "accountid" and the team's name.
struct LoginValues {
  std::uint64_t accountId = 0;
  std::string teamName;
  // A strict server's key, which every request after the sign-in carries
  // (SessionKeySender); empty when the server gave none.
  std::string sessionKey{};
};

}  // namespace vel
