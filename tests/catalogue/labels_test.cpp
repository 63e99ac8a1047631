#include "catalogue/labels.h"

#include <gtest/gtest.h>

#include "catalogue/media_record.h"

namespace ombrix {
namespace {

struct CapacityCase {
  std::int64_t size;
  std::u16string text;
};

TEST(FormatCapacity, ChoosesUnitAndRoundsThroughSinglePrecision) {
  constexpr std::int64_t kMiB = 1 << 20, kGiB = std::int64_t{1} << 30;
  const CapacityCase cases[] = {
      {0, u"    0.00 MB"},
      {kGiB - 1, u" 1024.00 MB"},  // just below the GB threshold: rounds up, still MB
      {kGiB, u"    1.00 GB"},
      // 1000.00498 MB: single precision makes it 1000.00500, which prints as 1000.01.
      {1000 * kMiB + 5 * 1024 + 100, u" 1000.01 MB"},
      {std::int64_t{1} << 40, u"    1.00 TB"},
      {(std::int64_t{1} << 40) - 1, u" 1024.00 GB"},
      {512 * kGiB + 256 * kMiB, u"  512.25 GB"},
      {INT64_MAX, u"8388608.00 TB"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatCapacity(c.size), c.text) << c.size;
}

MediaRecord Drive(int number, std::string_view model, std::int64_t size) {
  MediaRecord r;
  r.number = number;
  SetAnsiText(r.model, model);
  r.size_bytes = size;
  return r;
}

MediaRecord Image(std::u16string_view name, std::int64_t size) {
  MediaRecord r;
  r.is_image = 1;
  SetText(r.name, name);
  r.size_bytes = size;
  return r;
}

TEST(Labels, DriveAndImageEntries) {
  EXPECT_EQ(DriveLabel(Drive(0, "Samsung SSD 860", std::int64_t{1} << 30)),
            u"HD0: Samsung SSD 860    1.00 GB");
  EXPECT_EQ(DriveLabel(Drive(12, "NoReadModel", 0)), u"HD12: NoReadModel    0.00 MB");
  // A model that fills its 40-byte field has no terminator and is read to the field's end.
  EXPECT_EQ(DriveLabel(Drive(1, std::string(45, 'M'), 0)),
            u"HD1: " + std::u16string(40, u'M') + u"    0.00 MB");
#if !defined(_WIN32)
  // UTF-8 model text, as a Linux machine's code page delivers it. (On Windows the machine's ANSI
  // code page decides.)
  EXPECT_EQ(DriveLabel(Drive(2, "\xE7\xA1\xAC\xE7\x9B\x98", 512)), u"HD2: 硬盘    0.00 MB");
#endif

  EXPECT_EQ(SourceImageLabel(Image(u"disk.img", 512)), u"Image File: disk.img    0.00 MB");
  EXPECT_EQ(TargetImageLabel(Image(u"备份.img", 0)), u"Image File: 备份.img");
}

TEST(Labels, DeviceAndFileTextsCannotDisguiseAnEntry) {
  // A right-to-left override or a line break in a model or file name would let one entry
  // pose as another; they are shown as replacement characters.
  EXPECT_EQ(DriveLabel(Drive(0, "Disk\nHD1: Other", 0)), u"HD0: Disk\uFFFDHD1: Other    0.00 MB");
  EXPECT_EQ(TargetImageLabel(Image(u"a\u202Egmi.exe", 0)), u"Image File: a\uFFFDgmi.exe");
#if !defined(_WIN32)
  // A byte that is no UTF-8 shows as a replacement character.
  EXPECT_EQ(DriveLabel(Drive(0, "bad\xFF", 0)), u"HD0: bad\uFFFD    0.00 MB");
#endif
}

TEST(MediaRecordFields, PathsThatDoNotFitAreRefusedNotCut) {
  MediaRecord r;
  EXPECT_TRUE(SetText(r.path, std::u16string(kPathUnits - 1, u'a')));
  EXPECT_FALSE(SetText(r.path, std::u16string(kPathUnits, u'b')));
  EXPECT_EQ(TextOf(r.path), std::u16string(kPathUnits - 1, u'a'));
}

TEST(MediaRecordFields, TablesRefuseSlotsPastTheirEnd) {
  MediaTable table{};
  MediaRecord r;
  r.number = 7;
  EXPECT_TRUE(StoreRecord(table, kMaxEntries - 1, r));
  EXPECT_EQ(table[kMaxEntries - 1].number, 7);
  EXPECT_FALSE(StoreRecord(table, kMaxEntries, r));
  EXPECT_FALSE(StoreRecord(table, -1, r));
}

}  // namespace
}  // namespace ombrix
