// Verified transfers onto real block devices that lie: loop devices on a FUSE disk of the test's
// own, whose faults happen below the kernel's block layer and page cache.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "platform/sha256.h"
#include "tests/support/fault_disk.h"
#include "tests/support/loop_device.h"
#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"

namespace ombrix {
namespace {

using test::DiskFaults;
using test::Error;
using test::Info;
using test::kDone;
using test::PatternBytes;
using test::ReadFile;
using test::Sequence;
using test::WriteFile;
namespace msg = messages;

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kDiskBytes = 64 * kMiB;

// The FUSE disk and the loop device on it; the loop device goes first.
struct LyingDisk {
  std::unique_ptr<test::FaultDisk> fuse;
  std::unique_ptr<test::LoopDevice> loop;
};

class LyingDisks : public test::TransferTest {
 protected:
  // A disk of kDiskBytes holding `old_bytes`, with `faults`, listed as a target drive. False, with
  // the reason in why_, when FUSE or loop devices cannot be had here.
  bool MakeTarget(const std::string& old_bytes, const DiskFaults& faults) {
    disk_ = {};
    disk_.fuse = test::FaultDisk::Mount(dir_ / "disk", kDiskBytes, why_);
    if (!disk_.fuse) return false;
    WriteFile(disk_.fuse->store(), old_bytes);
    disk_.fuse->SetFaults(faults);
    disk_.loop = test::LoopDevice::Attach(disk_.fuse->file(), 512, why_);
    if (!disk_.loop) return false;
    const int number = test::DriveNumberOfNode(*real_, disk_.loop->node());
    EXPECT_GE(number, 0);
    target_slot_ = AddTarget(Drive(number, kDiskBytes, 512));
    return true;
  }
  std::string MakeSource(std::int64_t bytes) {
    std::string source = PatternBytes(static_cast<std::size_t>(bytes), 31);
    WriteFile(dir_ / "source.img", source);
    source_slot_ = AddSourceImage(dir_ / "source.img");
    return source;
  }
  std::u16string TargetPath() const { return std::u16string(TextOf(target_[target_slot_].path)); }
  void TearDown() override {
    disk_ = {};
    TransferTest::TearDown();
  }

  LyingDisk disk_;
  int source_slot_ = -1, target_slot_ = -1;
  std::string why_;
};

// The success box, with the SHA-256 that sha256sum gives for the file.
std::u16string VerifiedBySha256sum(const std::filesystem::path& file) {
  int status = 0;
  const std::string line = test::RunCommand("sha256sum '" + file.string() + "'", status);
  EXPECT_EQ(status, 0);
  const std::string hex = line.substr(0, line.find(' '));
  EXPECT_EQ(hex.size(), 64u);
  return std::u16string(msg::kCopyVerified) + u"\n" + std::u16string(hex.begin(), hex.end());
}

TEST_F(LyingDisks, ACorrectDiskPassesWithTheSourcesSha256) {
  const std::string source = MakeSource(kDiskBytes);
  if (!MakeTarget(PatternBytes(kDiskBytes, 2), {})) GTEST_SKIP() << why_;
  TransferJob job = WholeJob(source_slot_, target_slot_);
  job.verify = true;
  RunCopy(job);
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(VerifiedBySha256sum(dir_ / "source.img")), kDone}));
  EXPECT_EQ(window_.CheckProgress().back(), 100);
  EXPECT_TRUE(ReadFile(disk_.fuse->store()) == source);
}

// Each lie is caught, at the first sector that does not hold what was copied there.
TEST_F(LyingDisks, EachLieIsCaughtAtItsFirstWrongSector) {
  struct Case {
    const char* name;
    DiskFaults faults;
    std::int64_t start_sector = -1, sector_count = 0;  // a range copy; whole without
    std::int64_t first_bad_sector;
  };
  const Case cases[] = {
      // Reports 64 MiB, keeps 16: what is written past 16 MiB lands on the first 16.
      {"counterfeit, whole", {.keeps = 16 * kMiB}, -1, 0, 0},
      {"counterfeit, 8 MiB to 32 MiB",
       {.keeps = 16 * kMiB},
       8 * kMiB / 512,
       24 * kMiB / 512,
       8 * kMiB / 512},
      {"drops writes",
       {.dropped_writes = {{20 * kMiB + 4096, 20 * kMiB + 12288}}},
       -1,
       0,
       (20 * kMiB + 4096) / 512},
      {"flips a bit on read", {.flipped_byte = 9 * kMiB + 777}, -1, 0, (9 * kMiB + 777) / 512},
  };
  const std::string source = MakeSource(kDiskBytes);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window_.Clear();
    target_count_ = 0;
    if (!MakeTarget(PatternBytes(kDiskBytes, 3), c.faults)) GTEST_SKIP() << why_;
    TransferJob job = c.start_sector < 0
                          ? WholeJob(source_slot_, target_slot_)
                          : RangeJob(source_slot_, target_slot_, c.start_sector, c.sector_count);
    job.verify = true;
    RunCopy(job);
    EXPECT_EQ(window_.Sequence(), (Sequence{Error(msg::CopyMismatch(c.first_bad_sector)),
                                            Error(msg::kCopyFailed), kDone}));
  }
}

