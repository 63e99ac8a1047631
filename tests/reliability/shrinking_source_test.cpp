// A source that shrinks under the copy (a loop device resized smaller while it is read): the copy
// ends with a read error at the first step past the new end, and every step before it is on the
// target.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/linux/device_linux.h"
#include "tests/support/loop_device.h"
#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"

namespace ombrix {
namespace {

using test::Error;
using test::Info;
using test::kDone;
using test::PatternBytes;
using test::ReadFile;
using test::Sequence;
using test::WriteFile;
namespace msg = messages;

constexpr std::int64_t kMiB = 1 << 20;

class ShrinkingSource : public test::TransferTest {
 protected:
};

TEST_F(ShrinkingSource, EndsWithAReadErrorAndKeepsTheStepsBefore) {
  const auto file = dir_ / "source.bin";
  const std::string bytes = PatternBytes(4 * kMiB, 41);
  WriteFile(file, bytes);
  OMBRIX_ATTACH_LOOP_OR_SKIP(loop, file, 512);
  const int number = test::DriveNumberOfNode(*real_, loop->node());
  ASSERT_GE(number, 0);
  const int s = AddSource(Drive(number, 4 * kMiB, 512));
  const int t = AddTargetImage(dir_ / "target.img");

  // After the first step the disk loses its second half.
  window_.on_event = [&, done = false](const test::WindowEvent& e) mutable {
    if (done || e.is_box || e.message != WM_TRANSFER_PROGRESS) return;
    done = true;
    std::filesystem::resize_file(file, 2 * kMiB);
    int status = 0;
    test::RunCommand("losetup -c " + loop->node().string() + " 2>&1", status);
  };
  RunCopy(WholeJob(s, t));

  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kImageTargetGrows), Error(msg::kReadError),
                                          Error(msg::kCopyFailed), kDone}));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{25, 50}));
  EXPECT_TRUE(ReadFile(dir_ / "target.img") == bytes.substr(0, 2 * kMiB));
}

}  // namespace
}  // namespace ombrix
