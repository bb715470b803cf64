#include "sensors/bike_cadence_decoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/event_text.h"
#include "support/queue_capture.h"

namespace vel {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<std::uint8_t> Crank(std::uint16_t revolutions, std::uint16_t time) {
  return {0,
          0,
          0,
          0,
          static_cast<std::uint8_t>(time & 0xFF),
          static_cast<std::uint8_t>(time >> 8),
          static_cast<std::uint8_t>(revolutions & 0xFF),
          static_cast<std::uint8_t>(revolutions >> 8)};
}

class BikeCadenceTest : public ::testing::Test {
 protected:
  void Feed(CDisplay& d, const std::vector<std::uint8_t>& payload) {
    ASSERT_EQ(d.ProcessMessage(test::DataMessage(payload), 9), 1);
  }
  // Cadence from one step of dR revolutions in dT, on a fresh decoder.
  int CadenceOf(std::uint16_t fromR, std::uint16_t toR, std::uint16_t fromT, std::uint16_t toT) {
    CBikeCadenceDisplay d({.deviceNumber = 1, .graphIds = {-1, -1}});
    test::FeedUntilDecoded(d, Crank(fromR, fromT));
    Feed(d, Crank(toR, toT));
    return d.Cadence();
  }
  test::ManualTick tick{100};
  test::QueueCapture queues;
};

TEST_F(BikeCadenceTest, IntegerRpmTruncatedAndRolledOver) {
  EXPECT_EQ(CadenceOf(100, 101, 0, 768), 80);
  EXPECT_EQ(CadenceOf(100, 102, 0, 1000), 122) << "truncated, not rounded";
  EXPECT_EQ(CadenceOf(65535, 0, 65000, 488), 60) << "count and time roll over";
  EXPECT_EQ(CadenceOf(0, 5, 0, 1024), 300 - 256) << "only the low 8 bits are kept";
  EXPECT_EQ(CadenceOf(0, 10, 0, 256), 2400 % 256);
}

TEST_F(BikeCadenceTest, EventPerMessageAndFarewell) {
  {
    CBikeCadenceDisplay d({.deviceNumber = 1, .uiid = 3, .graphIds = {2, -1}});
    test::FeedUntilDecoded(d, Crank(100, 0));
    Feed(d, Crank(101, 768));
  }
  EXPECT_THAT(
      queues.Events(),
      ElementsAre(R"({"header":3,"uiid":3,"devicetype":122,"graphid":2,"cadence":0,"tick":100})",
                  R"({"header":3,"uiid":3,"devicetype":122,"graphid":2,"cadence":80,"tick":100})",
                  R"({"header":3,"uiid":3,"devicetype":122,"graphid":2,"cadence":-1,"tick":100})"));
}

TEST_F(BikeCadenceTest, ARiderWhoStopsPedallingFallsToZeroWhileAnotherPedals) {
  CBikeCadenceDisplay a({.deviceNumber = 1, .graphIds = {0, -1}});
  CBikeCadenceDisplay b({.deviceNumber = 2, .channelNumber = 1, .uiid = 1, .graphIds = {1, -1}});
  test::FeedUntilDecoded(a, Crank(0, 0));
  test::FeedUntilDecoded(b, Crank(0, 0));
  Feed(a, Crank(1, 768));
  std::uint16_t bCount = 0;
  std::uint16_t bTime = 0;
  for (int i = 1; i <= 11; ++i) {
    Feed(a, Crank(1, 768));
    Feed(b, Crank(++bCount, bTime += 768));
  }
  EXPECT_EQ(a.Cadence(), 80);
  queues.Events();
  Feed(a, Crank(1, 768));
  EXPECT_EQ(a.Cadence(), 0);
  EXPECT_TRUE(a.Stopped());
  EXPECT_THAT(queues.Events(), ElementsAre(testing::HasSubstr(R"("cadence":0,)")));
  EXPECT_EQ(b.Cadence(), 80);
}

TEST_F(BikeCadenceTest, CountMovingWithoutTimeKeepsTheCadence) {
  CBikeCadenceDisplay d({.deviceNumber = 1, .graphIds = {0, -1}});
  test::FeedUntilDecoded(d, Crank(0, 0));
  Feed(d, Crank(1, 768));
  Feed(d, Crank(3, 768));
  EXPECT_EQ(d.Cadence(), 80);
  EXPECT_EQ(d.Crank().TotalRevolutions(), 3u);
}

TEST_F(BikeCadenceTest, WithoutAGraphNothingAtAll) {
  {
    CBikeCadenceDisplay d({.deviceNumber = 1, .graphIds = {-1, -1}});
    test::FeedUntilDecoded(d, Crank(0, 0));
    Feed(d, Crank(1, 768));
    d.SetGraphId(0, 4);  // fixed for the decoder's life
    Feed(d, Crank(2, 1536));
    EXPECT_EQ(d.GetGraphId(0), -1);
  }
  EXPECT_THAT(queues.Events(), IsEmpty());
}

}  // namespace
}  // namespace vel
