// What the benchmarks share: running commands, a settled machine before every timed run, medians,
// loop devices of the benchmark's own files, /proc/meminfo, and a window that answers every box.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/null_window.h"
#include "catalogue/media_record.h"
#include "platform/linux/device_linux.h"
#include "transfer/transfer.h"

namespace ombrix::bench {

constexpr std::int64_t kMiB = 1 << 20;

// Runs a shell command and returns its output without the final newlines.
std::string Run(const std::string& command);

// Nothing dirty, nothing cached: every timed run starts from the same state.
void Settle();

double Median(std::vector<double> values);

// A field in KiB of a /proc file such as /proc/meminfo ("Dirty:") or /proc/self/status
// ("VmRSS:"), -1 when missing.
long ProcFieldKiB(const char* file, const char* field);
inline long MemInfoKiB(const char* field) {
  return ProcFieldKiB("/proc/meminfo", field);
}

// A loop device on a file of the benchmark's own, detached at the end.
class LoopDevice {
 public:
  LoopDevice(const std::filesystem::path& file, int sector, bool direct_io = false);
  ~LoopDevice();
  LoopDevice(const LoopDevice&) = delete;
  LoopDevice& operator=(const LoopDevice&) = delete;
  const std::string& node() const { return node_; }

 private:
  std::string node_;
};

// The workers on entries of the benchmark's own: one source and one target slot.
struct Workbench {
  platform::LinuxDeviceAccess devices;
  MediaTable source{}, target{};
  std::atomic<std::int32_t> run_flag{1};

  // A drive entry for a block device node, as discovery makes it; number -1 when not listed.
  MediaRecord DriveRecord(const std::string& node, std::uint32_t bps);
  static MediaRecord ImageRecord(const std::filesystem::path& file, bool as_source);

  // Runs the worker once on slot 0 of each table, through `through` when given; false when it did
  // not end with its completion message.
  bool Ours(WorkerRoutine worker, std::u16string_view done,
            platform::DeviceAccess* through = nullptr);
};

}  // namespace ombrix::bench
