// Honest progress and lean writes, against dd in the same run: alternating rounds, medians.
//
//   loop -> loop   a copy between two loop devices with direct I/O to their files, so that only
//                  the devices' own page cache is in play: throughput, the peak of Dirty: in
//                  /proc/meminfo above its idle value, the longest single wait for write-back
//                  (ours: each wait and the final flush; dd: from its last write to its end, the
//                  fsync), and the peak growth of the page cache (Cached: + Buffers:);
//   sparse image   a disk with 10 % data copied into a new image file: time and allocated size.
//
//   cmake --build --preset dev --target write_back_bench && sudo build/dev/bench/write_back_bench
//
// Options: --rounds N (default 5), --mib N (loop -> loop area, default 2048), --sparse-mib N (the
// sparse disk, default 4096), --dir PATH (scratch, default /var/tmp; needs about twice
// --mib plus --sparse-mib / 5 free). Needs root (loop devices, dropping caches).
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "tests/support/forwarding_medium.h"
#include "transfer/messages.h"
#include "transfer/transfer.h"

extern char** environ;

namespace ombrix {
namespace {

namespace fs = std::filesystem;
using bench::kMiB;
using bench::Median;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Samples Dirty: and the page cache (Cached: for files plus Buffers: for block devices) every few
// milliseconds while a run goes on and keeps their peaks. A block device's cache is dropped when
// its last user closes it, so only the peak during the run shows how much cache a copy took.
class MemorySampler {
 public:
  MemorySampler()
      : dirty_idle_(bench::MemInfoKiB("Dirty:")),
        cached_idle_(PageCacheKiB()),
        dirty_peak_(dirty_idle_),
        cached_peak_(cached_idle_) {
    thread_ = std::jthread([this](std::stop_token stop) {
      while (!stop.stop_requested()) {
        dirty_peak_ = std::max(dirty_peak_.load(), bench::MemInfoKiB("Dirty:"));
        cached_peak_ = std::max(cached_peak_.load(), PageCacheKiB());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    });
  }
  void Stop() { thread_ = {}; }
  // The peaks above the values when sampling began, in MiB.
  double DirtyPeakMiB() const { return static_cast<double>(dirty_peak_ - dirty_idle_) / 1024; }
  double CachedPeakMiB() const { return static_cast<double>(cached_peak_ - cached_idle_) / 1024; }

 private:
  static long PageCacheKiB() {
    return bench::MemInfoKiB("Cached:") + bench::MemInfoKiB("Buffers:");
  }
  long dirty_idle_, cached_idle_;
  std::atomic<long> dirty_peak_, cached_peak_;
  std::jthread thread_;
};

// Passes every call on and times the waits for write-back and the flushes.
class TimedMedium final : public test::ForwardingMedium {
 public:
  TimedMedium(platform::MediumPtr inner, double& longest, double& last_flush)
      : ForwardingMedium(std::move(inner)), longest_(longest), last_flush_(last_flush) {}
  bool Flush() override {
    const auto start = Clock::now();
    const bool ok = ForwardingMedium::Flush();
    last_flush_ = Since(start);
    longest_ = std::max(longest_, last_flush_);
    return ok;
  }
  bool AwaitWriteBack(std::int64_t offset, std::int64_t length) override {
    const auto start = Clock::now();
    const bool ok = ForwardingMedium::AwaitWriteBack(offset, length);
    longest_ = std::max(longest_, Since(start));
    return ok;
  }

 private:
  double& longest_;
  double& last_flush_;
};

class TimedDevices final : public platform::DeviceAccess {
 public:
  explicit TimedDevices(platform::DeviceAccess& inner) : inner_(inner) {}
  void SnapshotDrives() override { inner_.SnapshotDrives(); }
  Opened Open(std::u16string_view path, platform::Access access, platform::Share share,
              platform::Disposition disposition) override {
    auto opened = inner_.Open(path, access, share, disposition);
    if (opened.medium && access == platform::Access::kReadWrite) {
      opened.medium =
          std::make_unique<TimedMedium>(std::move(opened.medium), longest_wait, last_flush);
    }
    return opened;
  }
  double longest_wait = 0, last_flush = 0;

