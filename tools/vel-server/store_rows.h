#pragma once

#include <cstdint>
#include <optional>

#include "store_database.h"
#include "store_outcome.h"

namespace vel::companion {

// Row ids and the ownership checks that every part of the team store
// shares.

// Ids travel as unsigned 64-bit numbers; the database's are positive signed
// ones, so anything above that range names nothing.
std::optional<std::int64_t> RowId(std::uint64_t id);
inline std::uint64_t WireId(std::int64_t rowId) { return static_cast<std::uint64_t>(rowId); }

bool AccountExists(StoreTransaction& tx, std::int64_t account);
bool MemberExists(StoreTransaction& tx, std::int64_t member);

// The rows of `table` ("members", "devices", "bicycles") whose `owner`
// column ("account_id", "member_id") is `id`.
std::int64_t CountRows(StoreTransaction& tx, const char* table, const char* owner, std::int64_t id);

// Resolves the ids of a request that names an account and one of its
// members: the first errcode that applies (unknown account, unknown member
// or not the account's), or 0.
int CheckAccountMember(StoreTransaction& tx, std::optional<std::int64_t> account,
                       std::optional<std::int64_t> member);

// Commits the transaction of an operation that gives nothing back.
inline Done Finish(StoreTransaction& tx) {
  tx.Commit();
  return Done{};
}

}  // namespace vel::companion
