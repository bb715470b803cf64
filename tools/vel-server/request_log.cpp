#include "request_log.h"

#include <chrono>
#include <ctime>

#include "common/string_printf.h"

namespace vel::companion {
namespace {

std::string Now() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return StringPrintf("%s.%03d", text, static_cast<int>(millis));
}

}  // namespace

void RequestLog::Write(std::string_view listener, std::string_view method, std::string_view what,
                       std::string_view result) {
  std::string line;
  line.append(listener).append(" ").append(method).append(" ").append(what).append(" ");
  line.append(result);
  Emit(line);
}

void RequestLog::Note(std::string_view text) { Emit(std::string(text)); }

void RequestLog::Emit(const std::string& text) {
  if (!sink_) return;
  const std::string line = Now() + " " + text;
  std::lock_guard lock(mutex_);
  sink_(line);
}

}  // namespace vel::companion
