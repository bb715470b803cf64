#include "vel-server/group_commit_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>
#include <map>
#include <string>
#include <vector>

#include "support/scratch_folder.h"

namespace vel::companion {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using Kind = SqliteTransaction::Kind;

class GroupCommitWriterTest : public ::testing::Test {
 protected:
  GroupCommitWriterTest() {
    SqliteTransaction tx(database_, Kind::kWrite);
    tx.Exec("CREATE TABLE notes (text TEXT NOT NULL UNIQUE)");
    tx.Commit();
  }

  // As a store does it: a transaction of its own (a savepoint in a group).
  void Insert(const char* text) {
    SqliteTransaction tx(database_, Kind::kWrite);
    tx.Prepare("INSERT INTO notes (text) VALUES (?1)").Bind(1, std::string_view(text)).Run();
    tx.Commit();
  }

  // What a reader sees: the last committed state.
  int Count(const char* text) {
    SqliteTransaction tx(database_, Kind::kRead);
    auto count = tx.Prepare("SELECT COUNT(*) FROM notes WHERE text = ?1");
    count.Bind(1, std::string_view(text)).Step();
    return count.Int(0);
  }

  // A change inserting the texts; its steps and outcome go to `events_`
  // (only the writer's thread writes them until Stop).
  GroupCommitWriter::Change Inserting(std::vector<const char*> texts) {
    const std::string name = texts.front();
    return {[this, texts, name] {
              events_.push_back("apply " + name);
              for (const char* text : texts) Insert(text);
            },
            [this, name](const std::string& failure) {
              events_.push_back("done " + name);
              failures_[name] = failure;
              // Told only once a reader can see it.
              if (failure.empty()) seenWhenDone_[name] = Count(name.c_str());
            }};
  }

  test::ScratchFolder scratch_;
  SqliteDatabase database_{scratch_ / "group.db"};
  std::vector<std::string> events_;
  std::map<std::string, std::string> failures_;
  std::map<std::string, int> seenWhenDone_;
};

TEST_F(GroupCommitWriterTest, ChangesArrivingDuringAGroupCommitTogetherAndAFailureStaysItsOwn) {
  GroupCommitWriter writer(database_, 8);
  std::promise<void> applying;
  std::promise<void> release;
  GroupCommitWriter::Change first = Inserting({"a"});
  first.apply = [this, &applying, released = release.get_future().share(), apply = first.apply] {
    apply();
    applying.set_value();
    released.wait();
  };
  ASSERT_TRUE(writer.Post(std::move(first)));
  applying.get_future().wait();

  // The group is open and holds "a": readers go on beside it and see none
  // of it yet.
  EXPECT_EQ(Count("a"), 0);
  ASSERT_TRUE(writer.Post(Inserting({"b"})));
  ASSERT_TRUE(writer.Post(Inserting({"c", "a"})));  // "a" again: its own statement fails
  ASSERT_TRUE(writer.Post(Inserting({"d"})));
  release.set_value();
  writer.Stop();

  EXPECT_THAT(events_, ElementsAre("apply a", "done a", "apply b", "apply c", "apply d", "done b",
                                   "done c", "done d"));
  EXPECT_EQ(failures_["a"], "");
  EXPECT_EQ(failures_["b"], "");
  EXPECT_THAT(failures_["c"], HasSubstr("UNIQUE"));
  EXPECT_EQ(failures_["d"], "");
  EXPECT_EQ(seenWhenDone_["a"], 1);
  EXPECT_EQ(seenWhenDone_["b"], 1);
  EXPECT_EQ(seenWhenDone_["d"], 1);
  EXPECT_EQ(Count("c"), 0) << "the failed change is undone whole, and alone";
  EXPECT_EQ(Count("a"), 1);
  EXPECT_FALSE(writer.Post(Inserting({"e"}))) << "stopped";
  EXPECT_EQ(Count("e"), 0);
}

TEST_F(GroupCommitWriterTest, AChangeThatCannotBeWrittenIsRefusedAndTheWriterGoesOn) {
  GroupCommitWriter writer(database_, 8);
  std::promise<std::string> refused;
  std::promise<std::string> kept;
  ASSERT_TRUE(
      writer.Post({[this] {
                     SqliteTransaction tx(database_, Kind::kWrite);
                     tx.Exec("INSERT INTO missing_table VALUES (1)");
                     tx.Commit();
                   },
                   [&refused](const std::string& failure) { refused.set_value(failure); }}));
  ASSERT_TRUE(writer.Post({[this] { Insert("kept"); },
                           [&kept](const std::string& failure) { kept.set_value(failure); }}));
  EXPECT_THAT(refused.get_future().get(), HasSubstr("missing_table"));
  EXPECT_EQ(kept.get_future().get(), "");
  EXPECT_EQ(Count("kept"), 1);
}

}  // namespace
}  // namespace vel::companion
