// The Linux device layer on image files and on drives of a machine assembled in a folder.
#include "platform/linux/device_linux.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/drive_path.h"
#include "tests/support/fake_machine.h"
#include "tests/support/strings.h"

namespace ombrix::platform {
namespace {

using test::PathU16;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

std::span<const std::byte> Bytes(const std::string& s) {
  return std::as_bytes(std::span(s));
}

class ImageFiles : public ::testing::Test {
 protected:
  DeviceAccess::Opened Open(const std::filesystem::path& p, Access access, Share share,
                            Disposition disposition) {
    return devices_.Open(PathU16(p), access, share, disposition);
  }
  TempDir dir_;
  LinuxDeviceAccess devices_;
};

TEST_F(ImageFiles, OpenAlwaysCreatesAnEmptyFileOpenExistingDoesNot) {
  const auto missing = dir_ / "missing.img";
  auto opened = Open(missing, Access::kReadWrite, Share::kRead, Disposition::kOpenExisting);
  EXPECT_FALSE(opened.medium);
  EXPECT_EQ(opened.error, OpenError::kNotFound);
  EXPECT_FALSE(std::filesystem::exists(missing));

  opened = Open(missing, Access::kReadWrite, Share::kRead, Disposition::kOpenAlways);
  ASSERT_TRUE(opened.medium);
  EXPECT_EQ(opened.medium->FileSize(), 0);
  EXPECT_TRUE(std::filesystem::exists(missing));
}

TEST_F(ImageFiles, PositionReadWriteAndSize) {
  const auto file = dir_ / "a.img";
  WriteFile(file, "0123456789");
  auto medium = Open(file, Access::kReadWrite, Share::kRead, Disposition::kOpenAlways).medium;
  ASSERT_TRUE(medium);

  std::vector<std::byte> buffer(4);
  ASSERT_TRUE(medium->SetPosition(3));
  auto read = medium->Read(buffer);
  EXPECT_TRUE(read.ok);
  EXPECT_EQ(read.moved, 4u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer.data()), 4), "3456");

  // At the end of the file a read moves fewer bytes than asked for.
  ASSERT_TRUE(medium->SetPosition(8));
  read = medium->Read(buffer);
  EXPECT_TRUE(read.ok);
  EXPECT_EQ(read.moved, 2u);

  // Writing past the end extends the file; the gap reads as zeros.
  ASSERT_TRUE(medium->SetPosition(12));
  const auto written = medium->Write(Bytes("xy"));
  EXPECT_TRUE(written.ok);
  EXPECT_EQ(written.moved, 2u);
  EXPECT_TRUE(medium->Flush());
  EXPECT_EQ(medium->FileSize(), 14);
  EXPECT_EQ(ReadFile(file), std::string("0123456789\0\0xy", 14));

  EXPECT_FALSE(medium->SetPosition(-512));
  EXPECT_FALSE(medium->DriveGeometry());
  EXPECT_FALSE(medium->StorageDescriptor());
}

TEST_F(ImageFiles, SharingReadDeniesOtherWritersUnderAnyName) {
  const auto file = dir_ / "a.img";
  WriteFile(file, "data");
  std::filesystem::create_symlink(file, dir_ / "link.img");

  auto writer = Open(file, Access::kReadWrite, Share::kRead, Disposition::kOpenExisting);
  ASSERT_TRUE(writer.medium);
  const auto second =
      Open(dir_ / "link.img", Access::kReadWrite, Share::kRead, Disposition::kOpenExisting);
  EXPECT_FALSE(second.medium);
  EXPECT_EQ(second.error, OpenError::kBusy);
  EXPECT_FALSE(Open(file, Access::kRead, Share::kRead, Disposition::kOpenExisting).medium);
  // Sharing reads and writes, as discovery does, does not conflict.
  EXPECT_TRUE(Open(file, Access::kRead, Share::kReadWrite, Disposition::kOpenExisting).medium);

  writer.medium.reset();
  EXPECT_TRUE(
      Open(dir_ / "link.img", Access::kReadWrite, Share::kRead, Disposition::kOpenExisting).medium);
}

TEST_F(ImageFiles, OnlyRegularFilesAreImages) {
  for (const std::filesystem::path& p : {dir_.path(), std::filesystem::path("/dev/null")}) {
    EXPECT_FALSE(Open(p, Access::kRead, Share::kRead, Disposition::kOpenExisting).medium) << p;
  }
  EXPECT_FALSE(devices_.Open(u"", Access::kRead, Share::kRead, Disposition::kOpenAlways).medium);
}

TEST(FakeDrives, DrivePathsOpenTheSnapshotsNodesAndNoticeAChange) {
  test::FakeMachine machine;
  machine.Add({.name = "sda", .dev = "8:0", .size_bytes = 1 << 20});
  machine.Add({.name = "sdb", .dev = "8:16", .size_bytes = 2 << 20});
  LinuxDeviceAccess devices(machine.Config());

  // Before a snapshot no drive number means anything.
  EXPECT_FALSE(
      devices.Open(FormatDrivePath(0), Access::kRead, Share::kReadWrite, Disposition::kOpenExisting)
          .medium);
  devices.SnapshotDrives();
  EXPECT_EQ(devices.DriveNode(1), machine.Node("sdb"));
  EXPECT_EQ(devices.DriveNode(2), std::nullopt);

  auto open = [&](int n) {
    return devices.Open(FormatDrivePath(n), Access::kReadWrite, Share::kRead,
                        Disposition::kOpenAlways);
  };
  EXPECT_TRUE(open(1).medium);
  EXPECT_EQ(open(2).error, OpenError::kNotFound);
  // A drive number never creates anything.
  EXPECT_FALSE(std::filesystem::exists(machine.Node("sdc")));

  // sdb replaced by a device of another size after the list was made: not opened.
  test::ResizeFile(machine.Node("sdb"), 3 << 20);
  const auto changed = open(1);
  EXPECT_FALSE(changed.medium);
  EXPECT_EQ(changed.error, OpenError::kChanged);

  // Without stand-ins allowed, a regular file is never taken for a drive.
  auto config = machine.Config();
  config.file_nodes = false;
  LinuxDeviceAccess strict(config);
  strict.SnapshotDrives();
  EXPECT_EQ(
      strict.Open(FormatDrivePath(0), Access::kRead, Share::kReadWrite, Disposition::kOpenExisting)
          .error,
      OpenError::kChanged);
}

}  // namespace
}  // namespace ombrix::platform
