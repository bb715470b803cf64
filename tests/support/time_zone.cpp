#include "support/time_zone.h"

#include <stdlib.h>
#include <time.h>

namespace vel::test {

TimeZone::TimeZone(const char* zone) {
  if (const char* now = ::getenv("TZ")) saved_ = now;
  ::setenv("TZ", zone, 1);
  ::tzset();
}

TimeZone::~TimeZone() {
  if (saved_) {
    ::setenv("TZ", saved_->c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

}  // namespace vel::test
