// The copy worker on image files: steps, progress, ranges, refusals, stops and failures, each
// with its messages in order, and the bytes on the target compared with the source file.
#include <gtest/gtest.h>

#include <limits>
#include <semaphore>
#include <thread>

#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"

namespace ombrix {
namespace {

using test::PathU16;
using test::PatternBytes;
using test::ReadFile;
using test::WriteFile;
namespace msg = messages;
using test::Error;
using test::Info;
using test::kDone;
using test::Sequence;
using test::Warning;

constexpr std::int64_t kMiB = 1 << 20;

class CopyImages : public test::TransferTest {
 protected:
  // A source image of `size` pattern bytes and a target image path; returns the source bytes.
  std::string MakeSource(std::int64_t size, std::uint64_t seed = 1) {
    std::string bytes = PatternBytes(static_cast<std::size_t>(size), seed);
    WriteFile(source_file_, bytes);
    source_slot_ = AddSourceImage(source_file_);
    target_slot_ = AddTargetImage(target_file_);
    return bytes;
  }
  std::filesystem::path source_file_ = dir_ / "source.img";
  std::filesystem::path target_file_ = dir_ / "target.img";
  int source_slot_ = -1, target_slot_ = -1;
};

TEST_F(CopyImages, WholeImageIntoNewImage) {
  const std::string source = MakeSource(3 * kMiB + 512);
  RunCopy(WholeJob(source_slot_, target_slot_));

  EXPECT_EQ(ReadFile(target_file_), source);
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{33, 66, 99, 100}));
  EXPECT_EQ(devices_.flushes(), 1);
}

TEST_F(CopyImages, StepSizesFollowTheChunkRule) {
  struct Case {
    std::int64_t size;
    std::size_t steps;
    std::uint16_t first, last;
  };
  for (const Case c : {Case{kMiB - 512, 2047, 0, 100}, Case{kMiB, 1, 100, 100},
                       Case{2 * kMiB + 1024, 4, 49, 100}}) {
    window_.Clear();
    const std::string source = MakeSource(c.size, static_cast<std::uint64_t>(c.size));
    std::filesystem::remove(target_file_);
    RunCopy(WholeJob(source_slot_, target_slot_));
    EXPECT_EQ(ReadFile(target_file_), source) << c.size;
    const auto progress = window_.Progress();
    ASSERT_EQ(progress.size(), c.steps) << c.size;
    EXPECT_EQ(progress.front(), c.first) << c.size;
    EXPECT_EQ(progress.back(), c.last) << c.size;
  }
}

TEST_F(CopyImages, EmptySourceFinishesAtOnceWithoutProgress) {
  MakeSource(0);
  RunCopy(WholeJob(source_slot_, target_slot_));
  EXPECT_TRUE(window_.Progress().empty());
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}));
  EXPECT_EQ(std::filesystem::file_size(target_file_), 0u);  // created by its open
}

TEST_F(CopyImages, RangeModeCopiesExactlyTheRangeOrRefusesIt) {
  constexpr std::int64_t kSectors = 8192;  // a 4 MiB source
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  struct Case {
    const char* name;
    std::int64_t start, count;
    std::optional<std::u16string_view> refusal;
  };
  const Case cases[] = {
      {"count 0 inside both", 100, 0, std::nullopt},
      {"a chunk and a three-sector tail", 100, 2048 + 3, std::nullopt},
      {"end equal to the source's size", kSectors - 10, 10, std::nullopt},
      {"one sector past the source", kSectors - 10, 11, msg::kOutsideSource},
      {"start beyond the source", kSectors + 1, 0, msg::kOutsideSource},
      {"negative start", -1, 5, msg::kStartBelowZero},
      {"negative count", 10, -1, msg::kOutsideSource},
      {"start bytes overflow", kMax / 512 + 1, 1, msg::kOutsideSource},
      {"count bytes overflow", 0, kMax, msg::kOutsideSource},
      {"end overflows", kMax / 512, kMax / 512, msg::kOutsideSource},
  };
  const std::string source = MakeSource(kSectors * 512);
  const std::string before = PatternBytes(5 * kMiB, 99);
  for (const auto& c : cases) {
    window_.Clear();
    WriteFile(target_file_, before);
    RunCopy(RangeJob(source_slot_, target_slot_, c.start, c.count));

    std::string expected = before;
    if (c.refusal) {
      EXPECT_EQ(window_.Sequence(), (Sequence{kDone, Error(*c.refusal)})) << c.name;
    } else {
      const auto at = static_cast<std::size_t>(c.start * 512);
      expected.replace(at, static_cast<std::size_t>(c.count * 512), source, at,
                       static_cast<std::size_t>(c.count * 512));
      EXPECT_EQ(window_.Sequence(),
                (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}))
          << c.name;
      EXPECT_EQ(window_.Progress().size(),
                c.count >= 2048 ? 1 + (c.count - 2048) : static_cast<std::size_t>(c.count))
          << c.name;
    }
    EXPECT_TRUE(ReadFile(target_file_) == expected) << c.name;
  }
}

