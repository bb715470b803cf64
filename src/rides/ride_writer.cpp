#include "rides/ride_writer.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <string>

#include "common/queues.h"
#include "common/thread_name.h"
#include "crash/thread_signal_stack.h"

namespace vel {

RideWriter::RideWriter(std::filesystem::path file, std::chrono::milliseconds commitPeriod)
    : file_(std::move(file)), commitPeriod_(commitPeriod), thread_([this] { Run(); }) {}

RideWriter::~RideWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

RideRecorder::Handle RideWriter::Begin(const RideStart& start) {
  RideChange change;
  change.kind = RideChange::Kind::kBegin;
  change.ride = nextHandle_++;
  change.start = start;
  const Handle handle = change.ride;
  Add(std::move(change));
  return handle;
}

void RideWriter::Record(Handle ride, const RideSample& sample) {
  RideChange change;
  change.kind = RideChange::Kind::kSample;
  change.ride = ride;
  change.sample = sample;
  Add(std::move(change));
}

void RideWriter::Pause(Handle ride, std::int64_t offsetMs) {
  Add({RideChange::Kind::kPause, ride, {}, {}, offsetMs});
}

void RideWriter::Resume(Handle ride, std::int64_t offsetMs) {
  Add({RideChange::Kind::kResume, ride, {}, {}, offsetMs});
}

void RideWriter::End(Handle ride, std::int64_t offsetMs) {
  Add({RideChange::Kind::kEnd, ride, {}, {}, offsetMs});
}

void RideWriter::Add(RideChange change) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    if (pending_.size() >= kMaxPending) {
      // A store that has failed for hours: the oldest seconds go first,
      // never a ride's beginning or end.
      const auto oldest = std::find_if(pending_.begin(), pending_.end(), [](const RideChange& c) {
        return c.kind == RideChange::Kind::kSample;
      });
      if (oldest != pending_.end()) pending_.erase(oldest);
      if (!droppedLogged_) {
        droppedLogged_ = true;
        PushLog("Rides: the store has failed too long; the oldest seconds not yet stored are lost");
      }
    }
    wake = pending_.empty();
    pending_.push_back(std::move(change));
    ++added_;
  }
  // A batch is under way once the first change of it came; the rest wait
  // for its period.
  if (wake) wake_.notify_one();
}

bool RideWriter::Flush() {
  std::unique_lock lock(mutex_);
  const std::uint64_t wanted = added_;
  const std::uint64_t attemptsBefore = attempts_;
  flushWanted_ = true;
  wake_.notify_one();
  // Done when an attempt that began after this call has ended: it took
  // everything handed over before it, or failed.
  settled_.wait(
      lock, [&] { return attempts_ > attemptsBefore && (taken_ >= wanted || lastAttemptFailed_); });
  return taken_ >= wanted;
}

void RideWriter::Run() {
  InstallThreadSignalStack();
  NameThisThread("ride-writer");
  // Opened at once: rides a killed program left open are kept now, not at
  // the first sample.
  Store({});
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [&] { return stopping_ || flushWanted_ || !pending_.empty(); });
    // Gather what comes within the period, unless asked to store now.
    wake_.wait_for(lock, commitPeriod_, [&] { return stopping_ || flushWanted_; });
    flushWanted_ = false;
    std::vector<RideChange> batch;
    batch.swap(pending_);
    const std::uint64_t taking = added_;
    lock.unlock();
    const bool stored = Store(batch);
    lock.lock();
    ++attempts_;
    lastAttemptFailed_ = !stored;
    if (stored) {
      taken_ = taking;
      droppedLogged_ = false;
    } else {
      // Tried again with the next batch, in their order, before it.
      pending_.insert(pending_.begin(), std::make_move_iterator(batch.begin()),
                      std::make_move_iterator(batch.end()));
    }
    settled_.notify_all();
    if (stopping_ && (pending_.empty() || !stored)) break;
  }
  if (!pending_.empty()) {
    PushLog("Rides: " + std::to_string(pending_.size()) + " change(s) could not be stored");
  }
}

bool RideWriter::Store(const std::vector<RideChange>& changes) {
  try {
    if (!store_) {
      store_ = std::make_unique<RideStore>(file_);
      if (const int closed = store_->CloseAbandonedRides()) {
        PushLog("Rides: " + std::to_string(closed) + " ride(s) cut off earlier kept in " +
                file_.string());
      }
    }
    if (!changes.empty()) store_->Apply(changes);
    if (failureLogged_) PushLog("Rides: stored again in " + file_.string());
    failureLogged_ = false;
    return true;
  } catch (const std::exception& e) {
    // A store that could not even open is opened anew next time.
    if (store_ == nullptr || std::string(e.what()).find("cannot open") != std::string::npos) {
      store_.reset();
    }
    if (!failureLogged_) {
      failureLogged_ = true;
      PushLog("Rides: cannot store in " + file_.string() + " (" + e.what() +
              "); the rides are kept in memory and tried again");
    }
    return false;
  }
}

}  // namespace vel
