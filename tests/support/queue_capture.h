#pragma once

#include <string>
#include <vector>

#include "common/queues.h"
#include "common/string_queue.h"

namespace vel::test {

// Binds fresh event and log queues for a test and reads them back.
class QueueCapture {
 public:
  QueueCapture()
      : events_(QueueBinding::Role::kEvents, eventQueue_),
        log_(QueueBinding::Role::kLog, logQueue_) {}

  std::vector<std::string> Events() { return Drain(eventQueue_); }
  // Log lines without their time stamp.
  std::vector<std::string> LogTexts() {
    std::vector<std::string> texts;
    for (std::string& line : Drain(logQueue_)) {
      const auto mark = line.find(" > ");
      texts.push_back(mark == std::string::npos ? line : line.substr(mark + 3));
    }
    return texts;
  }

 private:
  static std::vector<std::string> Drain(StringQueue& q) {
    std::vector<std::string> out;
    for (std::string s; q.TryPop(s);) out.push_back(s);
    return out;
  }

  StringQueue eventQueue_;
  StringQueue logQueue_;
  QueueBinding events_;
  QueueBinding log_;
};

// Pins TickCount64 to a settable value for the life of the object.
class ManualTick {
 public:
  explicit ManualTick(std::uint64_t start);
  ~ManualTick();
  static void Set(std::uint64_t now);
  static void Advance(std::uint64_t ms);
};

}  // namespace vel::test
