#include "common/verify.h"

#include <cstdio>
#include <cstdlib>

#include "common/queues.h"
#include "common/string_printf.h"

namespace vel {

void FailedCheck(const char* condition, const char* file, int line) {
#ifndef NDEBUG
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
  std::abort();
#else
  PushLog(StringPrintf("Internal error at %s:%d (%s)", file, line, condition));
#endif
}

}  // namespace vel
