#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "team/roster_records.h"

namespace vel::companion {

// What the team store keeps beside the roster's records (team/roster_records.h),
// as its operations take and give it. Ids are the numbers the program sees
// (positive, never handed out twice).

struct Account {
  std::uint64_t id = 0;
  std::string teamName;  // empty until the team registers one
};

// Body data as a request sends it: each value missing or as sent.
struct BodyInfo {
  std::optional<double> height;
  std::optional<double> weight;
  std::optional<int> gender;
};

// A bicycle as a request asks for it: each value missing or as sent.
struct BicycleRequest {
  std::string name;
  std::optional<double> weight;
  std::optional<int> crank;
  std::optional<int> cassette;
  std::optional<int> tire;
};

struct RankingRow {
  std::string teamName;
  std::string memberName;
  double score = 0;  // a whole number for cadence and heart rate
};

}  // namespace vel::companion
