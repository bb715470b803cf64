#pragma once

namespace vel {

// Gives the calling thread an alternate signal stack of its own, kept until
// the thread ends, so that the crash dump writer still runs when the thread
// dies of a stack overflow. Every thread the program starts calls it first;
// threads of a library may call it from work the program gives them. A
// thread that has an alternate stack already (the main thread, or one a
// sanitizer set up) keeps it. Never fails in a way the caller must handle:
// without memory the thread simply goes without.
void InstallThreadSignalStack();

}  // namespace vel
