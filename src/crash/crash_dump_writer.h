#pragma once

#include <csignal>
#include <cstddef>
#include <cstdint>

namespace vel {

// Writes a crash dump when the process dies of a fatal signal (SIGSEGV,
// SIGBUS, SIGILL, SIGFPE, SIGABRT): an ELF core file named
// "<prefix>_YYYY.MM.DD-hh_mm_ss.dmp" (local time) in the current directory,
// holding every readable mapping of the process and the crashing thread's
// registers, so that `gdb <program> <dump>` shows where it died. The file
// is made new, readable and writable by the user alone (it holds the
// process's memory, tokens included). When the dump is written the process
// ends at once; when anything fails the signal takes its default action,
// as if no writer were installed. A fault during the dump ends the process
// at once; other threads failing meanwhile wait for its end.
//
// Installed once, early, from the main thread, which gets an alternate
// signal stack; every other thread gets its own with
// InstallThreadSignalStack. Later calls change nothing.
void InstallCrashDumpWriter(const char* prefix);

// The dump writer itself, run from the signal handler (async-signal-safe).
// True when the whole dump was written.
bool WriteCrashDump(int signal, const siginfo_t* info, const void* ucontext);

// "<prefix>_YYYY.MM.DD-hh_mm_ss.dmp" for seconds since the epoch shifted by
// a UTC offset; written without allocation into `out`.
void FormatCrashDumpName(char* out, std::size_t size, const char* prefix, std::int64_t epochSeconds,
                         std::int64_t utcOffsetSeconds);

}  // namespace vel
