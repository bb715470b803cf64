#pragma once

#include <cstdint>
#include <optional>

#include "store_database.h"
#include "store_outcome.h"

namespace vel::companion {

// What the stores of devices and of bicycles share: rows of one table that
// belong to one member, which a request names together with that member
// (and, to delete one, with the member's account).
class MemberItemStore {
 public:
  Done Delete(std::uint64_t accountId, std::uint64_t memberId, std::uint64_t itemId);
  Done Deactivate(std::uint64_t memberId, std::uint64_t itemId);

 protected:
  // `table` names the table ("devices", "bicycles"); `unknownErrcode` is
  // the errcode of an id that is not one of the member's.
  MemberItemStore(StoreDatabase& database, const char* table, int unknownErrcode)
      : database_(database), table_(table), unknownErrcode_(unknownErrcode) {}

  // kUnknownMember, the unknown errcode, or 0 when the item is the member's.
  int Check(StoreTransaction& tx, std::optional<std::int64_t> member,
            std::optional<std::int64_t> item) const;

  StoreDatabase& database_;

 private:
  const char* table_;
  int unknownErrcode_;
};

}  // namespace vel::companion
