#include "platform/linux/sysfs.h"

#include <gtest/gtest.h>
#include <sys/sysmacros.h>

#include "catalogue/serial_text.h"
#include "platform/linux/sysfs_identity.h"
#include "tests/support/temp_dir.h"

namespace ombrix::platform {
namespace {

std::span<const std::byte> Bytes(const std::string& s) {
  return std::as_bytes(std::span(s));
}

TEST(Sysfs, NumbersAndDeviceNumbers) {
  EXPECT_EQ(sysfs::ParseDecimal("2048\n"), 2048u);
  EXPECT_EQ(sysfs::ParseDecimal("18446744073709551615"), UINT64_MAX);
  for (const char* bad : {"", "\n", "-1", "12a", " 12", "18446744073709551616", "1\n\n"}) {
    EXPECT_EQ(sysfs::ParseDecimal(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(sysfs::ParseDeviceNumber("8:16\n"), makedev(8, 16));
  EXPECT_EQ(sysfs::ParseDeviceNumber("259:1048575"), makedev(259, 1048575));
  for (const char* bad : {"8", "8:", ":0", "4096:0", "8:1048576", "a:b"}) {
    EXPECT_EQ(sysfs::ParseDeviceNumber(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(sysfs::AttributeText("ATA     \n"), "ATA     ");
  EXPECT_EQ(sysfs::AttributeText(std::string("ab\0cd\n", 6)), "ab");
}

TEST(Sysfs, UnitSerialPageIsBoundedByPageAndLength) {
  EXPECT_EQ(sysfs::ParseUnitSerialPage(Bytes(std::string("\0\x80\0\x05  AB1", 9))), "  AB1");
  // A length that claims more than the page holds reads only the page.
  EXPECT_EQ(sysfs::ParseUnitSerialPage(Bytes(std::string("\0\x80\xff\xffXY", 6))), "XY");
  EXPECT_EQ(sysfs::ParseUnitSerialPage(Bytes(std::string("\0\x83\0\x01X", 5))), std::nullopt);
  EXPECT_EQ(sysfs::ParseUnitSerialPage(Bytes(std::string("\0\x80", 2))), std::nullopt);
}

// A page 0x89 whose IDENTIFY data holds the given texts, stored as an ATA disk stores them:
// 16-bit words, the first character of each pair in the high byte.
std::string AtaPage(const std::string& model, const std::string& serial,
                    const std::string& firmware) {
  std::string page(572, '\0');
  page[1] = '\x89';
  auto put = [&](std::size_t word, std::size_t words, std::string text) {
    text.resize(words * 2, ' ');
    for (std::size_t i = 0; i < text.size(); i += 2) {
      page[60 + 2 * word + i] = text[i + 1];
      page[60 + 2 * word + i + 1] = text[i];
    }
  };
  put(27, 20, model);
  put(10, 10, serial);
  put(23, 4, firmware);
  return page;
}

TEST(Sysfs, AtaInformationPageGivesFullModel) {
  const auto id = sysfs::ParseAtaInformationPage(
      Bytes(AtaPage("Samsung SSD 860 EVO 500GB", "  S3Z1NB0K", "RVT01B6Q")));
  ASSERT_TRUE(id);
  EXPECT_EQ(id->model, "Samsung SSD 860 EVO 500GB");
  EXPECT_EQ(id->serial, "S3Z1NB0K");
  EXPECT_EQ(id->firmware, "RVT01B6Q");
  EXPECT_EQ(sysfs::ParseAtaInformationPage(Bytes(AtaPage("x", "y", "z").substr(0, 571))),
            std::nullopt);
}

TEST(SysfsIdentity, AtaDiskBehindLibataHasNoVendor) {
  test::TempDir dir;
  test::WriteFile(dir / "device/vendor", "ATA     \n");
  test::WriteFile(dir / "device/model", "Samsung SSD 860 \n");  // libata cuts it at 16
  test::WriteFile(dir / "device/vpd_pg89",
                  AtaPage("Samsung SSD 860 EVO 500GB", "S3Z1NB0K", "RVT01B6Q"));
  const auto texts = ReadDriveTexts(dir.path(), DriveKind::kScsi);
  EXPECT_FALSE(texts.vendor.has_value());
  EXPECT_EQ(texts.product, "Samsung SSD 860 EVO 500GB");
  EXPECT_EQ(texts.revision, "RVT01B6Q");
  EXPECT_EQ(SerialFromText(texts.serial.value()), "S3Z1NB0K");
}

TEST(SysfsIdentity, HostileAttributesStayBounded) {
  test::TempDir dir;
  test::WriteFile(dir / "device/model", std::string(100000, 'M'));
  test::WriteFile(dir / "device/serial", std::string(5000, 'S') + std::string("\0\xff", 2));
  const auto texts = ReadDriveTexts(dir.path(), DriveKind::kNvme);
  EXPECT_EQ(texts.product->size(), 255u);
  EXPECT_EQ(SerialFromText(texts.serial.value()), std::string(126, 'S'));
}

}  // namespace
}  // namespace ombrix::platform
