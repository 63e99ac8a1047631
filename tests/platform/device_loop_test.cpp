// The Linux device layer on real block devices: loop devices of the test's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/drive_path.h"
#include "platform/linux/device_linux.h"
#include "tests/support/loop_device.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/transfer_fixture.h"

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

// A check reads what the medium holds: a reader from the medium brings nothing into the cache
// and returns the right bytes at any offset, and dropping a range empties the cache of it.
TEST(LoopDrives, ReadsFromTheMediumPassTheCacheAndDroppedRangesLeaveIt) {
  constexpr std::int64_t kMiB = 1 << 20, kSize = 4 * kMiB;
  for (std::uint32_t sector : {512u, 4096u}) {
    SCOPED_TRACE(sector);
    test::TempDir dir;
    const std::string bytes = test::PatternBytes(kSize, sector);
    test::WriteFile(dir / "disk.img", bytes);
    OMBRIX_ATTACH_LOOP_OR_SKIP(loop, dir / "disk.img", sector);
    LinuxDeviceAccess devices;
    const std::u16string path = FormatDrivePath(test::DriveNumberOfNode(devices, loop->node()));
    std::vector<std::byte> buffer(kSize + 8192);

    auto cached = devices.Open(path, Access::kRead, Share::kReadWrite, Disposition::kOpenExisting);
    ASSERT_TRUE(cached.medium);
    ASSERT_TRUE(cached.medium->SetPosition(kMiB));
    ASSERT_EQ(cached.medium->Read({buffer.data(), 2 * kMiB}).moved, 2 * kMiB);
    ASSERT_GT(test::CachedPages(loop->node(), kMiB, 2 * kMiB), 0) << "the test's premise";
    cached.medium->DropCached(kMiB, 2 * kMiB);
    EXPECT_EQ(test::CachedPages(loop->node(), kMiB, 2 * kMiB), 0);

    auto direct =
        devices.Open(path, Access::kReadFromMedium, Share::kReadWrite, Disposition::kOpenExisting);
    ASSERT_TRUE(direct.medium);
    struct Case {
      std::int64_t offset, length, expected;
      std::size_t misalign;
    };
    const Case cases[] = {
        {0, kSize, kSize, 0},                              // the whole disk, aligned
        {kMiB + sector, kMiB + sector, kMiB + sector, 0},  // whole sectors off the 4 KiB grid
        {kMiB + 7, 2 * kMiB + 5, 2 * kMiB + 5, 3},         // nothing aligned
        {kSize - 1536, 8192, 1536, 0},                     // across the end
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.offset);
      ASSERT_TRUE(direct.medium->SetPosition(c.offset));
      const auto read =
          direct.medium->Read({buffer.data() + c.misalign, static_cast<std::size_t>(c.length)});
      ASSERT_EQ(read.moved, static_cast<std::size_t>(c.expected));
      EXPECT_TRUE(std::memcmp(buffer.data() + c.misalign, bytes.data() + c.offset, read.moved) ==
                  0);
      // The position follows what was read.
      const bool more = c.offset + c.expected < kSize;
      ASSERT_EQ(direct.medium->Read({buffer.data(), 1}).moved, more ? 1u : 0u);
      if (more) {
        EXPECT_EQ(buffer[0], static_cast<std::byte>(bytes[c.offset + c.expected]));
      }
    }
    EXPECT_EQ(test::CachedPages(loop->node(), 0, kSize), 0);
  }
}

}  // namespace
}  // namespace ombrix::platform
