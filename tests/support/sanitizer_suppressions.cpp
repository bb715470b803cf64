// What the sanitizers leave out of their checks in the test program. Each
// entry concerns cpprestsdk, which is built without instrumentation, and
// none hides code of ours.

// cpprestsdk finishes a failed or unread exchange (closing the reply's
// stream buffers) in tasks on its own thread pool after the waiting call
// has returned; when the process ends right after such an exchange, those
// tasks are still in flight and LeakSanitizer reports them. They finish a
// moment later in a running program.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libcpprest.so\n";
}

// ThreadSanitizer does not see the atomics inside the library: a task's
// completion event dropping the last reference to a task (in the library)
// looks unordered against the waiting thread's accesses to that task (in
// the inlined pplx headers). The listener's lazily built table of default
// reason phrases is written under a lock the tool cannot see either.
extern "C" const char* __tsan_default_suppressions() {
  return "race:_Task_completion_event_impl\n"
         "race:get_default_reason_phrase\n";
}
