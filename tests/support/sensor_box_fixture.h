#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sensors/channel_decoder.h"
#include "support/ant_frames.h"
#include "support/board_rig.h"

namespace vel::test {

// A member with a combined sensor, a speed sensor, a power meter and a
// strap, chosen in panel 0, over a stick that answers at once.
class SensorBoxFixture : public ::testing::Test, protected BoardRig {
 protected:
  void SetUp() override {
    LoadTeam({MemberJson(5, "kim", R"([{"id":1,"active":true,"number":12101,"type":121},
                                            {"id":2,"active":true,"number":12301,"type":123},
                                            {"id":3,"active":true,"number":1101,"type":11},
                                            {"id":4,"active":true,"number":12001,"type":120}])")});
    stick = &AddSyncStick();
    board->SelectMember(0, EntryOf(5));
  }
  std::vector<int> OpenTypes() {
    std::vector<int> types;
    stick->ForEachDecoder([&](std::size_t, CDisplay& d) { types.push_back(d.DeviceType()); });
    return types;
  }
  void Release(int channel) {
    stick->HandleMessage(Message(0x40, {static_cast<std::uint8_t>(channel), 0x41, 0}), 3);
    board->DrainEvents();
  }
  AntReceiver* stick = nullptr;
};

}  // namespace vel::test
