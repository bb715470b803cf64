#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace vel::companion {

// One line per request: local time with milliseconds, the listener, the
// method, the path or the packet's header, and the result, e.g.
//   2026-03-05 14:02:11.123 app POST header 8 result true
//   2026-03-05 14:02:11.140 app POST header 6 errcode 4
//   2026-03-05 14:02:12.001 patch GET /?version=201902170 200
// Lines go to the sink one at a time, whole, from any thread.
class RequestLog {
 public:
  using Sink = std::function<void(const std::string& line)>;

  explicit RequestLog(Sink sink) : sink_(std::move(sink)) {}

  void Write(std::string_view listener, std::string_view method, std::string_view what,
             std::string_view result);
  // A line of the server's own (start, stop, seeding).
  void Note(std::string_view text);

 private:
  void Emit(const std::string& text);

  Sink sink_;
  std::mutex mutex_;
};

}  // namespace vel::companion
