// Throughput of the copy and zero-fill workers against dd on the same data, in one run:
// alternating rounds, medians, and the ratio of our throughput to dd's (above 1: we are faster).
// Also the worker's peak memory against the same process idle. Rows on loop devices need root.
//
//   cmake --build --preset dev --target transfer_bench && sudo build/dev/bench/transfer_bench
//
// Options: --rounds N (default 7), --mib N (area size, default 1024), --dir PATH (scratch folder,
// default /var/tmp; it needs about three times the area free).
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue/image_entries.h"
#include "catalogue/media_record.h"
#include "platform/drive_path.h"
#include "platform/linux/device_linux.h"
#include "transfer/messages.h"
#include "transfer/transfer.h"

namespace ombrix {
namespace {

namespace fs = std::filesystem;
constexpr std::int64_t kMiB = 1 << 20;

// Answers every box, remembers the last one.
class NullWindow final : public platform::DialogWindow {
 public:
  std::intptr_t Send(std::uint32_t, std::uintptr_t, std::intptr_t) override { return 0; }
  int ShowMessageBox(std::u16string_view text, std::u16string_view, std::uint32_t) override {
    last_box = text;
    return platform::kIdYes;
  }
  std::u16string last_box;
};

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

// Starts every timed run from the same state: nothing dirty, nothing cached.
void Settle() {
  ::sync();
  std::ofstream("/proc/sys/vm/drop_caches") << "3\n";
}

double Seconds(const std::function<void()>& work) {
  Settle();
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0)
      return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
  }
  return -1;
}

class LoopDevice {
 public:
  LoopDevice(const fs::path& file, int sector) {
    node_ = Run("losetup --find --show --sector-size " + std::to_string(sector) + " '" +
                file.string() + "' 2>/dev/null");
  }
  ~LoopDevice() {
    if (!node_.empty()) Run("losetup -d " + node_);
  }
  const std::string& node() const { return node_; }

 private:
  std::string node_;
};

struct Bench {
  int rounds = 7;
  std::int64_t area = 1024 * kMiB;
  fs::path dir = "/var/tmp";
  platform::LinuxDeviceAccess devices;
  MediaTable source{}, target{};
  std::atomic<std::int32_t> run_flag{1};

  int DriveNumber(const std::string& node) {
    devices.SnapshotDrives();
    for (int n = 0; n < kMaxEntries; ++n) {
      if (devices.DriveNode(n) == fs::path(node)) return n;
    }
    return -1;
  }

  MediaRecord DriveRecord(const std::string& node, std::uint32_t bps) {
    MediaRecord r;
    r.number = DriveNumber(node);
    SetText(r.path, platform::FormatDrivePath(r.number));
    r.size_bytes = std::stoll(Run("blockdev --getsize64 " + node));
    r.bytes_per_sector = bps;
    return r;
  }

  static MediaRecord ImageRecord(const fs::path& file, bool as_source) {
    const std::string s = file.string();
    const std::u16string path(s.begin(), s.end());
    return as_source
               ? *SourceImageRecord(0, path, u"x", static_cast<std::int64_t>(fs::file_size(file)))
               : *TargetImageRecord(0, path, u"x");
  }

  // Runs the worker once; false when it did not end with its completion message.
  bool Ours(WorkerRoutine worker, std::u16string_view done) {
    NullWindow window;
    run_flag = 1;
    const TransferJob job{.window = &window, .source_index = 0, .target_index = 0};
    worker(job, {.devices = &devices,
                 .source_table = &source,
                 .target_table = &target,
                 .run_flag = &run_flag});
    return window.last_box == done;
  }

  // One untimed run of each first (the target's blocks get allocated), then rounds in which the
  // two take turns going first.
  void Row(const char* name, const std::function<void()>& ours, const std::string& dd) {
    const std::function<void()> theirs = [&] { Run(dd + " 2>/dev/null"); };
    ours();
    theirs();
    std::vector<double> our_times, dd_times;
    for (int round = 0; round < rounds; ++round) {
      if (round % 2 == 0) {
        our_times.push_back(Seconds(ours));
        dd_times.push_back(Seconds(theirs));
      } else {
        dd_times.push_back(Seconds(theirs));
        our_times.push_back(Seconds(ours));
      }
    }
    const double mib = static_cast<double>(area) / kMiB;
    const double o = Median(our_times), d = Median(dd_times);
    std::printf("%-34s ours %7.1f MiB/s   dd %7.1f MiB/s   ours/dd %.3f\n", name, mib / o, mib / d,
                d / o);
    std::printf("%-34s   (%s)\n", "", dd.c_str());
  }
};

