#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace vel {

inline constexpr std::uint64_t kNoId = std::numeric_limits<std::uint64_t>::max();

// The roster as both sides of the wire hold it: the program's member model
// and the companion server's loaded and stored rows. "Unknown" and "nothing
// chosen" are -1 (the server stores them as NULL and sends null). Body and
// bicycle weights are doubles so that the server keeps what it was sent;
// the program holds them at single precision, as it reads and sends them.

// One sensor a member registered: its ANT device number as typed and its
// ANT+ device type (11, 120, 121, 122, 123).
struct DeviceRecord {
  std::uint64_t id = kNoId;
  bool active = false;
  std::int32_t number = -1;
  std::int32_t type = -1;
};

// One bicycle of a member. Crank, cassette and tire are positions in the
// fixed lists (0 and -1: nothing chosen); the server stores positions, so
// the lists' order is part of the stored data.
struct BicycleRecord {
  std::uint64_t id = kNoId;
  bool active = false;
  std::string name;
  double weight = -1.0;  // kg; -1 unknown
  std::int32_t crank = -1;
  std::int32_t cassette = -1;
  std::int32_t tire = -1;
};

// One rider of the team, with body data, best scores, sensors and bicycles.
struct MemberRecord {
  std::uint64_t id = kNoId;
  std::string name;
  double height = -1.0;      // cm; -1 unknown
  double weight = -1.0;      // kg; -1 unknown
  std::int32_t gender = -1;  // position in the gender list; -1 unknown
  double bestSpeed = 0.0;    // km/h
  std::int32_t bestCadence = 0;
  std::int32_t bestHeartRate = 0;
  std::vector<DeviceRecord> devices;
  std::vector<BicycleRecord> bicycles;
};

}  // namespace vel