 private:
  platform::DeviceAccess& inner_;
};

struct Measure {
  double seconds = 0;
  double peak_dirty_mib = 0;
  double longest_wait = 0;  // seconds
  double final_flush = 0;   // seconds
  double cached_growth_mib = 0;
  double allocated_mib = 0;
};

// Runs `work` from a settled machine and measures it; `work` fills in the waits.
Measure Measured(const std::function<void(Measure&)>& work) {
  bench::Settle();
  MemorySampler memory;
  const auto start = Clock::now();
  Measure m;
  work(m);
  m.seconds = Since(start);
  memory.Stop();
  m.peak_dirty_mib = memory.DirtyPeakMiB();
  m.cached_growth_mib = memory.CachedPeakMiB();
  return m;
}

// Runs dd and returns the time from its last write to its end: the final flush it waits for.
double DdFlushWait(const std::string& arguments, std::int64_t bytes) {
  const std::string command = "exec dd " + arguments + " status=none";
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
    return -1;
  const std::string io = "/proc/" + std::to_string(pid) + "/io";
  std::optional<Clock::time_point> all_written;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (!all_written) {
      std::FILE* f = std::fopen(io.c_str(), "r");
      long long wchar = 0;
      if (f != nullptr) {
        char line[128];
        while (std::fgets(line, sizeof line, f) != nullptr)
          if (std::sscanf(line, "wchar: %lld", &wchar) == 1) break;
        std::fclose(f);
      }
      if (wchar >= bytes) all_written = Clock::now();
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return all_written ? Since(*all_written) : 0;
}

double AllocatedMiB(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return -1;
  return static_cast<double>(st.st_blocks) * 512 / kMiB;
}

struct Contender {
  std::string name;
  std::function<Measure()> run;
  std::vector<Measure> results{};
};

// Every contender once untimed (blocks get allocated), then rounds in turns, the starting one
// moving on each round.
void Rounds(std::vector<Contender>& contenders, int rounds) {
  for (auto& c : contenders) c.run();
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t i = 0; i < contenders.size(); ++i) {
      auto& c = contenders[(i + static_cast<std::size_t>(round)) % contenders.size()];
      c.results.push_back(c.run());
    }
  }
}

double MedianOf(const Contender& c, double Measure::*field) {
  std::vector<double> values;
  for (const auto& m : c.results) values.push_back(m.*field);
  return Median(values);
}

void FillSparseDisk(const fs::path& file, std::int64_t bytes, std::int64_t& data_bytes) {
  bench::Run("truncate -s 0 '" + file.string() + "'");
  bench::Run("truncate -s " + std::to_string(bytes) + " '" + file.string() + "'");
  const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
  std::mt19937_64 random(7);
  std::vector<std::uint64_t> block(kMiB / 8);
  data_bytes = 0;
  // Every tenth MiB holds data, the rest is zeros.
  for (std::int64_t at = 0; at + kMiB <= bytes; at += 10 * kMiB) {
    for (auto& word : block) word = random();
    if (::pwrite(fd, block.data(), kMiB, at) == kMiB) data_bytes += kMiB;
  }
  ::fsync(fd);
  ::close(fd);
}

int Main(int argc, char** argv) {
  int rounds = 5;
  std::int64_t area = 2048 * kMiB, sparse_area = 4096 * kMiB;
  fs::path dir = "/var/tmp";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
    if (option == "--mib") area = std::max<std::int64_t>(1, std::atoll(argv[i + 1])) * kMiB;
    if (option == "--sparse-mib")
      sparse_area = std::max<std::int64_t>(10, std::atoll(argv[i + 1])) * kMiB;
    if (option == "--dir") dir = argv[i + 1];
  }
  if (::geteuid() != 0) {
    std::puts("write_back_bench needs root: loop devices and dropping caches");
    return 1;
  }
  const fs::path work = dir / ("ombrix-wb-bench-" + std::to_string(::getpid()));
  fs::create_directories(work);
  std::printf(
      "%d rounds, medians; caches dropped before every run; ratios above 1: ours is "
      "faster\n",
      rounds);
  bench::Workbench b;
  TimedDevices timed(b.devices);