TEST_F(CopyImages, ImageTargetsGrowAndAreNeverCut) {
  const std::string source = MakeSource(2 * kMiB);
  // Longer than the area: the bytes beyond it stay.
  const std::string longer = PatternBytes(3 * kMiB, 7);
  WriteFile(target_file_, longer);
  RunCopy(WholeJob(source_slot_, target_slot_));
  EXPECT_TRUE(ReadFile(target_file_) == source + longer.substr(2 * kMiB));

  // Shorter than the area: it grows to the area's end.
  WriteFile(target_file_, "short");
  RunCopy(WholeJob(source_slot_, target_slot_));
  EXPECT_TRUE(ReadFile(target_file_) == source);
}

TEST_F(CopyImages, SourceShorterThanItsRecordFailsAtTheFirstMissingStep) {
  const std::string source = MakeSource(3 * kMiB);
  std::filesystem::resize_file(source_file_, 2 * kMiB);
  RunCopy(WholeJob(source_slot_, target_slot_));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kImageTargetGrows), Error(msg::kReadError),
                                          Error(msg::kCopyFailed), kDone}));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{33, 66}));
  EXPECT_TRUE(ReadFile(target_file_) == source.substr(0, 2 * kMiB));
}

TEST_F(CopyImages, StopDuringAStepEndsAfterThatStepLikeACompleteCopy) {
  const std::string source = MakeSource(5 * kMiB);
  StopAtStep(2);
  RunCopy(WholeJob(source_slot_, target_slot_));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{20, 40}));
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}));
  EXPECT_TRUE(ReadFile(target_file_) == source.substr(0, 2 * kMiB));
  EXPECT_EQ(devices_.flushes(), 1);  // a stopped copy is made durable too
}

TEST_F(CopyImages, FailuresReportInTheirOrderAndKeepEarlierSteps) {
  struct Case {
    const char* name;
    test::MediumFaults source, target;
    std::vector<std::u16string> sequence;
    std::int64_t steps_written;  // whole steps on the target afterwards
  };
  const auto grows = Info(msg::kImageTargetGrows);
  const auto failed = Error(msg::kCopyFailed);
  const Case cases[] = {
      {"read error at step 2",
       {.fail_read_at = 1},
       {},
       {grows, Error(msg::kReadError), failed, kDone},
       1},
      {"short read at step 3",
       {.short_read_at = 2},
       {},
       {grows, Error(msg::kReadError), failed, kDone},
       2},
      {"write error at step 3",
       {},
       {.fail_write_at = 2},
       {grows, Error(msg::kWriteError), failed, kDone},
       2},
      {"short write at step 1",
       {},
       {.short_write_at = 0},
       {grows, Error(msg::kWriteError), failed, kDone},
       0},
      {"flush fails", {}, {.fail_flush = true}, {grows, Error(msg::kWriteError), failed, kDone}, 3},
      {"target position at step 2", {}, {.fail_position_at = 2}, {grows, failed, kDone}, 1},
      {"first source position",
       {.fail_position_at = 0},
       {},
       {grows, kDone, Error(msg::kPositionError)},
       0},
      {"first target position",
       {},
       {.fail_position_at = 0},
       {grows, kDone, Error(msg::kPositionError)},
       0},
      {"source does not open",
       {.open_error = platform::OpenError::kOther},
       {},
       {kDone, Error(msg::kSourceOpenError)},
       0},
      {"target does not open",
       {},
       {.open_error = platform::OpenError::kNotFound},
       {kDone, Error(msg::kTargetOpenError)},
       0},
      {"target in use",
       {},
       {.open_error = platform::OpenError::kBusy},
       {kDone, Warning(msg::kTargetBusy), Error(msg::kTargetOpenError)},
       0},
  };
  const std::string source = MakeSource(3 * kMiB);
  for (const auto& c : cases) {
    window_.Clear();
    std::filesystem::remove(target_file_);
    devices_.For(PathU16(source_file_)) = c.source;
    devices_.For(PathU16(target_file_)) = c.target;
    RunCopy(WholeJob(source_slot_, target_slot_));
    EXPECT_EQ(window_.Sequence(), c.sequence) << c.name;
    EXPECT_EQ(window_.DoneCount(), 1) << c.name;
    const std::string target = std::filesystem::exists(target_file_) ? ReadFile(target_file_) : "";
    EXPECT_GE(target.size(), static_cast<std::size_t>(c.steps_written * kMiB)) << c.name;
    EXPECT_TRUE(target.substr(0, c.steps_written * kMiB) ==
                source.substr(0, c.steps_written * kMiB))
        << c.name;
    EXPECT_EQ(devices_.open_media(), 0) << c.name;
  }
}

