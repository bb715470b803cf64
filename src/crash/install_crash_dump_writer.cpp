// Linked into every executable of the program: installs the crash dump
// writer during static initialisation, before anything else runs. Builds
// with a sanitizer keep the sanitizer's own report instead.
#include "crash/crash_dump_writer.h"

namespace {

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
struct CrashDumpInstaller {
  CrashDumpInstaller() { vel::InstallCrashDumpWriter("VEP"); }
};
const CrashDumpInstaller g_installer;
#endif

}  // namespace
