#include "catalogue/drive_identity.h"

#include <gtest/gtest.h>

namespace ombrix {
namespace {

TEST(DriveIdentity, FromDescriptorTexts) {
  struct Case {
    const char* name;
    platform::StorageDescriptorTexts texts;
    DriveIdentity expected;
  };
  const Case cases[] = {
      {"ATA disk: product alone, serial decoded",
       {.product = "WDC WD10EZEX", .revision = "01.01A01", .serial = "202031583259"},
       {.model = "WDC WD10EZEX", .serial = "X1Y2", .firmware = "01.01A01"}},
      {"SCSI disk: vendor, one space, product, all untrimmed",
       {.vendor = "QEMU    ", .product = "QEMU HARDDISK   ", .revision = "2.5+"},
       {.model = "QEMU     QEMU HARDDISK   ", .firmware = "2.5+", .vendor_present = true}},
      {"empty vendor text still counts as present",
       {.vendor = "", .product = "Disk"},
       {.model = " Disk", .vendor_present = true}},
      {"nothing at all", {}, {}},
  };
  for (const auto& c : cases) {
    const DriveIdentity got = IdentityFromDescriptor(c.texts);
    EXPECT_EQ(got.model, c.expected.model) << c.name;
    EXPECT_EQ(got.serial, c.expected.serial) << c.name;
    EXPECT_EQ(got.firmware, c.expected.firmware) << c.name;
    EXPECT_EQ(got.vendor_present, c.expected.vendor_present) << c.name;
  }
}

}  // namespace
}  // namespace ombrix
