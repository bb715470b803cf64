#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ant/ant_receiver.h"
#include "ant/libusb_hotplug.h"

namespace vel {

// Keeps the room's sticks coming and going without the user-interface
// thread waiting on them: it lists the sticks again now and then, opens
// and brings up each one that nobody holds (a new stick, or one that was
// lost and is back), and closes the sticks that were lost.
//
// tty sticks and VEL_ANT_TTY paths are found by listing sysfs and the paths
// again every rescan period (cheap, no library, and the only way to see a
// path that is no USB device at all); libusb sticks on a hot-plug arrival
// when the library tells of them, else at every rescan too; simulated
// sticks when they are plugged in again.
//
// Threads: its own thread (when the rescan period is not 0) scans and
// closes; the user-interface thread holds keys, takes what was found and
// hands lost sticks over. Everything shared is behind one lock; a scan runs
// outside it.
class StickWatcher {
 public:
  // A stick that is found again this many times in a row without opening
  // is tried again only every kRetryScans scans, so that a stick without
  // permission does not fill the log.
  static constexpr int kQuickRetries = 3;
  static constexpr int kRetryScans = 30;

  explicit StickWatcher(ReceiverSettings settings);
  ~StickWatcher();
  StickWatcher(const StickWatcher&) = delete;
  StickWatcher& operator=(const StickWatcher&) = delete;

  // A stick of the room's first listing at this port; `open` when the room
  // holds it (one that did not open is tried again by the scans).
  void Note(const std::string& key, std::uint8_t port, bool open);
  // Starts scanning on a thread of its own, every rescan period.
  void Start();
  // Stops the thread (within one scan) and closes what waits to be closed.
  void Stop();

  // Lists the sticks once and opens every one nobody holds; the receivers
  // wait for TakeFound. The thread calls it; without the thread, callers
  // (tests, tools) call it themselves.
  void Scan();
  std::vector<std::unique_ptr<AntReceiver>> TakeFound();
  // Closes a lost stick: loop, transport, then its decoders without
  // farewells; its key is free for the next scan afterwards. On the thread
  // when it runs, else at once.
  void Retire(std::unique_ptr<AntReceiver> receiver);

 private:
  void Run();
  void Close(std::unique_ptr<AntReceiver> receiver);
  void CloseRetired();
  std::uint8_t PortFor(const std::string& key) const;  // under mutex_

  const ReceiverSettings settings_;
  std::mutex scanMutex_;   // one scan at a time
  LibusbHotplug hotplug_;  // scans only

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::map<std::string, std::uint8_t> held_;        // open, or being opened
  std::map<std::string, std::uint8_t> remembered_;  // every stick seen, and its port
  std::map<std::string, int> failures_;             // opens that failed in a row
  std::vector<std::unique_ptr<AntReceiver>> found_;
  std::vector<std::unique_ptr<AntReceiver>> retired_;
  std::uint64_t scans_ = 0;
  std::thread thread_;
};

}  // namespace vel
