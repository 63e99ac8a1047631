// The Linux device layer on real block devices: loop devices of the test's own.
#include <gtest/gtest.h>

#include "platform/drive_path.h"
#include "platform/linux/device_linux.h"
#include "tests/support/loop_device.h"
#include "tests/support/temp_dir.h"

namespace ombrix::platform {
namespace {

TEST(LoopDrives, GeometryOfBothSectorSizes) {
  for (std::uint32_t sector : {512u, 4096u}) {
    test::TempDir dir;
    test::ResizeFile(dir / "disk.img", 300 << 20);
    OMBRIX_ATTACH_LOOP_OR_SKIP(loop, dir / "disk.img", sector);
    LinuxDeviceAccess devices;
    const int n = test::DriveNumberOfNode(devices, loop->node());
    ASSERT_GE(n, 0);
    auto medium =
        devices
            .Open(FormatDrivePath(n), Access::kRead, Share::kReadWrite, Disposition::kOpenExisting)
            .medium;
    ASSERT_TRUE(medium);
    const auto geometry = medium->DriveGeometry();
    ASSERT_TRUE(geometry);
    EXPECT_EQ(geometry->disk_size, 300 << 20);
    EXPECT_EQ(geometry->bytes_per_sector, sector);
    EXPECT_EQ(geometry->tracks_per_cylinder, 255u);
    EXPECT_EQ(geometry->sectors_per_track, 63u);
    EXPECT_EQ(geometry->cylinders, (300 << 20) / (255 * 63 * std::int64_t{sector}));
    EXPECT_EQ(medium->StorageDescriptor()->product, "Loop disk.img");
  }
}

TEST(LoopDrives, WritingOpenIsExclusive) {
  test::TempDir dir;
  test::ResizeFile(dir / "disk.img", 8 << 20);
  OMBRIX_ATTACH_LOOP_OR_SKIP(loop, dir / "disk.img", 512);
  LinuxDeviceAccess devices;
  const std::u16string path = FormatDrivePath(test::DriveNumberOfNode(devices, loop->node()));

  auto writer = devices.Open(path, Access::kReadWrite, Share::kRead, Disposition::kOpenExisting);
  ASSERT_TRUE(writer.medium);
  const auto second =
      devices.Open(path, Access::kReadWrite, Share::kRead, Disposition::kOpenExisting);
  EXPECT_FALSE(second.medium);
  EXPECT_EQ(second.error, OpenError::kBusy);
  // Reading alongside stays possible: a busy disk can still be a source.
  EXPECT_TRUE(devices.Open(path, Access::kRead, Share::kRead, Disposition::kOpenExisting).medium);
}

TEST(LoopDrives, AReattachedNodeIsNotTheListedDrive) {
  test::TempDir dir;
  test::ResizeFile(dir / "first.img", 8 << 20);
  test::ResizeFile(dir / "second.img", 8 << 20);  // same size: only the disk sequence tells
  OMBRIX_ATTACH_LOOP_OR_SKIP(first, dir / "first.img", 512);
  LinuxDeviceAccess devices;
  const int n = test::DriveNumberOfNode(devices, first->node());
  ASSERT_GE(n, 0);
  const auto node = first->node();
  first->Detach();

  // Attach the other file, hoping for the same node; it usually is the lowest free one.
  OMBRIX_ATTACH_LOOP_OR_SKIP(second, dir / "second.img", 512);
  if (second->node() != node) GTEST_SKIP() << "the kernel chose another node";
  const auto opened = devices.Open(FormatDrivePath(n), Access::kReadWrite, Share::kRead,
                                   Disposition::kOpenExisting);
  EXPECT_FALSE(opened.medium);
  EXPECT_EQ(opened.error, OpenError::kChanged);
}

}  // namespace
}  // namespace ombrix::platform
