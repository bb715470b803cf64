#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/room.h"

namespace vel {

// The fixed lists of the team windows. Each begins with an empty entry at
// position 0; positions are what the server stores, so their order is
// binding and must never change.
struct ChainringEntry {
  std::string text;
  std::vector<int> teeth;  // largest first
};
struct CassetteEntry {
  std::string text;
  std::vector<int> sprockets;  // largest first
};
struct TireEntry {
  std::string text;
  double circumferenceM;
};

const std::vector<std::string>& GenderList();        // "", "남성", "여성"
const std::vector<ChainringEntry>& ChainringList();  // position 0 empty
const std::vector<CassetteEntry>& CassetteList();    // position 0 empty
const std::vector<TireEntry>& TireList();            // position 0 empty

}  // namespace vel
