// What the sanitizers leave out of their checks in the test program and in
// the programs it starts (sanitizer builds add this file to every program).
// Each entry concerns cpprestsdk or Qt WebEngine, which are built without
// instrumentation, and none hides code of ours.

// cpprestsdk finishes a failed or unread exchange (closing the reply's
// stream buffers) in tasks on its own thread pool after the waiting call
// has returned; when the process ends right after such an exchange, those
// tasks are still in flight and LeakSanitizer reports them. They finish a
// moment later in a running program.
// Qt WebEngine keeps Chromium's process-wide objects, and the fontconfig
// patterns its font lookups made, until the process ends, on purpose.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libcpprest.so\n"
         "leak:libQt6WebEngineCore.so\n"
         "leak:libfontconfig.so\n";
}

// ThreadSanitizer does not see the atomics inside the library, so memory
// that the library allocates or frees on one of its threads and hands to
// another through them looks unordered against accesses made on the other
// thread by the inlined pplx and shared_ptr code:
//  - a task's completion event dropping the last reference to a task;
//  - a shared_ptr control block made in the library whose count is then
//    dropped by inlined code (the count itself is always atomic): allowed
//    only where one of the two stacks runs in the library itself, so that a
//    shared_ptr race between threads of ours is still reported
//    (tests/sanitizers/shared_ptr_race.cpp);
//  - the listener's lazily built table of default reason phrases.
extern "C" const char* __tsan_default_suppressions() {
  return "race:_Task_completion_event_impl\n"
         "race:libcpprest.so\n"
         "race:get_default_reason_phrase\n";
}

// For the same reason, the library's own copies (memcpy, memset) of a reply
// it built on one of its threads, made on the thread that waited for it,
// look unordered. Memory functions that uninstrumented libraries call are
// left unchecked; what our code does is still checked, and the library's
// locks still order our accesses.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }
