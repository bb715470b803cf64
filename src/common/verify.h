#pragma once

// A check of a state that cannot happen. In debug and test builds a failed
// check stops the program and names the condition and its place; in
// release builds it is logged and the block after the check handles the
// state, so a studio keeps riding:
//
//   VEL_VERIFY_OR_DEBUG_ASSERT(kind != nullptr) { return; }
#define VEL_VERIFY_OR_DEBUG_ASSERT(cond) \
  if (!static_cast<bool>(cond) && (::vel::FailedCheck(#cond, __FILE__, __LINE__), true))

namespace vel {

void FailedCheck(const char* condition, const char* file, int line);

}  // namespace vel
