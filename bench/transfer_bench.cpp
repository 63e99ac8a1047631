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

#include "bench/bench_support.h"
#include "catalogue/image_entries.h"
#include "catalogue/media_record.h"
#include "platform/drive_path.h"
#include "platform/linux/device_linux.h"
#include "transfer/messages.h"
#include "transfer/transfer.h"

namespace ombrix {
namespace {

namespace fs = std::filesystem;
using bench::kMiB;
using bench::LoopDevice;
using bench::Median;
using bench::NullWindow;
using bench::Run;

double Seconds(const std::function<void()>& work) {
  bench::Settle();
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Bench : bench::Workbench {
  int rounds = 7;
  std::int64_t area = 1024 * kMiB;
  fs::path dir = "/var/tmp";

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
    b.source[0] = bench::Workbench::ImageRecord(src, true);
    b.target[0] = bench::Workbench::ImageRecord(dst, false);
    if (!b.Ours(CopyWorker, messages::kCopyDone)) std::puts("  (our copy failed)");
  };
  b.Row("copy image -> image (dd no flush)", image_to_image,
        "dd if=" + src.string() + " of=" + dst.string() + " bs=1M conv=notrunc");
  b.Row("copy image -> image, both flush", image_to_image,
        "dd if=" + src.string() + " of=" + dst.string() + " bs=1M conv=notrunc,fsync");

  // Peak memory: the worker's buffer and thread against this process idle.
  std::ofstream("/proc/self/clear_refs") << "5\n";  // resets the peak to the current size
  const long idle = bench::ProcFieldKiB("/proc/self/status", "VmRSS:");
  image_to_image();
  const long peak = bench::ProcFieldKiB("/proc/self/status", "VmHWM:");
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
            b.source[0] = bench::Workbench::ImageRecord(src, true);
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
