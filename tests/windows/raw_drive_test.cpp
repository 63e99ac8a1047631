// The Win32 device layer on a real block device: a loop device of the test's own behind
// \\.\PhysicalDrive8 under Wine. Open, position, read, write and flush are checked byte for byte
// against the loop device's file; discovery lists the drive with what Wine's answers give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "catalogue/drive_discovery.h"
#include "platform/device.h"
#include "platform/drive_path.h"
#include "platform/win32/device_win32.h"
#include "tests/support/memory_combo_box.h"

namespace ombrix::platform {
namespace {

constexpr int kDrive = 8;
constexpr std::int64_t kMiB = 1 << 20;

std::vector<std::byte> FileBytes(std::int64_t offset, std::int64_t length) {
  std::ifstream file(OMBRIX_LOOP_FILE, std::ios::binary);
  file.seekg(offset);
  std::vector<std::byte> bytes(static_cast<std::size_t>(length));
  file.read(reinterpret_cast<char*>(bytes.data()), length);
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return bytes;
}

std::vector<std::byte> Pattern(std::size_t length, std::uint8_t seed) {
  std::vector<std::byte> bytes(length);
  for (std::size_t i = 0; i < length; ++i)
    bytes[i] = std::byte(static_cast<std::uint8_t>(i * 7 + seed));
  return bytes;
}

class RawDrive : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ifstream marker(OMBRIX_LOOP_MARKER);
    std::string line;
    std::getline(marker, line);
    if (line.rfind("skip: ", 0) == 0) GTEST_SKIP() << line.substr(6);
    ASSERT_FALSE(line.empty()) << "the loop device was not set up";
  }

  Win32DeviceAccess devices_;
};

TEST_F(RawDrive, ReadsPositionsWritesAndFlushesTheBlockDevice) {
  {
    auto source = OpenForReading(devices_, FormatDrivePath(kDrive), Disposition::kOpenExisting);
    ASSERT_NE(source.medium, nullptr);
    for (const std::int64_t offset : {std::int64_t{0}, 3 * kMiB + 512, 8 * kMiB - 4096}) {
      SCOPED_TRACE(offset);
      ASSERT_TRUE(source.medium->SetPosition(offset));
      std::vector<std::byte> read(4096);
      const IoResult result = source.medium->Read(read);
      EXPECT_TRUE(result.ok);
      EXPECT_EQ(result.moved, read.size());
      EXPECT_TRUE(read == FileBytes(offset, 4096));
    }
    // At the end of the device a read moves nothing.
    ASSERT_TRUE(source.medium->SetPosition(8 * kMiB));
    std::vector<std::byte> past(512);
    EXPECT_EQ(source.medium->Read(past).moved, 0u);
  }

  const std::vector<std::byte> before = FileBytes(0, 8 * kMiB);
  const std::vector<std::byte> step = Pattern(kMiB, 1), sector = Pattern(512, 2);
  {
    // Written as a target is: the volume pass finds no volume on the drive and locks nothing.
    auto target = devices_.Open(FormatDrivePath(kDrive), Access::kReadWrite, Share::kRead,
                                Disposition::kOpenExisting);
    ASSERT_NE(target.medium, nullptr);
    ASSERT_TRUE(target.medium->SetPosition(kMiB));
    EXPECT_EQ(target.medium->Write(step).moved, step.size());
    ASSERT_TRUE(target.medium->SetPosition(6 * kMiB + 512));
    EXPECT_EQ(target.medium->Write(sector).moved, sector.size());
    EXPECT_TRUE(target.medium->Flush());
  }
  std::vector<std::byte> expected = before;
  std::copy(step.begin(), step.end(), expected.begin() + kMiB);
  std::copy(sector.begin(), sector.end(), expected.begin() + 6 * kMiB + 512);
  EXPECT_TRUE(FileBytes(0, 8 * kMiB) == expected);
}

TEST_F(RawDrive, DiscoveryListsTheDriveWithWhatTheSystemAnswers) {
  auto medium = devices_
                    .Open(FormatDrivePath(kDrive), Access::kRead, Share::kReadWrite,
                          Disposition::kOpenExisting)
                    .medium;
  ASSERT_NE(medium, nullptr);
  const auto geometry = medium->DriveGeometry();
  medium.reset();
  // Wine answers the geometry query of such a drive with "not supported"; should it ever answer,
  // the size must be the device's.
  if (geometry) {
    EXPECT_EQ(geometry->disk_size, 8 * kMiB);
  }
  RecordProperty("geometry_answered", geometry ? "yes" : "no");

  test::MemoryComboBox sources, targets;
  auto source_table = std::make_unique<MediaTable>();
  auto target_table = std::make_unique<MediaTable>();
  DiscoverDrives(devices_, sources, targets, *source_table, *target_table);
  const auto found = std::find_if(source_table->begin(), source_table->end(), [](const auto& r) {
    return TextOf(r.path) == FormatDrivePath(kDrive);
  });
  ASSERT_NE(found, source_table->end());
  const auto position = static_cast<std::size_t>(found - source_table->begin());
  ASSERT_LT(position, sources.items().size());
  if (!geometry) {
    EXPECT_EQ(found->size_bytes, 0);  // never guessed from anything but the geometry reply
    EXPECT_EQ(sources.items()[position].substr(sources.items()[position].find(u':')),
              u": NoReadModel    0.00 MB");
  }
  EXPECT_EQ(targets.items(), sources.items());
}

}  // namespace
}  // namespace ombrix::platform