int Main(int argc, char** argv) {
  Bench b;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") b.rounds = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--mib") b.area = std::max<std::int64_t>(1, std::atoll(argv[i + 1])) * kMiB;
    if (option == "--dir") b.dir = argv[i + 1];
  }
  const fs::path work = b.dir / ("ombrix-bench-" + std::to_string(::getpid()));
  fs::create_directories(work);
  const fs::path src = work / "source.img", dst = work / "target.img", disk = work / "disk.img";
  const std::string mib = std::to_string(b.area / kMiB);
  std::printf("area %s MiB, %d rounds, medians; caches dropped before every run\n\n", mib.c_str(),
              b.rounds);
  Run("head -c " + std::to_string(b.area) + " /dev/urandom > '" + src.string() + "'");

  auto image_to_image = [&] {
    b.source[0] = Bench::ImageRecord(src, true);
    b.target[0] = Bench::ImageRecord(dst, false);
    if (!b.Ours(CopyWorker, messages::kCopyDone)) std::puts("  (our copy failed)");
  };
  b.Row("copy image -> image (dd no flush)", image_to_image,
        "dd if=" + src.string() + " of=" + dst.string() + " bs=1M conv=notrunc");
  b.Row("copy image -> image, both flush", image_to_image,
        "dd if=" + src.string() + " of=" + dst.string() + " bs=1M conv=notrunc,fsync");

  // Peak memory: the worker's buffer and thread against this process idle.
  std::ofstream("/proc/self/clear_refs") << "5\n";  // resets the peak to the current size
  const long idle = StatusKiB("VmRSS:");
  image_to_image();
  const long peak = StatusKiB("VmHWM:");
  std::printf("%-34s idle %ld KiB, peak %ld KiB, peak - idle %ld KiB\n", "memory of a copy", idle,
              peak, peak - idle);

  // The tail rule: 1023 MiB of chunks, then 2047 one-sector steps.
  {
    const std::int64_t saved = b.area;
    b.area = saved + kMiB - 512;
    Run("head -c " + std::to_string(b.area) + " /dev/urandom > '" + src.string() + "'");
    b.Row("copy image -> image, + 1 MiB - 512", image_to_image,
          "dd if=" + src.string() + " of=" + dst.string() + " bs=1M conv=notrunc,fsync");
    b.area = saved;
    Run("head -c " + std::to_string(b.area) + " /dev/urandom > '" + src.string() + "'");
  }

  if (::geteuid() != 0) {
    std::puts("\nloop device rows skipped: they need root");
  } else {
    fs::copy_file(src, disk, fs::copy_options::overwrite_existing);
    LoopDevice source_loop(src, 512), target_loop(disk, 512);
    if (source_loop.node().empty() || target_loop.node().empty()) {
      std::puts("\nloop device rows skipped: losetup failed");
    } else {
      const std::string s = source_loop.node(), t = target_loop.node();
      b.Row(
          "copy loop -> loop",
          [&] {
            b.source[0] = b.DriveRecord(s, 512);
            b.target[0] = b.DriveRecord(t, 512);
            if (!b.Ours(CopyWorker, messages::kCopyDone)) std::puts("  (our copy failed)");
          },
          "dd if=" + s + " of=" + t + " bs=1M conv=fsync");
      b.Row(
          "copy image -> loop",
          [&] {
            b.source[0] = Bench::ImageRecord(src, true);
            b.target[0] = b.DriveRecord(t, 512);
            if (!b.Ours(CopyWorker, messages::kCopyDone)) std::puts("  (our copy failed)");
          },
          "dd if=" + src.string() + " of=" + t + " bs=1M conv=fsync");
      b.Row(
          "zero-fill loop",
          [&] {
            b.target[0] = b.DriveRecord(t, 512);
            if (!b.Ours(ZeroWorker, messages::kZeroDone)) std::puts("  (our zero-fill failed)");
          },
          "dd if=/dev/zero of=" + t + " bs=1M count=" + mib + " conv=fsync");
    }
  }
  fs::remove_all(work);
  return 0;
}

}  // namespace
}  // namespace ombrix

int main(int argc, char** argv) {
  return ombrix::Main(argc, argv);
}
