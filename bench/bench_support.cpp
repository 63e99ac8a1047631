#include "bench/bench_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "catalogue/image_entries.h"
#include "platform/drive_path.h"

namespace ombrix::bench {

std::string Run(const std::string& command) {
  std::string output;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char chunk[512];
    while (std::size_t n = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, n);
    ::pclose(pipe);
  }
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

void Settle() {
  ::sync();
  std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

long ProcFieldKiB(const char* file, const char* field) {
  std::ifstream lines(file);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind(field, 0) == 0)
      return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
  }
  return -1;
}

LoopDevice::LoopDevice(const std::filesystem::path& file, int sector, bool direct_io) {
  node_ = Run("losetup --find --show --sector-size " + std::to_string(sector) +
              (direct_io ? " --direct-io=on" : "") + " '" + file.string() + "' 2>/dev/null");
}

LoopDevice::~LoopDevice() {
  if (!node_.empty()) Run("losetup -d " + node_);
}

MediaRecord Workbench::DriveRecord(const std::string& node, std::uint32_t bps) {
  MediaRecord r;
  r.number = -1;
  devices.SnapshotDrives();
  for (int n = 0; n < kMaxEntries; ++n) {
    if (devices.DriveNode(n) == std::filesystem::path(node)) r.number = n;
  }
  SetText(r.path, platform::FormatDrivePath(r.number));
  r.size_bytes = std::stoll(Run("blockdev --getsize64 " + node));
  r.bytes_per_sector = bps;
  return r;
}

MediaRecord Workbench::ImageRecord(const std::filesystem::path& file, bool as_source) {
  const std::string s = file.string();
  const std::u16string path(s.begin(), s.end());
  return as_source ? *SourceImageRecord(0, path, u"x",
                                        static_cast<std::int64_t>(std::filesystem::file_size(file)))
                   : *TargetImageRecord(0, path, u"x");
}

bool Workbench::Ours(WorkerRoutine worker, std::u16string_view done,
                     platform::DeviceAccess* through) {
  NullWindow window;
  run_flag = 1;
  const TransferJob job{.window = &window, .source_index = 0, .target_index = 0};
  worker(job, {.devices = through != nullptr ? through : &devices,
               .source_table = &source,
               .target_table = &target,
               .run_flag = &run_flag});
  return window.last_box == done;
}

}  // namespace ombrix::bench
