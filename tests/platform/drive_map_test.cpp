#include "platform/linux/drive_map.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/drive_path.h"
#include "tests/support/fake_machine.h"

namespace ombrix::platform {
namespace {

TEST(DriveMap, WhichBlockDevicesAreDrives) {
  struct Case {
    const char* name;
    std::optional<DriveKind> kind;
  };
  const Case cases[] = {
      {"sda", DriveKind::kScsi},
      {"sdaa", DriveKind::kScsi},
      {"nvme0n1", DriveKind::kNvme},
      {"nvme12n3", DriveKind::kNvme},
      {"vda", DriveKind::kVirtio},
      {"xvdb", DriveKind::kXen},
      {"hda", DriveKind::kIde},
      {"mmcblk0", DriveKind::kMmc},
      {"loop7", DriveKind::kLoop},
      {"sda1", std::nullopt},
      {"nvme0n1p1", std::nullopt},
      {"nvme0c0n1", std::nullopt},
      {"mmcblk0boot0", std::nullopt},
      {"mmcblk0rpmb", std::nullopt},
      {"mmcblk0p2", std::nullopt},
      {"ram0", std::nullopt},
      {"zram0", std::nullopt},
      {"dm-0", std::nullopt},
      {"md127", std::nullopt},
      {"sr0", std::nullopt},
      {"fd0", std::nullopt},
      {"sd", std::nullopt},
      {"loop", std::nullopt},
      {"sdA", std::nullopt},
      {"sdaaaaaaaaaaaaaaaaaaaa", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ClassifyBlockDevice(c.name), c.kind) << c.name;
}

TEST(DriveMap, StableOrderByKindThenKernelNumbering) {
  std::vector<std::string> names = {"loop10",  "sdaa",    "vda",     "loop2",
                                    "sdz",     "sdb",     "sda",     "nvme1n1",
                                    "nvme0n2", "nvme0n1", "mmcblk0", "nvme10n1"};
  std::sort(names.begin(), names.end(), DriveOrderLess);
  EXPECT_EQ(names,
            (std::vector<std::string>{"sda", "sdb", "sdz", "sdaa", "nvme0n1", "nvme0n2", "nvme1n1",
                                      "nvme10n1", "vda", "mmcblk0", "loop2", "loop10"}));
}

TEST(DriveMap, ScanKeepsOnlyDrivesWithSaneAttributes) {
  test::FakeMachine machine;
  machine.Add({.name = "sdb", .dev = "8:16", .attributes = {{"diskseq", "42\n"}}});
  machine.Add({.name = "sda", .dev = "8:0"});
  machine.Add({.name = "loop0", .dev = "7:0"});  // nothing attached
  machine.Add({.name = "loop1", .dev = "7:1", .attributes = {{"loop/backing_file", "/x.img\n"}}});
  machine.Add({.name = "nvme0n1", .dev = "259:0", .attributes = {{"hidden", "1\n"}}});
  machine.Add({.name = "sdc", .dev = "garbage"});
  machine.Add({.name = "sdd", .dev = "8:48", .attributes = {{"size", "99999999999999999999\n"}}});
  const auto drives = ScanDrives(machine.Config().sys_root);

  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0].name, "sda");
  EXPECT_EQ(drives[1].name, "sdb");
  EXPECT_EQ(drives[1].disk_sequence, 42u);
  EXPECT_EQ(drives[1].size_bytes, 1 << 20);
  EXPECT_EQ(drives[2].name, "loop1");
  EXPECT_EQ(drives[2].kind, DriveKind::kLoop);
}

TEST(DrivePath, ExactFormOnly) {
  EXPECT_EQ(FormatDrivePath(0), u"\\\\.\\PhysicalDrive0");
  EXPECT_EQ(FormatDrivePath(127), u"\\\\.\\PhysicalDrive127");
  EXPECT_EQ(ParseDrivePath(u"\\\\.\\PhysicalDrive0"), 0);
  EXPECT_EQ(ParseDrivePath(u"\\\\.\\PhysicalDrive127"), 127);
  for (const char16_t* other :
       {u"\\\\.\\PhysicalDrive", u"\\\\.\\PhysicalDrive01", u"\\\\.\\PhysicalDrive-1",
        u"\\\\.\\PhysicalDrive1x", u"\\\\.\\physicaldrive1", u"/dev/sda",
        u"\\\\.\\PhysicalDrive99999999999"}) {
    EXPECT_EQ(ParseDrivePath(other), std::nullopt);
  }
}

}  // namespace
}  // namespace ombrix::platform