  // loop -> loop
  {
    const fs::path src = work / "source.img", dst = work / "target.img";
    bench::Run("head -c " + std::to_string(area) + " /dev/urandom > '" + src.string() + "'");
    bench::Run("fallocate -l " + std::to_string(area) + " '" + dst.string() + "'");
    bench::LoopDevice s(src, 512, true), t(dst, 512, true);
    if (s.node().empty() || t.node().empty()) {
      std::puts("losetup --direct-io=on failed");
      return 1;
    }
    b.source[0] = b.DriveRecord(s.node(), 512);
    b.target[0] = b.DriveRecord(t.node(), 512);
    const std::string io = "if=" + s.node() + " of=" + t.node() + " bs=1M ";
    auto dd = [&](std::string flags) {
      return [&, flags] {
        return Measured(
            [&](Measure& m) { m.longest_wait = m.final_flush = DdFlushWait(io + flags, area); });
      };
    };
    std::vector<Contender> contenders = {
        {"ours",
         [&] {
           return Measured([&](Measure& m) {
             timed.longest_wait = 0;
             if (!b.Ours(CopyWorker, messages::kCopyDone, &timed)) std::puts("  (copy failed)");
             m.longest_wait = timed.longest_wait;
             m.final_flush = timed.last_flush;
           });
         }},
        {"dd bs=1M conv=fsync", dd("conv=fsync")},
        {"dd bs=1M oflag=direct", dd("oflag=direct")},
        {"dd bs=1M iflag=direct oflag=direct", dd("iflag=direct oflag=direct")},
    };
    Rounds(contenders, rounds);
    const double mib = static_cast<double>(area) / kMiB;
    std::printf("\nloop -> loop (--direct-io=on), %.0f MiB\n", mib);
    std::printf("  %-36s %9s %10s %14s %12s %12s %16s\n", "", "MiB/s", "ours/this",
                "peak Dirty MiB", "longest wait", "final flush", "cache peak +MiB");
    const double ours = mib / MedianOf(contenders[0], &Measure::seconds);
    double goal_dd = 0, direct_dd = 0;
    for (const auto& c : contenders) {
      const double rate = mib / MedianOf(c, &Measure::seconds);
      if (c.name.find("iflag") != std::string::npos) {
        direct_dd = rate;
      } else if (c.name.starts_with("dd")) {
        goal_dd = std::max(goal_dd, rate);
      }
      std::printf("  %-36s %9.1f %10.3f %14.1f %11.3fs %11.3fs %16.1f\n", c.name.c_str(), rate,
                  ours / rate, MedianOf(c, &Measure::peak_dirty_mib),
                  MedianOf(c, &Measure::longest_wait), MedianOf(c, &Measure::final_flush),
                  MedianOf(c, &Measure::cached_growth_mib));
    }
    std::printf("  ours / better of conv=fsync and oflag=direct: %.3f (goal >= 0.95)\n",
                ours / goal_dd);
    std::printf("  ours / direct I/O on both sides: %.3f\n", ours / direct_dd);
  }

  // A mostly empty disk into a new image file.
  {
    const fs::path disk = work / "disk.img", image = work / "copy.img";
    std::int64_t data_bytes = 0;
    FillSparseDisk(disk, sparse_area, data_bytes);
    bench::LoopDevice d(disk, 512, true);
    if (d.node().empty()) {
      std::puts("losetup --direct-io=on failed");
      return 1;
    }
    b.source[0] = b.DriveRecord(d.node(), 512);
    auto fresh = [&](const std::function<void()>& copy) {
      return [&, copy] {
        fs::remove(image);
        Measure m = Measured([&](Measure&) { copy(); });
        m.allocated_mib = AllocatedMiB(image);
        return m;
      };
    };
    auto dd = [&](const std::string& flags) {
      return fresh([&, flags] {
        bench::Run("dd if=" + d.node() + " of='" + image.string() + "' bs=1M " + flags +
                   " status=none");
      });
    };
    std::vector<Contender> contenders = {
        {"ours", fresh([&] {
           b.target[0] = bench::Workbench::ImageRecord(image, false);
           if (!b.Ours(CopyWorker, messages::kCopyDone)) std::puts("  (copy failed)");
         })},
        {"dd bs=1M", dd("")},
        {"dd bs=1M conv=sparse", dd("conv=sparse")},
        {"dd bs=1M conv=sparse,fsync", dd("conv=sparse,fsync")},
    };
    Rounds(contenders, rounds);
    const double data = static_cast<double>(data_bytes) / kMiB;
    std::printf("\n%lld MiB disk with %.0f MiB data (loop, --direct-io=on) -> new image file\n",
                static_cast<long long>(sparse_area / kMiB), data);
    std::printf("  %-36s %9s %10s %14s %14s\n", "", "seconds", "this/ours", "allocated MiB",
                "allocated/data");
    const double ours = MedianOf(contenders[0], &Measure::seconds);
    for (const auto& c : contenders) {
      const double seconds = MedianOf(c, &Measure::seconds);
      const double allocated = MedianOf(c, &Measure::allocated_mib);
      std::printf("  %-36s %9.2f %10.3f %14.1f %14.3f\n", c.name.c_str(), seconds, seconds / ours,
                  allocated, allocated / data);
    }
    std::puts("  goal: ours allocated/data <= 1.1");
  }
  fs::remove_all(work);
  return 0;
}

}  // namespace
}  // namespace ombrix

int main(int argc, char** argv) {
  return ombrix::Main(argc, argv);
}
