#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vel::companion {

// What the team store keeps, as its operations take and give it. Ids are
// the numbers the program sees (positive, never handed out twice).

struct Account {
  std::uint64_t id = 0;
  std::string teamName;  // empty until the team registers one
};

struct DeviceRecord {
  std::uint64_t id = 0;
  bool active = false;
  int number = 0;
  int type = 0;
};

struct BicycleRecord {
  std::uint64_t id = 0;
  bool active = false;
  std::string name;
  std::optional<double> weight;
  std::optional<int> crank;
  std::optional<int> cassette;
  std::optional<int> tire;
};

struct BodyInfo {
  std::optional<double> height;
  std::optional<double> weight;
  std::optional<int> gender;
};

struct MemberRecord {
  std::uint64_t id = 0;
  std::string name;
  BodyInfo body;
  double bestSpeed = 0;
  int bestCadence = 0;
  int bestHeartRate = 0;
  std::vector<DeviceRecord> devices;    // in the order they were added
  std::vector<BicycleRecord> bicycles;  // in the order they were added
};

struct RankingRow {
  std::string teamName;
  std::string memberName;
  double score = 0;  // a whole number for cadence and heart rate
};

}  // namespace vel::companion
