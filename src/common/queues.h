#pragma once

#include <ctime>
#include <string>
#include <string_view>

#include "common/string_queue.h"

namespace vel {

// The event queue belongs to the main window and the log queue to the log
// window; each owner binds its queue here for its lifetime, and decoders,
// the receive loops and the channel plan reach them through PushEvent and
// PushLog. Tools and tests without windows bind queues of their own the
// same way. A push while no queue is bound is dropped.
//
// An owner unbinds only after every thread that may push has stopped.
void BindEventQueue(StringQueue* queue);
void BindLogQueue(StringQueue* queue);

// Binds a queue for the life of this object and restores the previous one.
class QueueBinding {
 public:
  enum class Role { kEvents, kLog };
  QueueBinding(Role role, StringQueue& queue);
  ~QueueBinding();
  QueueBinding(const QueueBinding&) = delete;
  QueueBinding& operator=(const QueueBinding&) = delete;

 private:
  Role role_;
  StringQueue* previous_;
};

// Appends a copy of a sensor event text to the event queue.
void PushEvent(std::string_view text);
// Appends the texts of one message together, in order.
void PushEvents(const std::string_view* texts, std::size_t count);
// Appends "YYYY/MM/DD-hh:mm:ss > text" (local time) to the log queue.
void PushLog(std::string_view text);

// The log line for `text` written at local time `when`.
std::string FormatLogLine(const std::tm& when, std::string_view text);

}  // namespace vel
