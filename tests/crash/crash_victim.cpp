// A small program that dies on purpose, for the crash dump tests:
// crash_victim segv|abort|raise-ill|overflow-thread|fault-during-dump
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "crash/crash_dump_writer.h"
#include "crash/thread_signal_stack.h"

extern "C" __attribute__((noinline)) void CrashInsideVictim(volatile int* where) {
  *where = 42;  // where is null
}

// Takes another frame at each call until the stack is gone (the depth
// never gets back below zero).
extern "C" __attribute__((noinline)) int OverflowInsideVictim(int depth) {
  volatile char frame[256];
  frame[0] = static_cast<char>(depth);
  if (depth < 0) return frame[0];
  return OverflowInsideVictim(depth + 1) + frame[0];
}

namespace {

// The dump outgrows the file size limit, so the kernel signals SIGXFSZ on
// the thread that writes; its handler faults there, in the middle of the
// dump.
void FaultOnFileTooLarge(int) { CrashInsideVictim(nullptr); }

}  // namespace

int main(int argc, char** argv) {
  const rlimit noCore{0, 0};  // no system core file beside ours
  setrlimit(RLIMIT_CORE, &noCore);
  // Sanitizer builds do not install the writer statically; this program
  // exists to exercise it, so it installs it itself.
  vel::InstallCrashDumpWriter("VEP");
  const char* how = argc > 1 ? argv[1] : "segv";
  if (std::strcmp(how, "abort") == 0) std::abort();
  if (std::strcmp(how, "raise-ill") == 0) std::raise(SIGILL);
  if (std::strcmp(how, "overflow-thread") == 0) {
    std::thread reader([] {
      vel::InstallThreadSignalStack();
      OverflowInsideVictim(0);
    });
    reader.join();
  }
  if (std::strcmp(how, "fault-during-dump") == 0) {
    const rlimit smallFiles{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &smallFiles);
    std::signal(SIGXFSZ, FaultOnFileTooLarge);
    std::abort();
  }
  CrashInsideVictim(nullptr);
  return 0;
}
