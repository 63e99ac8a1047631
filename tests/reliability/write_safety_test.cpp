// Nothing is written where it must not be: a drive with a mounted file system, and a drive that
// was replaced between listing and copying, are never written, by a copy or by a zero-fill.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/linux/device_linux.h"
#include "tests/support/loop_device.h"
#include "tests/support/mounted_file_system.h"
#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"

namespace ombrix {
namespace {

using test::Error;
using test::kDone;
using test::PatternBytes;
using test::ReadFile;
using test::Sequence;
using test::Warning;
using test::WriteFile;
namespace msg = messages;

constexpr std::int64_t kMiB = 1 << 20;

class WriteSafety : public test::TransferTest {
 protected:
  // Lists the loop device as a target drive and returns its slot.
  int ListDrive(const test::LoopDevice& loop, std::int64_t size) {
    const int number = test::DriveNumberOfNode(*real_, loop.node());
    EXPECT_GE(number, 0) << loop.node();
    return AddTarget(Drive(number, size, 512));
  }

  int ListSourceImage(std::int64_t size) {
    WriteFile(dir_ / "source.img", PatternBytes(static_cast<std::size_t>(size), 21));
    return AddSourceImage(dir_ / "source.img");
  }
};

TEST_F(WriteSafety, ADriveWithAMountedFileSystemIsNeverWritten) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
  const auto image = dir_ / "ext4.img";
  WriteFile(image, std::string(8 * kMiB, '\0'));
  std::string why;
  test::MountedFileSystem fs("mkfs.ext4 -q -F", "ext4", image, dir_ / "mnt", why);
  if (!fs.mounted()) GTEST_SKIP() << why;
  WriteFile(dir_ / "mnt" / "kept.txt", "kept");
  ::sync();

  const int s = ListSourceImage(2 * kMiB);
  const int t = ListDrive(fs.loop(), 8 * kMiB);
  const std::string before = ReadFile(image);
  RunCopy(WholeJob(s, t));
  RunCopy(RangeJob(s, t, 0, 8));
  RunZero(ZeroJob(t));

  const Sequence refused{kDone, Warning(msg::kTargetBusy), Error(msg::kTargetOpenError)};
  Sequence all;
  for (int i = 0; i < 3; ++i) all.insert(all.end(), refused.begin(), refused.end());
  EXPECT_EQ(window_.Sequence(), all);
  EXPECT_TRUE(ReadFile(image) == before) << "the mounted file system was written";
  EXPECT_EQ(ReadFile(dir_ / "mnt" / "kept.txt"), "kept");
}

TEST_F(WriteSafety, ADriveReplacedAfterListingIsNeverWritten) {
  const auto listed_file = dir_ / "listed.img";
  const auto other_file = dir_ / "other.img";
  WriteFile(listed_file, PatternBytes(2 * kMiB, 22));
  const std::string other = PatternBytes(2 * kMiB, 23);  // the same size: only the disk changed
  WriteFile(other_file, other);
  OMBRIX_ATTACH_LOOP_OR_SKIP(listed, listed_file, 512);
  const std::filesystem::path node = listed->node();

  const int s = ListSourceImage(kMiB);
  const int t = ListDrive(*listed, 2 * kMiB);
  // The disk is swapped: another file on the same node.
  listed->Detach();
  int status = 0;
  test::RunCommand("losetup " + node.string() + " " + other_file.string() + " 2>&1", status);
  if (status != 0) GTEST_SKIP() << "cannot attach " << node << " again";
  test::LoopDevice replaced(node);  // detached when the test ends

  RunCopy(WholeJob(s, t));
  RunZero(ZeroJob(t));
  const Sequence refused{kDone, Error(msg::kTargetOpenError)};
  Sequence both = refused;
  both.insert(both.end(), refused.begin(), refused.end());
  EXPECT_EQ(window_.Sequence(), both);
  EXPECT_TRUE(ReadFile(other_file) == other) << "the replacing disk was written";
}

}  // namespace
}  // namespace ombrix
