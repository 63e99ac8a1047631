// Real file systems survive a clone through the window: a partitioned disk image with an ext4 and
// a FAT partition, made with Debian's tools only, is cloned image -> loop device -> image, and
// its first partition alone is copied by a sector range onto a second disk at the same offsets.
// Afterwards the partition table, e2fsck -fn, fsck.vfat -n and the files read back all agree.
#include <filesystem>
#include <string>

#include "app/resource.h"
#include "tests/gui/gui_fixture.h"
#include "tests/support/loop_device.h"
#include "tests/support/strings.h"

namespace ombrix::test {
namespace {

using namespace resource;

constexpr std::int64_t kMiB = 1 << 20;
constexpr std::int64_t kDiskBytes = 16 * kMiB;
// Partition 1 (ext4): sectors 2048..14335; partition 2 (FAT): 14336 to the end.
constexpr std::int64_t kExtStart = 2048, kExtSectors = 12288;
constexpr std::int64_t kFatStart = 14336, kFatSectors = 18432;

class FileSystemClone : public GuiTest {
 protected:
  // Runs a shell command; the test fails when it does.
  std::string Shell(const std::string& command) {
    int status = 0;
    std::string output = RunCommand(command + " 2>&1", status);
    EXPECT_EQ(status, 0) << command << "\n" << output;
    return output;
  }

  bool HaveTools() {
    int status = 0;
    RunCommand("command -v sfdisk mkfs.ext4 mkfs.vfat mcopy e2fsck fsck.vfat debugfs", status);
    return status == 0;
  }

  // The disk: an MBR with both partitions, each file system made apart and put in place.
  std::filesystem::path MakeDisk() {
    const auto files = dir_.path() / "files";
    std::filesystem::create_directories(files);
    a_ = MakeFile("files/a.txt", 100 * 1024);
    b_ = MakeFile("files/b.bin", kMiB + 333);
    const auto disk = dir_.path() / "disk.img";
    std::filesystem::resize_file(MakeFile("disk.img", 0), kDiskBytes);
    const std::string d = disk.string(), p = dir_.path().string();
    Shell("printf 'label: dos\\n2048,12288,83\\n14336,,c\\n' | sfdisk -q " + d);
    Shell("mkfs.ext4 -q -F -d " + files.string() + " " + p + "/p1.img 6M");
    Shell("mkfs.vfat -C " + p + "/p2.img 9216");
    Shell("mcopy -i " + p + "/p2.img " + a_.string() + " " + b_.string() + " ::");
    Shell("dd if=" + p + "/p1.img of=" + d + " bs=512 seek=2048 conv=notrunc status=none");
    Shell("dd if=" + p + "/p2.img of=" + d + " bs=512 seek=14336 conv=notrunc status=none");
    return disk;
  }

  // e2fsck and the files of the ext4 partition found at `start` sectors into `image`.
  void CheckExt4(const std::filesystem::path& image, std::int64_t start) {
    const std::string part = (dir_.path() / "check-ext4.img").string();
    Shell("dd if=" + image.string() + " of=" + part + " bs=512 skip=" + std::to_string(start) +
          " count=" + std::to_string(kExtSectors) + " status=none");
    Shell("e2fsck -fn " + part);
    for (const auto& file : {a_, b_}) {
      const auto out = dir_.path() / "out";
      std::filesystem::remove(out);  // debugfs says nothing in its status when a file is missing
      Shell("debugfs -R 'dump /" + file.filename().string() + " " + out.string() + "' " + part);
      EXPECT_TRUE(SameBytes(FileBytes(out), FileBytes(file))) << file.filename();
    }
  }

  // fsck.vfat and the files of the FAT partition.
  void CheckFat(const std::filesystem::path& image) {
    const std::string part = (dir_.path() / "check-fat.img").string();
    Shell("dd if=" + image.string() + " of=" + part + " bs=512 skip=" + std::to_string(kFatStart) +
          " count=" + std::to_string(kFatSectors) + " status=none");
    Shell("fsck.vfat -n " + part);
    for (const auto& file : {a_, b_}) {
      const auto out = dir_.path() / "out";
      std::filesystem::remove(out);
      Shell("mcopy -n -i " + part + " ::" + file.filename().string() + " " + out.string());
      EXPECT_TRUE(SameBytes(FileBytes(out), FileBytes(file))) << file.filename();
    }
  }

  void CheckWholeDisk(const std::filesystem::path& image, const std::filesystem::path& original) {
    EXPECT_TRUE(SameBytes(FileBytes(image, 0, 512), FileBytes(original, 0, 512)));  // the MBR
    Shell("sfdisk --verify " + image.string());
    CheckExt4(image, kExtStart);
    CheckFat(image);
  }

  void Copy() {
    answerer_.Clear();
    Click(IDC_COPY);
    WaitForIdle();
    ASSERT_EQ(Sequence().back(), u"done");
    ASSERT_NE(Sequence()[Sequence().size() - 2].find(u"复制完毕"), std::u16string::npos);
  }

  std::filesystem::path a_, b_;
};

TEST_F(FileSystemClone, ImageToDiskToImageAndOnePartitionByRange) {
  if (!HaveTools()) GTEST_SKIP() << "sfdisk, e2fsprogs, dosfstools or mtools missing";
  const auto disk = MakeDisk();
  if (HasFailure()) return;
  const auto first_file = dir_.path() / "first.bin";
  const auto second_file = dir_.path() / "second.bin";
  std::filesystem::resize_file(MakeFile("first.bin", 0), kDiskBytes);
  std::filesystem::resize_file(MakeFile("second.bin", 0), kDiskBytes);
  OMBRIX_ATTACH_LOOP_OR_SKIP(first, first_file, 512);
  OMBRIX_ATTACH_LOOP_OR_SKIP(second, second_file, 512);
  OpenOnThisMachine();

  // image -> first loop device
  answerer_.Files({PathU16(disk)});
  Click(IDC_SOURCE_IMAGE);
  const int image_entry = Selection(IDC_SOURCE_LIST);
  const int first_at = PositionOfNode(first->node());
  ASSERT_GE(first_at, 0);
  Select(IDC_TARGET_LIST, first_at);
  Copy();
  CheckWholeDisk(first->node(), disk);

  // first loop device -> a new image
  const auto clone = dir_.path() / "clone.img";
  Select(IDC_SOURCE_LIST, first_at);
  answerer_.Files({PathU16(clone)});
  Click(IDC_TARGET_IMAGE);
  Copy();
  EXPECT_EQ(std::filesystem::file_size(clone), static_cast<std::uintmax_t>(kDiskBytes));
  CheckWholeDisk(clone, disk);

  // Only the ext4 partition, by its sectors, onto the second disk at the same offsets.
  Select(IDC_SOURCE_LIST, image_entry);
  Select(IDC_TARGET_LIST, PositionOfNode(second->node()));
  Click(IDC_RANGE_OPTION);
  SetEdit(IDC_START_SECTOR, u"2048");
  SetEdit(IDC_SECTOR_COUNT, u"12288");
  Copy();
  CheckExt4(second->node(), kExtStart);
  EXPECT_EQ(FileBytes(second->node(), 0, kExtStart * 512), std::string(kExtStart * 512, '\0'));
  EXPECT_EQ(FileBytes(second->node(), kFatStart * 512, kFatSectors * 512),
            std::string(kFatSectors * 512, '\0'));
}

}  // namespace
}  // namespace ombrix::test
