#include "ant/sim/room_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

namespace vel::sim {
namespace {

TEST(RoomTableTest, TheRoomTableHasFiftyUniqueNonZeroNumbers) {
  const auto table = RoomSensorTable();
  ASSERT_EQ(table.size(), 50u);
  std::set<std::pair<int, int>> ids;
  int legacy = 0;
  int torque = 0;
  for (const RoomSensor& s : table) {
    EXPECT_NE(s.deviceNumber, 0);
    EXPECT_TRUE(ids.insert({s.deviceType, s.deviceNumber}).second) << s.deviceNumber;
    legacy += s.variant == SensorVariant::kLegacy;
    torque += s.variant == SensorVariant::kCrankTorque;
  }
  EXPECT_GE(legacy, 1);
  EXPECT_GE(torque, 1);
}

// README's "Simulated room" table is what the demo team reads: it must
// name the same sensors as the code.
TEST(RoomTableTest, TheReadmeTableIsTheRoomTable) {
  std::ifstream readme(std::string(VEL_SOURCE_DIR) + "/README.md");
  ASSERT_TRUE(readme);
  std::set<std::tuple<int, int, int>> documented;  // rider, type, number
  const int types[] = {120, 123, 122, 121, 11};
  for (std::string line; std::getline(readme, line);) {
    int rider = 0;
    int numbers[5] = {};
    std::string cell;
    std::istringstream cells(line);
    if (line.rfind("| ", 0) != 0 || !std::getline(cells, cell, '|') ||
        !std::getline(cells, cell, '|'))
      continue;
    if (std::sscanf(cell.c_str(), "%d", &rider) != 1) continue;
    bool ok = true;
    for (int& n : numbers)
      ok = ok && std::getline(cells, cell, '|') && std::sscanf(cell.c_str(), "%d", &n) == 1;
    if (!ok) continue;
    for (int i = 0; i < 5; ++i) documented.insert({rider, types[i], numbers[i]});
  }
  std::set<std::tuple<int, int, int>> coded;
  for (const RoomSensor& s : RoomSensorTable())
    coded.insert({s.rider, s.deviceType, s.deviceNumber});
  EXPECT_EQ(documented, coded);
}

}  // namespace
}  // namespace vel::sim
