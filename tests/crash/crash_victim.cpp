// A small program that dies on purpose, for the crash dump tests:
// crash_victim segv|abort|raise-ill
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include "crash/crash_dump_writer.h"

extern "C" __attribute__((noinline)) void CrashInsideVictim(volatile int* where) {
  *where = 42;  // where is null
}

int main(int argc, char** argv) {
  const rlimit noCore{0, 0};  // no system core file beside ours
  setrlimit(RLIMIT_CORE, &noCore);
  // Sanitizer builds do not install the writer statically; this program
  // exists to exercise it, so it installs it itself.
  vel::InstallCrashDumpWriter("VEP");
  const char* how = argc > 1 ? argv[1] : "segv";
  if (std::strcmp(how, "abort") == 0) std::abort();
  if (std::strcmp(how, "raise-ill") == 0) std::raise(SIGILL);
  CrashInsideVictim(nullptr);
  return 0;
}