TEST_F(CopyImages, TargetHeldByAnotherWriterIsReportedAsInUse) {
  MakeSource(kMiB);
  WriteFile(target_file_, "");
  auto holder = real_->Open(PathU16(target_file_), platform::Access::kReadWrite,
                            platform::Share::kRead, platform::Disposition::kOpenExisting);
  ASSERT_TRUE(holder.medium);
  RunCopy(WholeJob(source_slot_, target_slot_));
  EXPECT_EQ(window_.Sequence(),
            (Sequence{kDone, Warning(msg::kTargetBusy), Error(msg::kTargetOpenError)}));
}

TEST_F(CopyImages, SlotsOutsideTheTablesAreOpenErrors) {
  MakeSource(kMiB);
  RunCopy(WholeJob(-1, target_slot_));
  RunCopy(WholeJob(source_slot_, kMaxEntries));
  EXPECT_EQ(window_.Sequence(),
            (Sequence{kDone, Error(msg::kSourceOpenError), kDone, Error(msg::kTargetOpenError)}));
}

std::binary_semaphore worker_returned{0};
std::uint32_t SignallingCopy(const TransferJob& job, const TransferEnvironment& environment) {
  const std::uint32_t result = CopyWorker(job, environment);
  worker_returned.release();
  return result;
}

TEST_F(CopyImages, StartTransferRunsTheWorkerOnItsOwnThread) {
  const std::string source = MakeSource(2 * kMiB);
  std::thread::id worker_thread;
  int counted_while_running = 0;
  window_.on_event = [&](const test::WindowEvent&) {
    worker_thread = std::this_thread::get_id();
    counted_while_running = TransfersRunning();
  };
  ASSERT_TRUE(StartTransfer(SignallingCopy, WholeJob(source_slot_, target_slot_), Environment()));
  worker_returned.acquire();
  EXPECT_NE(worker_thread, std::this_thread::get_id());
  EXPECT_EQ(counted_while_running, 1);
  // It stops counting once it has returned.
  for (int i = 0; i < 5000 && TransfersRunning() != 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(TransfersRunning(), 0);
  EXPECT_EQ(window_.DoneCount(), 1);
  EXPECT_TRUE(ReadFile(target_file_) == source);
}

// A stop from another thread races the loop; run under ThreadSanitizer too.
TEST_F(CopyImages, StopRacingTheLoopEndsCleanlyWithTheFinishedStepsWritten) {
  const std::string source = MakeSource(16 * kMiB);
  for (int delay_us : {0, 200, 2000, 20000}) {
    window_.Clear();
    run_flag_ = 1;
    std::filesystem::remove(target_file_);
    std::thread worker([&] { RunCopy(WholeJob(source_slot_, target_slot_)); });
    std::this_thread::sleep_for(std::chrono::microseconds(delay_us));
    run_flag_ = 0;
    worker.join();

    EXPECT_EQ(window_.DoneCount(), 1);
    const auto sequence = window_.Sequence();
    ASSERT_GE(sequence.size(), 2u);
    EXPECT_EQ(sequence[sequence.size() - 2], Info(msg::kCopyDone));
    EXPECT_EQ(sequence.back(), kDone);
    const std::size_t steps = window_.Progress().size();
    EXPECT_TRUE(ReadFile(target_file_) == source.substr(0, steps * kMiB)) << delay_us;
  }
}

}  // namespace
}  // namespace ombrix
