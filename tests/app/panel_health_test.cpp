#include "app/panel_health.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/tick_clock.h"
#include "sensors/sensor_event.h"
#include "support/board_rig.h"

namespace vel {
namespace {

using ::testing::HasSubstr;

class PanelHealthTest : public ::testing::Test, protected test::BoardRig {
 protected:
  void HeartRate(int bpm) {
    PushEvent(BuildReadingEvent(EventHeader::kHeartRate, 3, 120, 0, EventValue::Integer(bpm),
                                TickCount64()));
    board->DrainEvents();
  }
  bool Lost() const {
    return view.panels[3].signalLost[static_cast<std::size_t>(SensorBox::kHeartRate)];
  }

  test::ManualTick tick{5000};
};

TEST_F(PanelHealthTest, ASensorSilentForFiveSecondsIsMarkedAndLoggedOnceUntilItSendsAgain) {
  HeartRate(120);
  test::ManualTick::Advance(PanelHealth::kSilentMs - 1);
  board->UpdateClocks();
  EXPECT_FALSE(Lost());
  test::ManualTick::Advance(1);
  board->UpdateClocks();
  board->UpdateClocks();
  EXPECT_TRUE(Lost());
  auto logged = LogTexts();
  ASSERT_EQ(logged.size(), 1u);
  EXPECT_THAT(logged[0], HasSubstr("heart rate sensor of rider panel 3 has sent nothing"));

  HeartRate(121);
  EXPECT_FALSE(Lost());
  EXPECT_THAT(LogTexts(), testing::ElementsAre(HasSubstr("sends again")));

  // Switched off (its value retracted): off is not silent.
  HeartRate(-1);
  test::ManualTick::Advance(3 * PanelHealth::kSilentMs);
  board->UpdateClocks();
  EXPECT_FALSE(Lost());
}

}  // namespace
}  // namespace vel
