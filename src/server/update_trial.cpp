#include "server/update_trial.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <utility>

namespace vel {
namespace {

constexpr char kRunsVerdict = 'R';

// Writes one byte to a pipe whose reader may be gone (the installing run
// killed) without the SIGPIPE that would end this run: the signal is held
// for this thread and taken back if the write raised it.
void WriteWithoutSigpipe(int fd, char byte) {
  sigset_t pipe;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  sigset_t before;
  pthread_sigmask(SIG_BLOCK, &pipe, &before);
  ssize_t put;
  do {
    put = ::write(fd, &byte, 1);
  } while (put < 0 && errno == EINTR);
  if (put < 0 && errno == EPIPE && !sigismember(&before, SIGPIPE)) {
    const timespec now{0, 0};
    sigtimedwait(&pipe, nullptr, &now);
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace

std::optional<UpdateTrial> UpdateTrial::Begin(std::string* error) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    if (error) *error = std::string("pipe: ") + std::strerror(errno);
    return std::nullopt;
  }
  return UpdateTrial(fds[0], fds[1]);
}

UpdateTrial::Verdict UpdateTrial::Wait(std::chrono::milliseconds limit) {
  // Only the runs of the new program may hold the write end now, or the
  // end of the pipe never comes.
  write_.Reset();
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return Verdict::kTimedOut;
    pollfd waiting{read_.Get(), POLLIN, 0};
    const int ready =
        ::poll(&waiting, 1, static_cast<int>(std::min<long long>(left.count(), 60000)));
    if (ready < 0 && errno != EINTR) return Verdict::kDied;
    if (ready <= 0) continue;
    char verdict = 0;
    const ssize_t got = ::read(read_.Get(), &verdict, 1);
    if (got < 0 && errno == EINTR) continue;
    return got == 1 && verdict == kRunsVerdict ? Verdict::kRuns : Verdict::kDied;
  }
}

TrialReport TrialReport::FromEnvironment() {
  const char* named = std::getenv(kUpdateTrialVariable);
  if (named == nullptr) return {};
  const std::string_view text(named);
  int fd = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), fd);
  ::unsetenv(kUpdateTrialVariable);
  if (ec != std::errc() || end != text.data() + text.size() || fd < 0) return {};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) return {};
  // Handed on only on purpose, to the next run of the cycle.
  ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  return TrialReport(fd);
}

void TrialReport::ReportRuns() {
  if (!fd_) return;
  WriteWithoutSigpipe(fd_.Get(), kRunsVerdict);
  fd_.Reset();
}

}  // namespace vel
