#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "rides/ride_recorder.h"
#include "rides/ride_store.h"

namespace vel {

// The rider panels' rides stored as they go, off the user-interface
// thread. The recorder's calls only append to a list under a lock; a thread
// of its own opens the ride store (closing the rides a killed program left
// open), and every commit period stores what came in since, in one
// transaction. A ride cut off by a kill or a power cut loses at most the
// last period and the commit under way.
//
// When the store fails (a full disk, a database another program holds),
// the first failure is logged, the changes stay in memory and are tried
// again every period, so nothing already stored is lost and the panels
// ride on; past kMaxPending changes the oldest samples are given up.
//
// The recorder's calls and Flush come from one thread (the user-interface
// thread); the object's end waits for its thread, which stores what is
// left first.
class RideWriter : public RideRecorder {
 public:
  static constexpr std::chrono::milliseconds kCommitPeriod{2000};
  static constexpr std::size_t kMaxPending = 200000;  // about five hours of a full room

  explicit RideWriter(std::filesystem::path file,
                      std::chrono::milliseconds commitPeriod = kCommitPeriod);
  ~RideWriter() override;
  RideWriter(const RideWriter&) = delete;
  RideWriter& operator=(const RideWriter&) = delete;

  Handle Begin(const RideStart& start) override;
  void Record(Handle ride, const RideSample& sample) override;
  void Pause(Handle ride, std::int64_t offsetMs) override;
  void Resume(Handle ride, std::int64_t offsetMs) override;
  void End(Handle ride, std::int64_t offsetMs) override;

  // Stores everything handed over so far, now, and waits for it. False
  // when the store failed (the changes stay for the next try).
  bool Flush();

  const std::filesystem::path& File() const { return file_; }

 private:
  void Add(RideChange change);
  void Run();
  // The writer thread's one attempt at the changes; false on failure.
  bool Store(const std::vector<RideChange>& changes);

  const std::filesystem::path file_;
  const std::chrono::milliseconds commitPeriod_;
  Handle nextHandle_ = 1;

  std::mutex mutex_;
  std::condition_variable wake_;     // changes, a flush or the end
  std::condition_variable settled_;  // an attempt ended
  std::vector<RideChange> pending_;
  std::uint64_t added_ = 0;  // changes handed over so far
  std::uint64_t taken_ = 0;  // of which the attempts so far took this many
  std::uint64_t attempts_ = 0;
  bool lastAttemptFailed_ = false;
  bool flushWanted_ = false;
  bool stopping_ = false;
  bool droppedLogged_ = false;

  // The writer thread's own.
  std::unique_ptr<RideStore> store_;
  bool failureLogged_ = false;

  std::thread thread_;
};

}  // namespace vel
