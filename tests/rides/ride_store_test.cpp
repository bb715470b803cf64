#include "rides/ride_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "common/sqlite_connection.h"
#include "common/sqlite_statement.h"
#include "rides/fit_activity.h"
#include "rides/ride_csv.h"
#include "rides/ride_file_name.h"
#include "support/scratch_folder.h"

namespace vel {
namespace {

using Kind = RideChange::Kind;

RideChange Begin(RideRecorder::Handle ride, std::uint64_t member, const std::string& name) {
  RideChange change;
  change.kind = Kind::kBegin;
  change.ride = ride;
  change.start = {member, name, 1'765'000'000'000, {70.0, 1, 30, {}, {}}};
  return change;
}

RideChange Sample(RideRecorder::Handle ride, std::int64_t offsetMs, std::optional<int> power) {
  RideChange change;
  change.ride = ride;
  change.sample.offsetMs = offsetMs;
  change.sample.power = power;
  change.sample.speed = 30.04;
  change.sample.distance = 0.0083 * static_cast<double>(offsetMs / 1000 + 1);
  return change;
}

RideChange At(Kind kind, RideRecorder::Handle ride, std::int64_t offsetMs) {
  return {kind, ride, {}, {}, offsetMs};
}

class RideStoreTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder_;
  std::filesystem::path file_ = folder_ / kRideStoreFile;
};

TEST_F(RideStoreTest, ARideIsKeptAsItWasRiddenWithItsPauseAndFigures) {
  RideStore store(file_);
  store.Apply({Begin(7, 42, "라이더1"), Sample(7, 0, 200), Sample(7, 1000, std::nullopt)});
  EXPECT_TRUE(store.List().at(0).open) << "listed while it is ridden";
  store.Apply({At(Kind::kPause, 7, 1500), At(Kind::kResume, 7, 4000), Sample(7, 4000, 300),
               At(Kind::kEnd, 7, 4800), Begin(8, 43, "라이더2"), At(Kind::kEnd, 8, 900)});

  const auto listed = store.List();
  ASSERT_EQ(listed.size(), 1u) << "a ride without a sample is not kept";
  EXPECT_FALSE(listed[0].open);
  EXPECT_EQ(listed[0].memberName, "라이더1");
  EXPECT_DOUBLE_EQ(listed[0].ridingSeconds, 2.3);
  EXPECT_DOUBLE_EQ(*listed[0].avgPower, 250.0);
  EXPECT_DOUBLE_EQ(*listed[0].kcal, 0.5) << "from the work: 500 J";
  EXPECT_DOUBLE_EQ(listed[0].distanceKm, 0.042);

  const auto stored = store.Load(listed[0].id);
  ASSERT_TRUE(stored);
  EXPECT_THAT(stored->ride.spans,
              testing::ElementsAre(RidingSpan{0, 1500}, RidingSpan{4000, 4800}));
  ASSERT_EQ(stored->ride.samples.size(), 3u);
  EXPECT_EQ(stored->ride.samples[1].power, std::nullopt) << "a gap stays a gap";
  EXPECT_EQ(stored->ride.samples[0].speed, 30.0) << "kept to the tenth the panel shows";
  EXPECT_EQ(stored->body.weightKg, 70.0);
  EXPECT_EQ(stored->body.age, 30);

  EXPECT_EQ(store.Members().size(), 1u);
  EXPECT_TRUE(store.List(43).empty());
  EXPECT_TRUE(store.Delete(listed[0].id));
  EXPECT_FALSE(store.Delete(listed[0].id));
  EXPECT_TRUE(store.List().empty());
}

// A ride whose program died is ended by the next store that opens the file,
// at its last sample; one still ridden by a running program is not.
TEST_F(RideStoreTest, AnAbandonedRideIsClosedAtItsLastSampleAndKept) {
  {
    RideStore store(file_);
    store.Apply({Begin(1, 42, "라이더1"), Sample(1, 0, 200), Sample(1, 1000, 210)});
    store.Apply({Begin(2, 43, "라이더2"), Sample(2, 0, 180)});
  }
  // The first ride's program is gone: its process ended.
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  {
    SqliteConnection raw(file_);
    SqliteStatement owner(raw, "UPDATE rides SET owner_pid = ?1 WHERE member_id = 42");
    owner.Bind(1, std::int64_t{gone});
    owner.Run();
  }
  RideStore next(file_);
  EXPECT_EQ(next.CloseAbandonedRides(), 1);
  const auto listed = next.List(42);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_FALSE(listed[0].open);
  const auto stored = next.Load(listed[0].id);
  EXPECT_TRUE(stored->ride.recovered);
  EXPECT_THAT(stored->ride.spans, testing::ElementsAre(RidingSpan{0, 2000}));
  EXPECT_TRUE(next.List(43).at(0).open) << "this process still rides it";
}

// A store is a file on disk that anything may have changed: a file that is
// no database is refused, and rows no program of ours wrote read back as
// what they say, which the summary and the files take without harm.
TEST_F(RideStoreTest, ACorruptStoreIsRefusedAndNonsenseRowsDoNoHarm) {
  {
    std::ofstream garbage(folder_ / "garbage.db", std::ios::binary);
    garbage << std::string(8192, '\x5a');
  }
  EXPECT_THROW(RideStore{folder_ / "garbage.db"}, SqliteError);

  { RideStore store(file_); }
  {
    SqliteConnection raw(file_);
    raw.Exec(
        "INSERT INTO rides (id, member_id, member_name, start_utc_ms, weight, gender, age, ended, "
        "owner_pid, owner_started) VALUES (5, -1, '', -9223372036854775807, -80, 7, -3, 1, 0, 0);"
        "INSERT INTO spans VALUES (5, 50000, -20000);"
        "INSERT INTO samples VALUES (5, -1000, -5, 99999999, 100000, -7, -3, 0, -1),"
        " (5, 9223372036854775000, NULL, NULL, NULL, 70000, NULL, NULL, NULL);");
  }
  RideStore store(file_);
  const auto stored = store.Load(5);
  ASSERT_TRUE(stored);
  const RideSummary summary = Summarise(stored->ride, stored->body);
  EXPECT_EQ(summary.maxPower, 70000);
  EXPECT_FALSE(FitActivityFile(stored->ride, summary).empty());
  EXPECT_FALSE(RideCsv(stored->ride).empty());
  EXPECT_FALSE(RideFileName(stored->ride, "fit").empty());
  EXPECT_EQ(store.List().size(), 1u);
}

TEST_F(RideStoreTest, ADatabaseOfANewerProgramIsLeftAlone) {
  { RideStore store(file_); }
  {
    SqliteConnection raw(file_);
    raw.Exec("PRAGMA user_version = 99");
  }
  EXPECT_THROW(RideStore{file_}, SqliteError);
}

}  // namespace
}  // namespace vel
