#include "tests/transfer/transfer_fixture.h"

#include <filesystem>
#if defined(_WIN32)
#include <windows.h>
#endif
#include <random>

#include "catalogue/image_entries.h"
#include "platform/drive_path.h"
#include "tests/support/strings.h"

namespace ombrix::test {

std::string PatternBytes(std::size_t size, std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; i += 8) {
    const std::uint64_t word = random();
    for (std::size_t b = 0; b < 8 && i + b < size; ++b)
      bytes[i + b] = static_cast<char>(word >> (8 * b));
  }
  return bytes;
}

int OpenHandles() {
#if defined(_WIN32)
  DWORD count = 0;
  ::GetProcessHandleCount(::GetCurrentProcess(), &count);
  return static_cast<int>(count);
#else
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count;
#endif
}

TransferTest::TransferTest(std::unique_ptr<platform::DeviceAccess> devices)
    : real_(std::move(devices)) {}

void TransferTest::SetUp() {
  real_->SnapshotDrives();
  handles_before_ = OpenHandles();
}

void TransferTest::TearDown() {
  EXPECT_EQ(devices_.open_media(), 0) << "a medium was left open";
  EXPECT_EQ(OpenHandles(), handles_before_) << "a file descriptor or handle was left open";
}

int TransferTest::AddSource(const MediaRecord& record) {
  EXPECT_TRUE(StoreRecord(source_, source_count_, record));
  return source_count_++;
}

int TransferTest::AddTarget(const MediaRecord& record) {
  EXPECT_TRUE(StoreRecord(target_, target_count_, record));
  return target_count_++;
}

int TransferTest::AddSourceImage(const std::filesystem::path& file) {
  const auto record =
      SourceImageRecord(source_count_, PathU16(file), PathU16(file.filename()),
                        static_cast<std::int64_t>(std::filesystem::file_size(file)));
  return AddSource(record.value());
}

int TransferTest::AddTargetImage(const std::filesystem::path& file) {
  return AddTarget(
      TargetImageRecord(target_count_, PathU16(file), PathU16(file.filename())).value());
}

int TransferTest::AddFileAsDrive(const std::filesystem::path& file, const std::string& bytes) {
  WriteFile(file, bytes);
  MediaRecord record = Drive(0, static_cast<std::int64_t>(bytes.size()), 512);
  EXPECT_TRUE(SetText(record.path, PathU16(file)));
  return AddTarget(record);
}

MediaRecord TransferTest::Drive(int number, std::int64_t size_bytes,
                                std::uint32_t bytes_per_sector) {
  MediaRecord record;
  record.number = number;
  SetText(record.path, platform::FormatDrivePath(number));
  record.size_bytes = size_bytes;
  record.heads = 255;
  record.sectors_per_track = 63;
  record.bytes_per_sector = bytes_per_sector;
  record.cylinders = size_bytes / (255 * 63 * std::int64_t{bytes_per_sector});
  return record;
}

TransferJob TransferTest::WholeJob(int source, int target) {
  return {.window = &window_, .source_index = source, .target_index = target};
}

TransferJob TransferTest::RangeJob(int source, int target, std::int64_t start_sector,
                                   std::int64_t sector_count) {
  const auto range = RangeInBytes(start_sector, sector_count, source_[source].bytes_per_sector);
  return {.window = &window_,
          .source_index = source,
          .target_index = target,
          .range_mode = 1,
          .start_byte = range.start_byte,
          .length_bytes = range.length_bytes,
          .range_overflow = range.overflow};
}

TransferJob TransferTest::ZeroJob(int target) {
  return {.window = &window_, .target_index = target};
}

TransferEnvironment TransferTest::Environment() {
  return {.devices = &devices_,
          .source_table = &source_,
          .target_table = &target_,
          .run_flag = &run_flag_};
}

void TransferTest::StopAtStep(int step) {
  window_.on_event = [this, step, seen = 0](const WindowEvent& e) mutable {
    if (!e.is_box && e.message == WM_TRANSFER_PROGRESS && ++seen == step) run_flag_ = 0;
  };
}

}  // namespace ombrix::test
