#pragma once

#include <optional>
#include <string>

namespace vel::test {

// Puts the process in time zone `zone` (a POSIX TZ text such as "KST-9",
// which needs no zone database) while the object lives, so that a test of
// local times does not depend on the machine's zone.
class TimeZone {
 public:
  explicit TimeZone(const char* zone);
  ~TimeZone();
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

 private:
  std::optional<std::string> saved_;
};

}  // namespace vel::test
