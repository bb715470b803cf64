#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "ant/ant_receiver.h"
#include "ant/sim/sim_clock.h"
#include "ant/sim/virtual_room.h"
#include "common/message_box.h"

namespace vel::bench {

// Messages a benchmark's board shows go to standard error.
class StderrMessages : public MessageBox {
 public:
  void Show(const std::string& text) override {
    std::fprintf(stderr, "message: %s\n", text.c_str());
  }
};

// Settings that open `count` simulated sticks of a room riding in real
// time, and no real stick this machine may have.
inline ReceiverSettings RealTimeRoomSticks(int count) {
  ReceiverSettings settings = ReceiverSettings::FromEnvironment();
  settings.discovery.sysfsRoot = "/nonexistent";
  settings.discovery.libusbLibrary = "libvel-no-such-libusb.so.0";
  settings.discovery.extraTtys.clear();
  settings.discovery.simulatedSticks = count;
  settings.discovery.room =
      std::make_shared<sim::VirtualRoom>(std::make_shared<sim::SteadySimClock>());
  return settings;
}

}  // namespace vel::bench