TEST_F(LyingDisks, AReadErrorInTheCheckEndsItAfterACompleteCopy) {
  const std::string source = MakeSource(kDiskBytes);
  if (!MakeTarget(PatternBytes(kDiskBytes, 4), {.bad_reads = {{5 * kMiB, 5 * kMiB + 512}}})) {
    GTEST_SKIP() << why_;
  }
  TransferJob job = WholeJob(source_slot_, target_slot_);
  job.verify = true;
  RunCopy(job);
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Error(msg::kVerifyReadError), Error(msg::kCopyFailed), kDone}));
  EXPECT_TRUE(ReadFile(disk_.fuse->store()) == source);
}

// The target's pages are in the cache, right, when the medium beneath changes: the check reads
// the medium.
TEST_F(LyingDisks, TheCacheCannotHideWhatTheMediumHolds) {
  MakeSource(kDiskBytes);
  if (!MakeTarget(PatternBytes(kDiskBytes, 5), {})) GTEST_SKIP() << why_;
  constexpr std::int64_t kChanged = 40 * kMiB + 3000;
  int cached_pages = -1;
  devices_.For(TargetPath()).before_read = [&](int call) {
    if (call != 0) return;
    std::ifstream device(disk_.loop->node(), std::ios::binary);
    std::string bytes(kDiskBytes, '\0');
    device.read(bytes.data(), kDiskBytes);
    cached_pages = test::CachedPages(disk_.loop->node(), 0, kDiskBytes);
    std::fstream store(disk_.fuse->store(), std::ios::binary | std::ios::in | std::ios::out);
    store.seekp(kChanged);
    store.put(static_cast<char>(~bytes[kChanged]));
  };
  TransferJob job = WholeJob(source_slot_, target_slot_);
  job.verify = true;
  RunCopy(job);
  EXPECT_EQ(cached_pages, kDiskBytes / 4096) << "the whole target was cached when it changed";
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Error(msg::CopyMismatch(kChanged / 512)), Error(msg::kCopyFailed), kDone}));
}

TEST_F(LyingDisks, AZeroFillIsReadBack) {
  for (const bool drops : {false, true}) {
    SCOPED_TRACE(drops);
    window_.Clear();
    target_count_ = 0;
    DiskFaults faults;
    if (drops) faults.dropped_writes = {{33 * kMiB + 512, 33 * kMiB + 1024}};
    if (!MakeTarget(PatternBytes(kDiskBytes, 6), faults)) GTEST_SKIP() << why_;
    TransferJob job = ZeroJob(target_slot_);
    job.verify = true;
    RunZero(job);
    EXPECT_EQ(window_.Sequence(), drops
                                      ? (Sequence{Error(msg::ZeroMismatch((33 * kMiB + 512) / 512)),
                                                  Error(msg::kZeroFailed), kDone})
                                      : (Sequence{Info(msg::kZeroVerified), kDone}));
  }
}

// Without the option, a lying disk is not read back, and the messages are a plain copy's and
// zero-fill's.
TEST_F(LyingDisks, WithoutTheOptionNothingIsReadBack) {
  MakeSource(kDiskBytes);
  if (!MakeTarget(PatternBytes(kDiskBytes, 7), {.keeps = 16 * kMiB})) GTEST_SKIP() << why_;
  disk_.fuse->ResetCounts();
  RunCopy(WholeJob(source_slot_, target_slot_));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kCopyDone), kDone}));
  window_.Clear();
  RunZero(ZeroJob(target_slot_));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kZeroDone), kDone}));
  EXPECT_TRUE(window_.CheckProgress().empty());
  EXPECT_EQ(devices_.For(TargetPath()).reads, 0);
  EXPECT_EQ(disk_.fuse->reads(), 0);
}

}  // namespace
}  // namespace ombrix
