// Bounded write-back and sparse image targets where the core builds (under Wine too): the bound
// holds at every step, nothing leaves the cache before the medium has it, a failure that the
// early write-back brings to light ends the transfer as that step's failed write, and a file
// system that cannot extend a file gets the skipped zeros written.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"
#include "transfer/write_back.h"

namespace ombrix {
namespace {

using test::Error;
using test::Info;
using test::kDone;
using test::PathU16;
using test::PatternBytes;
using test::ReadFile;
using test::Sequence;
using test::WriteFile;
namespace msg = messages;

constexpr std::int64_t kMiB = 1 << 20;
using Range = std::pair<std::int64_t, std::int64_t>;  // [first, second)

// A medium that only records the write-back calls it gets.
class RecordingMedium final : public platform::Medium {
 public:
  bool SetPosition(std::int64_t) override { return true; }
  platform::IoResult Read(std::span<std::byte> b) override { return {true, b.size()}; }
  platform::IoResult Write(std::span<const std::byte> b) override { return {true, b.size()}; }
  bool Flush() override { return true; }
  bool StartWriteBack(std::int64_t offset, std::int64_t length) override {
    started.emplace_back(offset, offset + length);
    return true;
  }
  bool AwaitWriteBack(std::int64_t offset, std::int64_t length) override {
    awaited.emplace_back(offset, offset + length);
    return true;
  }
  void DropCached(std::int64_t offset, std::int64_t length) override {
    dropped.emplace_back(offset, offset + length);
  }
  void AllowHoles() override {}
  bool ExtendTo(std::int64_t) override { return true; }
  std::optional<std::int64_t> FileSize() override { return 0; }
  std::optional<platform::DiskGeometryEx> DriveGeometry() override { return std::nullopt; }
  std::optional<platform::StorageDescriptorTexts> StorageDescriptor() override {
    return std::nullopt;
  }

