#include "publish/spool.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "publish/record_queue.h"

namespace publish {
namespace {

namespace fs = std::filesystem;

class SpoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string folder = (fs::temp_directory_path() / "spool-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    folder_ = folder;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string Dir() const { return (folder_ / "spool").string(); }
  RecordQueue Reopened(std::size_t limit = 100) { return RecordQueue(limit, Spool::Open(Dir())); }

  // Hands the next waiting record over under `mid` and returns its payload.
  static std::string HandOver(RecordQueue& queue, int mid) {
    QueuedRecord* record = queue.NextWaiting();
    if (record == nullptr) return "none";
    queue.MarkHandedOver(*record, mid);
    return record->payload;
  }

  fs::path folder_;
};

// What the broker acknowledged leaves the disk; what it did not comes back in order after a
// restart, and numbering goes on from the last number ever given, also once all have left.
TEST_F(SpoolTest, KeepsTheUnacknowledgedInOrderAndNumbersOnAcrossRestarts) {
  {
    RecordQueue queue = Reopened();
    ASSERT_TRUE(queue.Spooled());
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(queue.Push(2, R"({"n":)" + std::to_string(i) + "}"), i);
    EXPECT_EQ(HandOver(queue, 11), R"({"n":1,"seq":1})");
    EXPECT_EQ(HandOver(queue, 12), R"({"n":2,"seq":2})");
    queue.Acknowledged(12);  // out of order: the second leaves, the first stays
  }
  {
    RecordQueue queue = Reopened();
    EXPECT_TRUE(queue.TakeSpoolError().empty());
    EXPECT_EQ(queue.Size(), 3u);
    EXPECT_EQ(HandOver(queue, 1), R"({"n":1,"seq":1})");
    EXPECT_EQ(HandOver(queue, 2), R"({"n":3,"seq":3})");
    EXPECT_EQ(HandOver(queue, 3), R"({"n":4,"seq":4})");
    EXPECT_EQ(queue.NextWaiting(), nullptr);
    EXPECT_EQ(queue.Push(2, R"({"n":5})"), 5u);
    EXPECT_EQ(HandOver(queue, 4), R"({"n":5,"seq":5})");
    for (int mid = 1; mid <= 4; ++mid) queue.Acknowledged(mid);
    EXPECT_EQ(queue.Size(), 0u);
  }
  RecordQueue queue = Reopened();
  EXPECT_EQ(queue.Size(), 0u);
  EXPECT_EQ(queue.Push(2, "{}"), 6u);
}

// A full queue drops its oldest on disk too; the count of what went is kept with the record
// that is to tell it, across a restart, and a smaller bound at the restart drops more.
TEST_F(SpoolTest, DropsTheOldestWhenFullAndTheCountSurvivesARestart) {
  {
    RecordQueue queue = Reopened(3);
    for (int i = 1; i <= 5; ++i) queue.Push(1, R"({"a":1})");
    EXPECT_EQ(queue.DroppedTotal(), 2u);
  }
  {
    RecordQueue queue = Reopened(3);
    EXPECT_EQ(queue.Size(), 3u);
    EXPECT_EQ(queue.NextWaiting()->payload, R"({"a":1,"seq":3,"dropped":2})");
  }
  RecordQueue queue = Reopened(1);
  EXPECT_EQ(queue.Size(), 1u);
  EXPECT_EQ(HandOver(queue, 1), R"({"a":1,"seq":5,"dropped":4})");
}

// A second reader on the same directory is refused while the first has it, not after.
TEST_F(SpoolTest, RefusesASecondOpenerWhileTheFirstHoldsIt) {
  {
    const Spool::Opening first = Spool::Open(Dir());
    ASSERT_EQ(first.failure, Spool::Failure::kNone) << first.error;
    const Spool::Opening second = Spool::Open(Dir());
    EXPECT_EQ(second.failure, Spool::Failure::kHeld);
    EXPECT_EQ(second.spool, nullptr);
    EXPECT_NE(second.error.find(Dir()), std::string::npos) << second.error;
  }
  EXPECT_EQ(Spool::Open(Dir()).failure, Spool::Failure::kNone);
}

// A file that is no database, one damaged within, or a directory that cannot be made: the
// error names the file, once, and the queue goes on in memory from 1.
TEST_F(SpoolTest, AnUnusableSpoolLeavesTheQueueInMemory) {
  fs::create_directories(Dir());
  std::ofstream(Dir() + "/records.db") << std::string(8192, 'x');
  // 2 000 records fill some 60 pages of 4 KiB; four of them in the middle are overwritten.
  const std::string damaged = (folder_ / "damaged").string();
  {
    Spool::Opening opening = Spool::Open(damaged);
    SpoolChange change;
    for (std::uint64_t seq = 1; seq <= 2000; ++seq)
      change.added.push_back({seq, 1, std::string(100, 'j'), 0});
    ASSERT_EQ(opening.spool->Apply(change), "");
  }
  std::fstream(damaged + "/records.db", std::ios::in | std::ios::out | std::ios::binary)
      .seekp(8 * 4096)
      .write(std::string(4 * 4096, 'x').data(), 4 * 4096);
  fs::path file = folder_ / "file";
  std::ofstream(file) << "x";
  for (const std::string& dir : {Dir(), damaged, (file / "spool").string()}) {
    Spool::Opening opening = Spool::Open(dir);
    EXPECT_EQ(opening.failure, Spool::Failure::kUnusable) << dir;
    const std::string error = opening.error;
    EXPECT_NE(error.find(dir), std::string::npos) << error;
    RecordQueue queue(10, std::move(opening));
    EXPECT_FALSE(queue.Spooled());
    EXPECT_EQ(queue.TakeSpoolError(), error);
    EXPECT_EQ(queue.TakeSpoolError(), "");
    EXPECT_EQ(queue.Push(1, "{}"), 1u);
    EXPECT_EQ(queue.Size(), 1u);
  }
  // The file is left for whoever looks into it.
  EXPECT_EQ(fs::file_size(Dir() + "/records.db"), 8192u);
}

// A disk that fills while records come: the spool is given up with one error and no record is
// lost from the queue, nor its order.
TEST_F(SpoolTest, AFullDiskGivesTheSpoolUpAndKeepsEveryRecordInMemory) {
  RecordQueue queue = Reopened(1000);
  ASSERT_TRUE(queue.Spooled());
  // Files of this process may not grow beyond a little more than the spool has now; a write
  // beyond fails as on a full disk (EFBIG, the signal ignored).
  struct rlimit before {};
  getrlimit(RLIMIT_FSIZE, &before);
  const auto old_handler = signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = before;
  small.rlim_cur = 64 * 1024;
  setrlimit(RLIMIT_FSIZE, &small);
  std::vector<std::string> errors;
  for (int i = 1; i <= 200; ++i) {
    queue.Push(1, R"({"pad":")" + std::string(1000, 'p') + R"("})");
    if (std::string error = queue.TakeSpoolError(); !error.empty()) errors.push_back(error);
  }
  setrlimit(RLIMIT_FSIZE, &before);
  signal(SIGXFSZ, old_handler);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(Dir()), std::string::npos) << errors[0];
  EXPECT_FALSE(queue.Spooled());
  EXPECT_EQ(queue.Size(), 200u);
  for (int mid = 1; mid <= 200; ++mid) {
    QueuedRecord* record = queue.NextWaiting();
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->seq, static_cast<std::uint64_t>(mid));
    queue.MarkHandedOver(*record, mid);
  }
}

}  // namespace
}  // namespace publish
