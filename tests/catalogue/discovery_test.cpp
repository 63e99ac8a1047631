// Drive discovery on machines assembled in a folder.
#include <gtest/gtest.h>

#include "catalogue/drive_discovery.h"
#include "catalogue/labels.h"
#include "platform/linux/device_linux.h"
#include "tests/support/fake_machine.h"
#include "tests/support/memory_combo_box.h"

namespace ombrix {
namespace {

using test::FakeDisk;

class DiscoveryTest : public ::testing::Test {
 protected:
  void Discover() {
    platform::LinuxDeviceAccess devices(machine_.Config());
    DiscoverDrives(devices, source_list_, target_list_, source_, target_);
  }
  std::string Model(int slot) const { return std::string(AnsiTextOf(source_[slot].model)); }
  std::string Serial(int slot) const { return std::string(AnsiTextOf(source_[slot].serial)); }

  test::FakeMachine machine_;
  test::MemoryComboBox source_list_, target_list_;
  MediaTable source_{}, target_{};
};

TEST_F(DiscoveryTest, NoDriveLeavesListsAndTablesEmpty) {
  machine_.Add({.name = "zram0", .dev = "253:0"});
  machine_.Add({.name = "loop0", .dev = "7:0"});  // nothing attached
  machine_.Add({.name = "sr0", .dev = "11:0"});
  Discover();
  EXPECT_EQ(source_list_.GetCount(), 0);
  EXPECT_EQ(target_list_.GetCount(), 0);
  EXPECT_EQ(source_, MediaTable{});
  EXPECT_EQ(target_, MediaTable{});
}

TEST_F(DiscoveryTest, ADriveThatDoesNotOpenLeavesNoGap) {
  machine_.Add({.name = "sda", .dev = "8:0", .attributes = {{"device/model", "First\n"}}});
  machine_.Add({.name = "sdb", .dev = "8:16", .node = false});  // listed by sysfs, node missing
  machine_.Add({.name = "sdc", .dev = "8:32", .attributes = {{"device/model", "Third\n"}}});
  Discover();

  ASSERT_EQ(source_list_.GetCount(), 2);
  EXPECT_EQ(source_list_.items(), target_list_.items());
  EXPECT_TRUE(source_list_.GetLBText(0).starts_with(u"HD0: First"));
  EXPECT_TRUE(source_list_.GetLBText(1).starts_with(u"HD2: Third"));
  EXPECT_EQ(source_[1].number, 2);
  EXPECT_EQ(TextOf(source_[1].path), u"\\\\.\\PhysicalDrive2");
  EXPECT_EQ(source_[1].is_image, 0);
  // Every slot, the empty ones too, is the same in both tables.
  EXPECT_EQ(target_, source_);
}

TEST_F(DiscoveryTest, IdentityTextsBecomeModelSerialAndFirmware) {
  // A USB stick: SCSI with a vendor, so its serial shows as one space.
  machine_.Add({.name = "sda",
                .dev = "8:0",
                .attributes = {{"device/vendor", "Kingston\n"},
                               {"device/model", "DataTraveler 3.0\n"},
                               {"device/rev", "PMAP\n"}}});
  // An NVMe namespace: no vendor, the real serial comes through.
  machine_.Add({.name = "nvme0n1",
                .dev = "259:0",
                .attributes = {{"device/model", "Samsung SSD 970 EVO 1TB\n"},
                               {"device/serial", "S467NX0M123456K     \n"},
                               {"device/firmware_rev", "2B2QEXE7\n"}}});
  // A virtio disk reports no model at all.
  machine_.Add({.name = "vda", .dev = "254:0", .attributes = {{"serial", "overlay\n"}}});
  Discover();

  ASSERT_EQ(source_list_.GetCount(), 3);
  EXPECT_EQ(Model(0), "Kingston DataTraveler 3.0");
  EXPECT_EQ(Serial(0), " ");
  EXPECT_EQ(std::string(AnsiTextOf(source_[0].firmware)), "PMAP");
  EXPECT_EQ(Model(1), "Samsung SSD 970 EVO 1TB");
  EXPECT_EQ(Serial(1), "S467NX0M123456K");
  EXPECT_EQ(std::string(AnsiTextOf(source_[1].firmware)), "2B2QEXE7");
  EXPECT_EQ(Model(2), "NoReadModel");
  EXPECT_EQ(Serial(2), "overlay");
}

TEST_F(DiscoveryTest, GeometryFailureGivesSizeZero) {
  // A sector size no drive has: the geometry query fails.
  machine_.Add({.name = "sda",
                .dev = "8:0",
                .size_bytes = 4 << 20,
                .attributes = {{"queue/logical_block_size", "0\n"}}});
  Discover();
  ASSERT_EQ(source_list_.GetCount(), 1);
  EXPECT_EQ(source_[0].size_bytes, 0);
  EXPECT_EQ(source_[0].bytes_per_sector, 0u);
  EXPECT_EQ(source_[0].heads, 0u);
  EXPECT_EQ(source_list_.GetLBText(0), u"HD0: NoReadModel    0.00 MB");
}

}  // namespace
}  // namespace ombrix
