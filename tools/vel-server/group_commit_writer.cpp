#include "group_commit_writer.h"

#include <exception>
#include <utility>

#include "crash/thread_signal_stack.h"

namespace vel::companion {
namespace {

// Applies one change in a savepoint of its own: whatever it did is undone
// alone when it throws. Gives why it failed, or nothing.
std::string Apply(SqliteDatabase& database, const GroupCommitWriter::Change& change) {
  try {
    SqliteTransaction own(database, SqliteTransaction::Kind::kWrite);
    change.apply();
    own.Commit();
    return {};
  } catch (const std::exception& failure) {
    return failure.what();
  }
}

void Done(const GroupCommitWriter::Change& change, const std::string& failure) {
  try {
    change.done(failure);
  } catch (const std::exception&) {
    // The change's own business; the others of its group still hear.
  }
}

}  // namespace

GroupCommitWriter::GroupCommitWriter(SqliteDatabase& database, std::size_t queueLimit)
    : database_(database), queueLimit_(queueLimit == 0 ? 1 : queueLimit) {
  thread_ = std::thread([this] { Work(); });
}

GroupCommitWriter::~GroupCommitWriter() { Stop(); }

bool GroupCommitWriter::Post(Change change) {
  {
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] { return stopping_ || queue_.size() < queueLimit_; });
    if (stopping_) return false;
    queue_.push_back(std::move(change));
  }
  wake_.notify_one();
  return true;
}

void GroupCommitWriter::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  room_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void GroupCommitWriter::Work() {
  InstallThreadSignalStack();
  for (;;) {
    std::vector<Change> group;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;
      group.assign(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
      queue_.clear();
    }
    room_.notify_all();
    Commit(group);
  }
}

void GroupCommitWriter::Commit(std::vector<Change>& group) {
  std::vector<std::string> own(group.size());
  std::size_t next = 0;
  while (next < group.size()) {
    std::size_t end = next;
    std::string failure;
    try {
      SqliteWriteGroup transaction(database_);
      while (end < group.size() && failure.empty()) {
        own[end] = Apply(database_, group[end]);
        ++end;
        if (!transaction.Open()) failure = "the database gave up the transaction: " + own[end - 1];
      }
      if (failure.empty()) transaction.Commit();
    } catch (const std::exception& error) {
      failure = error.what();
      // Not even begun: none of the rest was applied.
      if (end == next) end = group.size();
    }
    // The rest, when SQLite dropped the transaction half way, goes into
    // the next one.
    for (; next < end; ++next) Done(group[next], own[next].empty() ? failure : own[next]);
  }
}

}  // namespace vel::companion
