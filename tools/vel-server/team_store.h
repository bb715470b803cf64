#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "account_store.h"
#include "bicycle_store.h"
#include "device_store.h"
#include "member_store.h"
#include "score_store.h"
#include "server/request_catalogue.h"
#include "store_database.h"
#include "store_outcome.h"
#include "team_records.h"

namespace vel::companion {

// The teams, their rosters and best scores, kept in the database: one
// store a concern (accounts, members with their body data, devices,
// bicycles, scores), reached through this one object. Every operation is
// one transaction, committed before it returns, so whatever it reported
// done survives a restart; on the group writer's thread it is a savepoint
// of the group instead, committed with it before any reply goes out
// (GroupCommitWriter). An operation that meets another server's conflicting
// change runs again (RetryConflicts). Safe to call from any thread.
//
// Ownership is checked wherever a request names it: a member must belong
// to the account named, a device or bicycle to the member named.
class TeamStore {
 public:
  explicit TeamStore(StoreDatabase& database)
      : accounts_(database),
        members_(database),
        devices_(database),
        bicycles_(database),
        scores_(database) {}

  Outcome<Account> SignInAccount(std::string_view signInId) {
    return RetryConflicts([&] { return accounts_.SignIn(signInId); });
  }
  Outcome<Account> FindAccount(std::uint64_t accountId) {
    return RetryConflicts([&] { return accounts_.Find(accountId); });
  }
  Done CheckTeamName(std::string_view name) {
    return RetryConflicts([&] { return accounts_.CheckTeamName(name); });
  }
  Done ChangeTeamName(std::uint64_t accountId, std::string_view name) {
    return RetryConflicts([&] { return accounts_.ChangeTeamName(accountId, name); });
  }

  Outcome<std::vector<MemberRecord>> LoadMembers(std::uint64_t accountId) {
    return RetryConflicts([&] { return members_.Load(accountId); });
  }
  Outcome<std::uint64_t> AddMember(std::uint64_t accountId, std::string_view name) {
    return RetryConflicts([&] { return members_.Add(accountId, name); });
  }
  Done DeleteMember(std::uint64_t accountId, std::uint64_t memberId) {
    return RetryConflicts([&] { return members_.Delete(accountId, memberId); });
  }
  Done SaveBodyInfo(std::uint64_t accountId, std::uint64_t memberId, const BodyInfo& body) {
    return RetryConflicts([&] { return members_.SaveBodyInfo(accountId, memberId, body); });
  }
  std::optional<std::uint64_t> AccountOfMember(std::uint64_t memberId) {
    return RetryConflicts([&] { return members_.AccountOf(memberId); });
  }
  Outcome<std::uint64_t> ImportMember(std::uint64_t accountId, const MemberRecord& member) {
    return RetryConflicts([&] { return members_.Import(accountId, member); });
  }

  Outcome<std::uint64_t> AddDevice(std::uint64_t memberId, int number, int type) {
    return RetryConflicts([&] { return devices_.Add(memberId, number, type); });
  }
  Done DeleteDevice(std::uint64_t accountId, std::uint64_t memberId, std::uint64_t deviceId) {
    return RetryConflicts([&] { return devices_.Delete(accountId, memberId, deviceId); });
  }
  Done ActivateDevice(std::uint64_t memberId, std::uint64_t deviceId) {
    return RetryConflicts([&] { return devices_.Activate(memberId, deviceId); });
  }
  Done DeactivateDevice(std::uint64_t memberId, std::uint64_t deviceId) {
    return RetryConflicts([&] { return devices_.Deactivate(memberId, deviceId); });
  }

  Outcome<std::uint64_t> AddBicycle(std::uint64_t memberId, const BicycleRequest& bicycle) {
    return RetryConflicts([&] { return bicycles_.Add(memberId, bicycle); });
  }
  Done DeleteBicycle(std::uint64_t accountId, std::uint64_t memberId, std::uint64_t bicycleId) {
    return RetryConflicts([&] { return bicycles_.Delete(accountId, memberId, bicycleId); });
  }
  Done ActivateBicycle(std::uint64_t memberId, std::uint64_t bicycleId) {
    return RetryConflicts([&] { return bicycles_.Activate(memberId, bicycleId); });
  }
  Done DeactivateBicycle(std::uint64_t memberId, std::uint64_t bicycleId) {
    return RetryConflicts([&] { return bicycles_.Deactivate(memberId, bicycleId); });
  }

  Outcome<bool> ReportScore(std::uint64_t accountId, std::uint64_t memberId, RankingType type,
                            double score) {
    return RetryConflicts([&] { return scores_.Report(accountId, memberId, type, score); });
  }
  std::vector<RankingRow> LoadRanking(RankingType type) {
    return RetryConflicts([&] { return scores_.LoadRanking(type); });
  }

 private:
  AccountStore accounts_;
  MemberStore members_;
  DeviceStore devices_;
  BicycleStore bicycles_;
  ScoreStore scores_;
};

}  // namespace vel::companion
