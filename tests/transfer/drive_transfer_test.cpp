// Copies between drives and zero-fills, on drives of a machine assembled in a folder: regular
// files stand in for the device nodes, so no root is needed. Real block devices follow in the
// loop device tests.
#include <gtest/gtest.h>

#include "tests/support/fake_machine.h"
#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"

namespace ombrix {
namespace {

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

// The fake machine must exist before the device layer that looks at it.
struct MachineHolder {
  test::FakeMachine machine;
};

class DriveTransfers : protected MachineHolder, public test::TransferTest {
 protected:
  DriveTransfers()
      : TransferTest(std::make_unique<platform::LinuxDeviceAccess>(machine.Config())) {}

  // Adds drive sdX with the given bytes; returns its drive number.
  int AddDisk(const std::string& bytes) {
    const std::string name = std::string("sd") + static_cast<char>('a' + disks_);
    machine.Add({.name = name,
                 .dev = "8:" + std::to_string(16 * disks_),
                 .size_bytes = static_cast<std::int64_t>(bytes.size())});
    WriteFile(machine.Node(name), bytes);
    return disks_++;
  }
  std::string Disk(int number) const {
    return ReadFile(machine.Node(std::string("sd") + static_cast<char>('a' + number)));
  }
  // Lists the disks in both tables; call after adding them.
  void ListDisks(std::uint32_t bps = 512) {
    real_->SnapshotDrives();
    for (int n = 0; n < disks_; ++n) {
      const auto size = static_cast<std::int64_t>(Disk(n).size());
      AddSource(Drive(n, size, bps));
      AddTarget(Drive(n, size, bps));
    }
  }
  int disks_ = 0;
};

TEST_F(DriveTransfers, DriveToDriveCopiesWithoutTheImageMessage) {
  const std::string source = PatternBytes(3 * kMiB, 1);
  AddDisk(source);
  AddDisk(PatternBytes(4 * kMiB, 2));
  ListDisks();
  RunCopy(WholeJob(0, 1));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kCopyDone), kDone}));
  EXPECT_TRUE(Disk(1).substr(0, 3 * kMiB) == source);
  EXPECT_TRUE(Disk(1).substr(3 * kMiB) == PatternBytes(4 * kMiB, 2).substr(3 * kMiB));
}

TEST_F(DriveTransfers, DriveSizesRefuseBeforeAnythingMoves) {
  const std::string large = PatternBytes(4 * kMiB, 1), small = PatternBytes(2 * kMiB, 2);
  AddDisk(large);
  AddDisk(small);
  ListDisks();
  RunCopy(WholeJob(0, 1));               // larger onto smaller
  RunCopy(RangeJob(0, 1, 4096 - 1, 2));  // the range ends one sector past the target
  EXPECT_EQ(window_.Sequence(),
            (Sequence{kDone, Error(msg::kTargetTooSmall), kDone, Error(msg::kOutsideTarget)}));
  EXPECT_TRUE(Disk(1) == small);
  EXPECT_EQ(devices_.flushes(), 0);

  // A range that fits the smaller disk goes through: source sectors at the same offsets.
  window_.Clear();
  RunCopy(RangeJob(0, 1, 4096 - 2, 2));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kCopyDone), kDone}));
  EXPECT_TRUE(Disk(1) == small.substr(0, 2 * kMiB - 1024) + large.substr(2 * kMiB - 1024, 1024));
}

TEST_F(DriveTransfers, ZeroFillStepsAndProgress) {
  AddDisk(PatternBytes(kMiB + 512, 3));
  AddDisk("");
  ListDisks();
  RunZero(ZeroJob(0));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{99, 100}));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kZeroDone), kDone}));
  EXPECT_TRUE(Disk(0) == std::string(kMiB + 512, '\0'));

  window_.Clear();
  RunZero(ZeroJob(1));  // size 0
  EXPECT_TRUE(window_.Progress().empty());
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kZeroDone), kDone}));
}

TEST_F(DriveTransfers, ZeroFillStopsAfterTheStepInProgress) {
  const std::string before = PatternBytes(3 * kMiB, 4);
  AddDisk(before);
  ListDisks();
  StopAtStep(1);
  RunZero(ZeroJob(0));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{33}));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kZeroDone), kDone}));
  EXPECT_TRUE(Disk(0) == std::string(kMiB, '\0') + before.substr(kMiB));
}

TEST_F(DriveTransfers, ZeroFillFailuresReportInTheirOrder) {
  struct Case {
    const char* name;
    test::MediumFaults faults;
    Sequence sequence;
    std::int64_t zeroed;  // bytes zeroed from the start
  };
  const auto failed = Error(msg::kZeroFailed);
  const Case cases[] = {
      {"write error at step 2",
       {.fail_write_at = 1},
       {Error(msg::kWriteError), failed, kDone},
       kMiB},
      {"short write at step 3",
       {.short_write_at = 2},
       {Error(msg::kWriteError), failed, kDone},
       2 * kMiB},
      {"flush fails", {.fail_flush = true}, {Error(msg::kWriteError), failed, kDone}, 3 * kMiB},
      {"position at step 2",
       {.fail_position_at = 2},
       {Error(msg::kPositionError), failed, kDone},
       kMiB},
      {"first position", {.fail_position_at = 0}, {kDone, Error(msg::kPositionError)}, 0},
      {"does not open",
       {.open_error = platform::OpenError::kOther},
       {kDone, Error(msg::kTargetOpenError)},
       0},
      {"in use",
       {.open_error = platform::OpenError::kBusy},
       {kDone, Warning(msg::kTargetBusy), Error(msg::kTargetOpenError)},
       0},
  };
  const std::string before = PatternBytes(3 * kMiB, 5);
  AddDisk(before);
  ListDisks();
  for (const auto& c : cases) {
    window_.Clear();
    WriteFile(machine.Node("sda"), before);
    devices_.For(std::u16string(TextOf(target_[0].path))) = c.faults;
    RunZero(ZeroJob(0));
    EXPECT_EQ(window_.Sequence(), c.sequence) << c.name;
    EXPECT_TRUE(Disk(0).substr(0, c.zeroed) == std::string(c.zeroed, '\0')) << c.name;
    // The step after the zeroed ones may be partly written; everything past it is untouched.
    const auto untouched = std::min<std::size_t>(c.zeroed + kMiB, before.size());
    EXPECT_TRUE(Disk(0).substr(untouched) == before.substr(untouched)) << c.name;
  }
}

}  // namespace
}  // namespace ombrix
