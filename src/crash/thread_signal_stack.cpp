#include "crash/thread_signal_stack.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>

namespace vel {
namespace {

// The dump writer uses static memory; its own frames and the kernel's
// signal frame need a few kilobytes.
constexpr std::size_t kStackBytes = 64 * 1024;

// Owns the calling thread's stack; taken down when the thread ends, after
// the kernel has been told to stop using it.
class ThreadStack {
 public:
  ThreadStack() = default;
  ThreadStack(const ThreadStack&) = delete;
  ThreadStack& operator=(const ThreadStack&) = delete;
  ~ThreadStack() {
    if (memory_ == nullptr) return;
    stack_t off{};
    off.ss_flags = SS_DISABLE;
    if (sigaltstack(&off, nullptr) == 0) munmap(memory_, bytes_);
  }

  void Install() {
    if (memory_ != nullptr) return;
    stack_t current{};
    if (sigaltstack(nullptr, &current) != 0 || (current.ss_flags & SS_DISABLE) == 0) return;
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    // One page below the stack is left inaccessible: a handler that runs
    // past the end faults instead of writing over other memory.
    const std::size_t bytes = kStackBytes + page;
    void* memory = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED) return;
    mprotect(memory, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(memory) + page;
    stack.ss_size = kStackBytes;
    if (sigaltstack(&stack, nullptr) != 0) {
      munmap(memory, bytes);
      return;
    }
    memory_ = memory;
    bytes_ = bytes;
  }

 private:
  void* memory_ = nullptr;
  std::size_t bytes_ = 0;
};

}  // namespace

void InstallThreadSignalStack() {
  thread_local ThreadStack stack;
  stack.Install();
}

}  // namespace vel