  // The end of the contiguous awaited ranges from `from`; -1 when they leave a gap.
  std::int64_t ConfirmedEnd(std::int64_t from) const {
    for (const auto& [first, end] : awaited) {
      if (first != from) return -1;
      from = end;
    }
    return from;
  }
  std::vector<Range> started, awaited, dropped;
};

TEST(WriteBackBound, HoldsAtEveryStepAndDropsOnlyWhatTheMediumHas) {
  struct Case {
    const char* name;
    std::int64_t from;
    std::vector<std::int64_t> steps;  // lengths, written back to back
  };
  std::vector<std::int64_t> chunks(100, kMiB);
  std::vector<std::int64_t> tail = chunks;
  tail.insert(tail.end(), 2047, 512);
  const Case cases[] = {
      {"100 chunks", 0, chunks},
      {"chunks and a sector tail, odd start", 3 * 512, tail},
      {"less than the bound", 0, {kMiB, kMiB, 512}},
  };
  for (const auto& c : cases) {
    RecordingMedium medium;
    WriteBack write_back(medium, c.from);
    std::int64_t pos = c.from;
    for (const std::int64_t n : c.steps) {
      ASSERT_TRUE(write_back.Written(pos, n)) << c.name;
      pos += n;
      ASSERT_EQ(medium.started.back(), Range(pos - n, pos)) << c.name;
      const std::int64_t confirmed = medium.ConfirmedEnd(c.from);
      ASSERT_GE(confirmed, c.from) << c.name << ": awaited ranges leave a gap";
      ASSERT_LE(pos - confirmed, kWriteBackBytes) << c.name << " at " << pos;
      // The cache gives up only what the medium has confirmed.
      for (const auto& [first, end] : medium.dropped) ASSERT_LE(end, confirmed) << c.name;
    }
    ASSERT_TRUE(write_back.Finish()) << c.name;
    EXPECT_EQ(medium.ConfirmedEnd(c.from), pos) << c.name;
    // Half a bound per wait: a system that can only flush everything flushes rarely.
    EXPECT_LE(medium.awaited.size(),
              1 + static_cast<std::size_t>(2 * (pos - c.from) / kWriteBackBytes))
        << c.name;
    ASSERT_FALSE(medium.dropped.empty()) << c.name;
    EXPECT_EQ(medium.dropped.front().first, c.from) << c.name;
    // Once all is on the medium, all of it leaves the cache.
    EXPECT_EQ(medium.dropped.back().second, pos) << c.name;
  }
}

class WriteBackFaults : public test::TransferTest {
 protected:
  std::filesystem::path source_file_ = dir_ / "source.img";
  std::filesystem::path target_file_ = dir_ / "target.img";
};

// The first wait comes once more than the bound has been written: at this (1-based) step.
constexpr int kFirstWaitStep = static_cast<int>(kWriteBackBytes / kMiB) + 1;

TEST_F(WriteBackFaults, AFailureFoundEarlyIsThatStepsWriteError) {
  struct Case {
    const char* name;
    bool zero_fill;
    test::MediumFaults target;
    int failing_step;  // 1-based
  };
  const Case cases[] = {
      {"copy: starting step 3 fails", false, {.fail_start_write_back_at = 2}, 3},
      {"copy: the first wait fails", false, {.fail_await_write_back_at = 0}, kFirstWaitStep},
      {"zero-fill: starting step 2 fails", true, {.fail_start_write_back_at = 1}, 2},
      {"zero-fill: the first wait fails", true, {.fail_await_write_back_at = 0}, kFirstWaitStep},
  };
  const std::int64_t size = (kFirstWaitStep + 4) * kMiB;
  const std::string source = PatternBytes(static_cast<std::size_t>(size), 21);
  WriteFile(source_file_, source);
  const int source_slot = AddSourceImage(source_file_);
  const int target_slot = AddTargetImage(target_file_);
  const auto disk = dir_ / "disk.bin";
  MediaRecord drive = Drive(0, size, 512);
  ASSERT_TRUE(SetText(drive.path, PathU16(disk)));
  const int drive_slot = AddTarget(drive);

  for (const auto& c : cases) {
    window_.Clear();
    std::filesystem::remove(target_file_);
    WriteFile(disk, PatternBytes(static_cast<std::size_t>(size), 22));
    devices_.For(PathU16(c.zero_fill ? disk : target_file_)) = c.target;
    const int flushes = devices_.flushes();
    if (c.zero_fill) {
      RunZero(ZeroJob(drive_slot));
    } else {
      RunCopy(WholeJob(source_slot, target_slot));
    }
    devices_.For(PathU16(c.zero_fill ? disk : target_file_)) = {};

    const Sequence expected =
        c.zero_fill ? Sequence{Error(msg::kWriteError), Error(msg::kZeroFailed), kDone}
                    : Sequence{Info(msg::kImageTargetGrows), Error(msg::kWriteError),
                               Error(msg::kCopyFailed), kDone};
    EXPECT_EQ(window_.Sequence(), expected) << c.name;
    // Progress stops before the failing step: no step is shown done that the medium refused.
    EXPECT_EQ(window_.Progress().size(), static_cast<std::size_t>(c.failing_step - 1)) << c.name;
    EXPECT_EQ(devices_.flushes(), flushes + 1) << c.name;
    const std::int64_t kept = (c.failing_step - 1) * kMiB;
    const std::string after = ReadFile(c.zero_fill ? disk : target_file_);
    EXPECT_TRUE(after.substr(0, kept) ==
                (c.zero_fill ? std::string(kept, '\0') : source.substr(0, kept)))
        << c.name;
  }
}

TEST_F(WriteBackFaults, AFileThatCannotBeExtendedGetsTheSkippedZerosWritten) {
  // Data, then zeros past the target's end: skipped, then written when extending fails.
  const std::string data = PatternBytes(kMiB + 512, 23);
  const std::string source = data + std::string(3 * kMiB - 512, '\0');
  WriteFile(source_file_, source);
  WriteFile(target_file_, PatternBytes(512, 24));  // shorter than the area
  devices_.For(PathU16(target_file_)) = {.fail_extend = true};
  RunCopy(WholeJob(AddSourceImage(source_file_), AddTargetImage(target_file_)));

  EXPECT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}));
  EXPECT_TRUE(ReadFile(target_file_) == source);
}

}  // namespace
}  // namespace ombrix
