// Drive discovery on this machine, with loop devices of the test's own attached.
#include <gtest/gtest.h>

#include <iostream>

#include "catalogue/drive_discovery.h"
#include "catalogue/labels.h"
#include "platform/linux/device_linux.h"
#include "tests/support/loop_device.h"
#include "tests/support/memory_combo_box.h"
#include "tests/support/strings.h"
#include "tests/support/temp_dir.h"

namespace ombrix {
namespace {

// The slot whose drive the device layer maps to `node`, or -1.
int SlotOf(const platform::LinuxDeviceAccess& devices, const MediaTable& table, int count,
           const std::filesystem::path& node) {
  for (int slot = 0; slot < count; ++slot) {
    if (devices.DriveNode(table[slot].number) == node) return slot;
  }
  return -1;
}

TEST(DiscoveryOnThisMachine, ListsAttachedLoopDevicesWithTrueSizesAndNotDetachedOnes) {
  test::TempDir dir;
  test::ResizeFile(dir / "small.img", 64 << 20);
  test::ResizeFile(dir / "large.img", 96 << 20);
  test::ResizeFile(dir / "gone.img", 32 << 20);
  OMBRIX_ATTACH_LOOP_OR_SKIP(small, dir / "small.img", 512);
  OMBRIX_ATTACH_LOOP_OR_SKIP(large, dir / "large.img", 4096);
  OMBRIX_ATTACH_LOOP_OR_SKIP(gone, dir / "gone.img", 512);
  const auto gone_node = gone->node();
  gone->Detach();

  platform::LinuxDeviceAccess devices;
  test::MemoryComboBox source_list, target_list;
  MediaTable source{}, target{};
  DiscoverDrives(devices, source_list, target_list, source, target);
  const int count = source_list.GetCount();
  for (int slot = 0; slot < count; ++slot) {
    std::cout << "  " << slot << ": " << devices.DriveNode(source[slot].number)->string() << "  "
              << test::Ascii(source_list.GetLBText(slot)) << "\n";
  }

  const int s = SlotOf(devices, source, count, small->node());
  const int l = SlotOf(devices, source, count, large->node());
  ASSERT_GE(s, 0);
  ASSERT_GE(l, 0);
  EXPECT_EQ(source[s].size_bytes, 64 << 20);
  EXPECT_EQ(source[s].bytes_per_sector, 512u);
  EXPECT_EQ(source[l].size_bytes, 96 << 20);
  EXPECT_EQ(source[l].bytes_per_sector, 4096u);
  EXPECT_EQ(source_list.GetLBText(l),
            test::U16("HD" + std::to_string(source[l].number) + ": Loop large.img   96.00 MB"));
  EXPECT_EQ(SlotOf(devices, source, count, gone_node), -1);
  EXPECT_EQ(target, source);
  EXPECT_EQ(target_list.items(), source_list.items());
}

}  // namespace
}  // namespace ombrix
