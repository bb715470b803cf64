// A stick behind a serial bridge, named in VEL_ANT_TTY, that goes away and
// comes back at the same path while the program runs. The stick is a
// simulated one on real time, played on the master side of a
// pseudo-terminal; the program opens a link to the slave, as it would a
// forwarded port.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "ant/sim/simulated_stick.h"
#include "ant/sim/virtual_room.h"
#include "app/rider_board.h"
#include "support/board_rig.h"
#include "support/scratch_folder.h"
#include "support/wait_until.h"

namespace vel {
namespace {

using ::testing::Contains;
using ::testing::IsEmpty;

// Plays one simulated stick on a pseudo-terminal whose slave `link` points
// to. A bridge thread hands what the program writes to the stick and pumps
// it; the stick's bytes go back through the master.
class PtyStick : private sim::StickSink {
 public:
  PtyStick(sim::SimulatedStick& stick, std::filesystem::path link)
      : stick_(stick), link_(std::move(link)) {}
  ~PtyStick() override { Pull(); }

  // A new pseudo-terminal at the link, with the stick freshly powered.
  bool PlugIn() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return false;
    std::error_code ec;
    std::filesystem::create_symlink(ptsname(master_), link_, ec);
    if (ec || !stick_.Attach(this)) return false;
    stop_ = false;
    bridge_ = std::thread(&PtyStick::Bridge, this);
    return true;
  }
  // The path goes away and the program's side is hung up.
  void Pull() {
    stop_ = true;
    if (bridge_.joinable()) bridge_.join();
    stick_.Detach(this);
    std::error_code ec;
    std::filesystem::remove(link_, ec);
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  void Bridge() {
    std::uint8_t buffer[512];
    while (!stop_.load()) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 5) > 0 && (p.revents & POLLIN) != 0) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) stick_.Receive(buffer, static_cast<std::size_t>(n));
      }
      stick_.Pump();
    }
  }
  // Called by the stick on the bridge thread.
  void OnStickBytes(const std::uint8_t* bytes, std::size_t count) override {
    std::size_t done = 0;
    while (done < count && !stop_.load()) {
      const ssize_t n = ::write(master_, bytes + done, count - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        continue;
      }
      pollfd p{master_, POLLOUT, 0};
      if (poll(&p, 1, 100) <= 0) return;  // nobody reads: the bytes are lost, as on a wire
    }
  }
  void OnStickGone() override {}

  sim::SimulatedStick& stick_;
  const std::filesystem::path link_;
  int master_ = -1;
  std::atomic<bool> stop_{false};
  std::thread bridge_;
};

class RoomTtyTest : public ::testing::Test, protected test::BoardRig {
 protected:
  RoomTtyTest() : BoardRig(1) {}
  ~RoomTtyTest() override { board.reset(); }  // the program lets go of the tty first

  // Drains as the board's timer does until `done` holds.
  bool DrainUntil(const std::function<bool()>& done) {
    return test::WaitUntil([&] {
      board->DrainEvents();
      return done();
    });
  }
  std::size_t HeartRateSamples() {
    std::size_t n = 0;
    for (int s : view.SeriesOfColour(0, series_colour::kHeartRate)) n += view.Samples(0, s).size();
    return n;
  }

  test::ScratchFolder scratch;
  std::shared_ptr<sim::VirtualRoom> room =
      std::make_shared<sim::VirtualRoom>(std::make_shared<sim::SteadySimClock>());
  PtyStick stick{room->Stick(0), scratch / "ttyANT"};
};

TEST_F(RoomTtyTest, AStickThatGoesAwayAndComesBackAtItsPathFeedsThePanelAgain) {
  ASSERT_TRUE(stick.PlugIn());
  LoadTeam({R"({"id":101,"name":"r1","device":[)" + test::DeviceJson(1, 12001, 120) + "]}"});
  ReceiverSettings settings;
  const std::string path = (scratch / "ttyANT").string();
  settings.discovery = DiscoverySettings::FromValues(path.c_str(), nullptr);
  settings.discovery.sysfsRoot = "/nonexistent";
  settings.discovery.libusbLibrary = "libvel-no-such-libusb.so.0";
  settings.resetWait = std::chrono::milliseconds(0);
  settings.rescanPeriod = std::chrono::milliseconds(100);
  board->OpenSticks(settings);
  ASSERT_TRUE(DrainUntil([&] {
    const AntReceiver* r = board->Sticks().Find(0);
    return r != nullptr && r->ChannelCount() == sim::SimulatedStick::kChannels;
  }));
  Seat(0, 101);
  ASSERT_TRUE(DrainUntil([&] { return Shows(0, PanelValue::kHeartRate); }));
  LogTexts();

  stick.Pull();
  ASSERT_TRUE(DrainUntil([&] { return board->Sticks().LiveCount() == 0; }));
  board->DrainEvents();  // the stick may have been lost after the drain that saw it
  EXPECT_TRUE(board->Slot(0, 120).Waiting());
  const std::size_t before = HeartRateSamples();

  ASSERT_TRUE(stick.PlugIn());
  ASSERT_TRUE(DrainUntil([&] { return HeartRateSamples() > before + 4; }))
      << "the strap's values come back without a restart";
  const auto lines = LogTexts();
  EXPECT_THAT(lines, Contains("USB device( 0 ) is gone: " + path));
  EXPECT_THAT(lines, Contains("USB device( 0 ) is back: " + path)) << "the same stick, same port";
  EXPECT_EQ(board->Slot(0, 120).receiver, 1);
  EXPECT_TRUE(board->BoxChecked(0, SensorBox::kHeartRate));
  EXPECT_THAT(messages.Texts(), IsEmpty());
}

}  // namespace
}  // namespace vel
