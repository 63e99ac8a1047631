// The zero-fill worker wherever the core builds (under Wine too): a plain file stands in for the
// drive, listed as one, so that no test opens a real disk.
#include <gtest/gtest.h>

#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"

namespace ombrix {
namespace {

using test::Info;
using test::kDone;
using test::PatternBytes;
using test::ReadFile;
using test::Sequence;
namespace msg = messages;

constexpr std::int64_t kMiB = 1 << 20;

class ZeroFill : public test::TransferTest {};

TEST_F(ZeroFill, OverwritesEveryStepWithZeros) {
  const auto disk = dir_ / "disk.bin";
  RunZero(ZeroJob(AddFileAsDrive(disk, PatternBytes(kMiB + 512, 3))));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{99, 100}));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kZeroDone), kDone}));
  EXPECT_TRUE(ReadFile(disk) == std::string(kMiB + 512, '\0'));
}

TEST_F(ZeroFill, StopsAfterTheStepInProgress) {
  const auto disk = dir_ / "disk.bin";
  const std::string before = PatternBytes(3 * kMiB, 4);
  const int slot = AddFileAsDrive(disk, before);
  StopAtStep(1);
  RunZero(ZeroJob(slot));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{33}));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kZeroDone), kDone}));
  EXPECT_TRUE(ReadFile(disk) == std::string(kMiB, '\0') + before.substr(kMiB));
}

TEST_F(ZeroFill, RefusesImageEntriesWithoutOpeningThem) {
  const int image = AddTargetImage(dir_ / "target.img");
  RunZero(ZeroJob(image));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kZeroImageRefused), kDone}));
  EXPECT_EQ(devices_.opens(), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "target.img"));
}

}  // namespace
}  // namespace ombrix
