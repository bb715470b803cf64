#include "pty_room.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>

#include "ant/sim/simulated_stick.h"

namespace vel {
namespace {

// What a stick may have sent that the program has not read yet; more is
// dropped, oldest first, as a stick's own buffer would.
constexpr std::size_t kMaxPendingBytes = 64 * 1024;

}  // namespace

// One stick on the master side of a pseudo-terminal. The room keeps the
// slave side open too, so the terminal lives while the program closes and
// opens it, and sets it raw so that nothing the stick sends is taken for a
// line to edit.
class PtyRoom::Terminal : private sim::StickSink {
 public:
  explicit Terminal(sim::SimulatedStick& stick) : stick_(stick) {}
  ~Terminal() override {
    if (attached_) stick_.Detach(this);
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
  }
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  bool Open(std::string& error) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    char name[128] = {};
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0 ||
        ptsname_r(master_, name, sizeof name) != 0) {
      error = std::string("no pseudo-terminal: ") + std::strerror(errno);
      return false;
    }
    path_ = name;
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) {
      error = "cannot open " + path_ + ": " + std::strerror(errno);
      return false;
    }
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    attached_ = stick_.Attach(this);
    if (!attached_) error = "the simulated stick is taken";
    return attached_;
  }

  const std::string& Path() const { return path_; }
  int Master() const { return master_; }
  bool HasPending() const { return !pending_.empty(); }

  // The program wrote: the stick takes it.
  void TakeWritten() {
    std::uint8_t buffer[4096];
    for (;;) {
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) return;
      stick_.Receive(buffer, static_cast<std::size_t>(n));
    }
  }
  void Pump() { stick_.Pump(); }
  std::optional<std::uint64_t> NextDueUs() const { return stick_.NextDueUs(); }

  // Sends what the terminal takes now; the rest waits for room.
  void Flush() {
    while (!pending_.empty()) {
      const std::size_t run = std::min<std::size_t>(pending_.size(), 4096);
      std::uint8_t chunk[4096];
      std::copy_n(pending_.begin(), run, chunk);
      const ssize_t n = ::write(master_, chunk, run);
      if (n <= 0) return;
      pending_.erase(pending_.begin(), pending_.begin() + n);
    }
  }

 private:
  // On the room's thread: Receive and Pump call it.
  void OnStickBytes(const std::uint8_t* bytes, std::size_t count) override {
    pending_.insert(pending_.end(), bytes, bytes + count);
    if (pending_.size() > kMaxPendingBytes) {
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(
                                                              pending_.size() - kMaxPendingBytes));
    }
    Flush();
  }
  void OnStickGone() override {}

  sim::SimulatedStick& stick_;
  std::string path_;
  int master_ = -1;
  int slave_ = -1;
  bool attached_ = false;
  std::deque<std::uint8_t> pending_;
};

PtyRoom::PtyRoom(std::shared_ptr<sim::VirtualRoom> room) : room_(std::move(room)) {
  if (pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
}

PtyRoom::~PtyRoom() {
  terminals_.clear();
  for (int fd : wake_) {
    if (fd >= 0) ::close(fd);
  }
}

bool PtyRoom::Open(int sticks, std::string& error) {
  if (sticks < 1 || sticks > sim::VirtualRoom::kMaxSticks) {
    error = "the room has 1 to " + std::to_string(sim::VirtualRoom::kMaxSticks) + " sticks";
    return false;
  }
  if (wake_[0] < 0) {
    error = "no pipe";
    return false;
  }
  for (int s = 0; s < sticks; ++s) {
    terminals_.push_back(std::make_unique<Terminal>(room_->Stick(s)));
    if (!terminals_.back()->Open(error)) return false;
  }
  return true;
}

std::vector<std::string> PtyRoom::Paths() const {
  std::vector<std::string> paths;
  for (const auto& t : terminals_) paths.push_back(t->Path());
  return paths;
}

void PtyRoom::Stop() {
  stop_.store(true);
  const char byte = 0;
  // Async-signal-safe; a full pipe already wakes the loop.
  [[maybe_unused]] const ssize_t n = ::write(wake_[1], &byte, 1);
}

void PtyRoom::Run() {
  std::vector<pollfd> fds(terminals_.size() + 1);
  while (!stop_.load()) {
    std::optional<std::uint64_t> due;
    for (const auto& t : terminals_) {
      const std::optional<std::uint64_t> next = t->NextDueUs();
      if (next && (!due || *next < *due)) due = next;
    }
    int timeoutMs = -1;
    if (due) {
      const std::uint64_t now = room_->Clock().NowUs();
      // Rounded up: waking before the due time would only sleep again.
      timeoutMs = *due <= now ? 0 : static_cast<int>((*due - now + 999) / 1000);
    }
    for (std::size_t i = 0; i < terminals_.size(); ++i) {
      const short events = terminals_[i]->HasPending() ? POLLIN | POLLOUT : POLLIN;
      fds[i] = pollfd{terminals_[i]->Master(), events, 0};
    }
    fds.back() = pollfd{wake_[0], POLLIN, 0};
    if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) return;
    for (std::size_t i = 0; i < terminals_.size(); ++i) {
      if ((fds[i].revents & POLLIN) != 0) terminals_[i]->TakeWritten();
      if ((fds[i].revents & POLLOUT) != 0) terminals_[i]->Flush();
      terminals_[i]->Pump();
    }
  }
}

}  // namespace vel
