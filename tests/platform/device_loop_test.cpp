// The Linux device layer on real block devices: loop devices of the test's own.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>

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

// Requests aligned to the device's sectors or not, and buffers aligned or not, mixed on the same
// sectors of devices of both sector sizes: every read returns what was written last, and so does
// the device's file afterwards.
TEST(LoopDrives, AlignedAndUnalignedRequestsMixOnTheSameSectors) {
  constexpr std::int64_t kSize = 1 << 20;
  struct Request {
    std::int64_t offset, size;
    std::size_t misalign;  // of the buffer
  };
  const Request requests[] = {
      {0, 65536, 0},            // aligned
      {4096 + 512, 1024, 0},    // inside a 4096-byte sector
      {8192, 4096, 1},          // aligned place, unaligned buffer
      {4096, 8192, 0},          // aligned, over the two before
      {4096 + 100, 50, 0},      // a few bytes over that
      {kSize - 512, 512, 0},    // the last 512 bytes
      {kSize - 8192, 8192, 0},  // aligned, over them
  };
  struct FreeAligned {
    void operator()(std::byte* p) const { ::operator delete (p, std::align_val_t{4096}); }
  };
  const std::unique_ptr<std::byte, FreeAligned> memory(
      static_cast<std::byte*>(::operator new (kSize + 4096, std::align_val_t{4096})));
  for (std::uint32_t sector : {512u, 4096u}) {
    test::TempDir dir;
    test::ResizeFile(dir / "disk.img", kSize);
    OMBRIX_ATTACH_LOOP_OR_SKIP(loop, dir / "disk.img", sector);
    LinuxDeviceAccess devices;
    auto medium = devices
                      .Open(FormatDrivePath(test::DriveNumberOfNode(devices, loop->node())),
                            Access::kReadWrite, Share::kRead, Disposition::kOpenExisting)
                      .medium;
    ASSERT_TRUE(medium);
    std::string model(kSize, '\0');
    char fill = 'a';
    for (const auto& r : requests) {
      std::byte* buffer = memory.get() + r.misalign;
      std::memset(buffer, fill, static_cast<std::size_t>(r.size));
      model.replace(static_cast<std::size_t>(r.offset), static_cast<std::size_t>(r.size),
                    static_cast<std::size_t>(r.size), fill++);
      ASSERT_TRUE(medium->SetPosition(r.offset));
      const auto written = medium->Write({buffer, static_cast<std::size_t>(r.size)});
      ASSERT_TRUE(written.ok && written.moved == static_cast<std::size_t>(r.size)) << sector;

      // Read back: the whole device aligned, then the request's bytes unaligned.
      ASSERT_TRUE(medium->SetPosition(0));
      ASSERT_EQ(medium->Read({memory.get(), kSize}).moved, static_cast<std::size_t>(kSize));
      ASSERT_TRUE(std::memcmp(memory.get(), model.data(), kSize) == 0)
          << sector << ": after the request at " << r.offset;
      ASSERT_TRUE(medium->SetPosition(r.offset));
      ASSERT_EQ(medium->Read({memory.get() + 3, static_cast<std::size_t>(r.size)}).moved,
                static_cast<std::size_t>(r.size));
      ASSERT_TRUE(std::memcmp(memory.get() + 3, model.data() + r.offset,
                              static_cast<std::size_t>(r.size)) == 0)
          << sector << ": request at " << r.offset;
    }
    ASSERT_TRUE(medium->Flush());
    medium.reset();
    loop->Detach();
    EXPECT_TRUE(test::ReadFile(dir / "disk.img") == model) << sector;
  }
}

}  // namespace
}  // namespace ombrix::platform
