#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sqlite_database.h"

namespace vel::companion {

// The one thread that writes the database. The changes that arrive while a
// commit runs wait, and are then applied one after the other in one
// transaction (each in a savepoint of its own, through SqliteTransaction)
// and committed together: one synchronisation of the file for the whole
// group instead of one a change. Each change hears of its group's commit
// only when it is durable, or why it failed.
class GroupCommitWriter {
 public:
  struct Change {
    // On the writer's thread, inside the group's transaction.
    std::function<void()> apply;
    // After the group's commit, on the writer's thread: `failure` is empty
    // when the change is durable, else why nothing of the group was kept.
    std::function<void(const std::string& failure)> done;
  };

  // At most `queueLimit` changes wait for the next group.
  GroupCommitWriter(SqliteDatabase& database, std::size_t queueLimit);
  ~GroupCommitWriter();
  GroupCommitWriter(const GroupCommitWriter&) = delete;
  GroupCommitWriter& operator=(const GroupCommitWriter&) = delete;

  // Waits while the queue is full (the sender is held back rather than the
  // queue growing without end); false, and the change dropped, once Stop
  // has begun.
  bool Post(Change change);
  // Commits the changes already posted, then ends the thread. Not from a
  // change.
  void Stop();

 private:
  void Work();
  void Commit(std::vector<Change>& group);

  SqliteDatabase& database_;
  const std::size_t queueLimit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable room_;
  std::deque<Change> queue_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace vel::companion
