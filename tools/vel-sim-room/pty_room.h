#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "ant/sim/virtual_room.h"

namespace vel {

// The simulated room in a process of its own: each of its first `sticks`
// sticks on a pseudo-terminal, so that a program meets them exactly as it
// meets real sticks behind the kernel's tty driver (VEL_ANT_TTY). One
// thread runs every stick: it sleeps until a stick has something due or the
// program writes, hands what the program wrote to its stick and sends back
// what the stick answers. A program that opens a terminal later, or closes
// and opens it again, finds the stick where it was; bytes sent while nobody
// reads are lost, as on a wire.
//
// Threads: Open and Paths before Run; Run on one thread until Stop, which
// any thread (or a signal handler) may call.
class PtyRoom {
 public:
  explicit PtyRoom(std::shared_ptr<sim::VirtualRoom> room);
  ~PtyRoom();
  PtyRoom(const PtyRoom&) = delete;
  PtyRoom& operator=(const PtyRoom&) = delete;

  // Opens one terminal per stick (1 to kMaxSticks); false, with `error`
  // set, when the system gives none.
  bool Open(int sticks, std::string& error);
  // The terminals' paths, stick by stick.
  std::vector<std::string> Paths() const;
  void Run();
  void Stop();

 private:
  class Terminal;

  std::shared_ptr<sim::VirtualRoom> room_;
  std::vector<std::unique_ptr<Terminal>> terminals_;
  int wake_[2] = {-1, -1};  // Stop writes to [1]; Run polls [0]
  std::atomic<bool> stop_{false};
};

}  // namespace vel
