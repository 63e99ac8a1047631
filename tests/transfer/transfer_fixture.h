// Runs the transfer workers on real files and drives, with a recording window and a device layer
// that can inject faults; checks afterwards that nothing was left open.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

#include "catalogue/media_record.h"
#include "platform/device.h"
#include "tests/support/faulty_devices.h"
#include "tests/support/recording_window.h"
#include "tests/support/temp_dir.h"
#include "transfer/transfer.h"

namespace ombrix::test {

// Deterministic bytes that differ at every offset and from run to run of the seed.
std::string PatternBytes(std::size_t size, std::uint64_t seed);
// The number of this process's open file descriptors (handles on Windows).
int OpenHandles();

class TransferTest : public ::testing::Test {
 protected:
  explicit TransferTest(
      std::unique_ptr<platform::DeviceAccess> devices = platform::MakeSystemDeviceAccess());
  void SetUp() override;
  void TearDown() override;

  // Adds an entry to the source or target table and returns its slot.
  int AddSource(const MediaRecord& record);
  int AddTarget(const MediaRecord& record);
  int AddSourceImage(const std::filesystem::path& file);  // the file's size, cut to sectors
  int AddTargetImage(const std::filesystem::path& file);
  // Writes `bytes` into `file` and lists it in the target table as a drive of 512-byte sectors: a
  // plain file stands in for the drive, so that no test opens a real disk.
  int AddFileAsDrive(const std::filesystem::path& file, const std::string& bytes);
  // A drive record as discovery makes it, for drive number n.
  static MediaRecord Drive(int number, std::int64_t size_bytes, std::uint32_t bytes_per_sector);

  TransferJob WholeJob(int source, int target);
  TransferJob RangeJob(int source, int target, std::int64_t start_sector,
                       std::int64_t sector_count);
  TransferJob ZeroJob(int target);

  void RunCopy(const TransferJob& job) { CopyWorker(job, Environment()); }
  void RunZero(const TransferJob& job) { ZeroWorker(job, Environment()); }
  TransferEnvironment Environment();
  // Stops the transfer when it reports progress for the given (1-based) step.
  void StopAtStep(int step);

  TempDir dir_;
  std::unique_ptr<platform::DeviceAccess> real_;
  FaultyDevices devices_{*real_};
  RecordingWindow window_;
  MediaTable source_{}, target_{};
  int source_count_ = 0, target_count_ = 0;
  std::atomic<std::int32_t> run_flag_{1};
  int handles_before_ = 0;
};

}  // namespace ombrix::test
