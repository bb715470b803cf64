#include "rides/ride_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "support/queue_capture.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

using ::testing::HasSubstr;

RideSample At(std::int64_t offsetMs, int power) {
  RideSample sample;
  sample.offsetMs = offsetMs;
  sample.power = power;
  return sample;
}

// A store that cannot be written (here: its folder is missing) is logged
// once; the ride stays in memory and goes in once the store takes it.
TEST(RideWriterTest, AFailedStoreIsLoggedOnceAndTheRideGoesInWhenItCan) {
  test::QueueCapture queues;
  const test::ScratchFolder folder;
  const auto file = folder / "later" / kRideStoreFile;
  {
    // Only Flush and the end store: the period never comes.
    RideWriter writer(file, std::chrono::hours(1));
    const auto ride = writer.Begin({42, "라이더1", 1'765'000'000'000, {}});
    writer.Record(ride, At(0, 200));
    EXPECT_FALSE(writer.Flush());
    writer.Record(ride, At(1000, 210));
    EXPECT_FALSE(writer.Flush());
    const auto logged = queues.LogTexts();
    ASSERT_EQ(std::count_if(logged.begin(), logged.end(),
                            [](const std::string& line) {
                              return line.find("cannot store") != std::string::npos;
                            }),
              1);

    std::filesystem::create_directories(folder / "later");
    EXPECT_TRUE(writer.Flush());
    EXPECT_THAT(queues.LogTexts(), testing::Contains(HasSubstr("stored again")));
    writer.Record(ride, At(2000, 220));
    writer.End(ride, 2500);
  }
  RideStore store(file);
  const auto listed = store.List();
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_FALSE(listed[0].open) << "its end went in as the writer ended";
  EXPECT_EQ(store.Load(listed[0].id)->ride.samples.size(), 3u);
  EXPECT_DOUBLE_EQ(*listed[0].avgPower, 210.0);
}

}  // namespace
}  // namespace vel
