// What the window's hand-off costs a fast copy, in one run: a 2 GiB image -> image copy in tmpfs
// (overwriting a file of the same size) by the copy worker alone, reporting to a window that does
// nothing, against the same worker reporting to the real main window (Qt offscreen), which shows
// every report it is handed. A third row hands each step's progress over synchronously, waiting
// for the window as every report once did. Alternating rounds, medians; ratios are the engine's
// time over the row's time (1: the window costs nothing; goal for the real window >= 0.95).
//
//   cmake --build --preset dev --target window_bench && build/dev/bench/window_bench
//
// Options: --rounds N (default 7), --mib N (default 2048), --dir PATH (default /dev/shm; needs
// twice --mib free). The boxes of the worker are answered at once by the bench, so that the time a
// user reads them does not count.
#include <QApplication>
#include <QEventLoop>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "platform/dialog.h"
#include "platform/linux/device_linux.h"
#include "transfer/messages.h"
#include "transfer/transfer.h"
#include "ui/ombrix_dlg.h"

namespace ombrix {
namespace {

namespace fs = std::filesystem;
using bench::kMiB;
using bench::Median;
using Clock = std::chrono::steady_clock;

// The real window for the worker's reports; its boxes answered Yes at once.
class WindowReports final : public platform::DialogWindow {
 public:
  WindowReports(platform::DialogWindow& window, bool blocking)
      : window_(window), blocking_(blocking) {}
  std::intptr_t Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    return window_.Send(message, wparam, lparam);
  }
  void Notify(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    if (blocking_) {
      window_.Send(message, wparam, lparam);
    } else {
      window_.Notify(message, wparam, lparam);
    }
  }
  int ShowMessageBox(std::u16string_view text, std::u16string_view, std::uint32_t) override {
    last_box = text;
    return platform::kIdYes;
  }
  std::u16string last_box;

 private:
  platform::DialogWindow& window_;
  bool blocking_;
};

void WriteRandom(const fs::path& file, std::int64_t bytes) {
  std::mt19937_64 random(42);
  std::vector<std::uint64_t> block(kMiB / sizeof(std::uint64_t));
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (std::int64_t done = 0; done < bytes; done += kMiB) {
    for (auto& word : block) word = random();
    out.write(reinterpret_cast<const char*>(block.data()), kMiB);
  }
}

struct Bench : bench::Workbench {
  int rounds = 7;
  std::int64_t area = 2048 * kMiB;
  fs::path dir = "/dev/shm";
};

// The worker on its own thread, reporting to `window`, while this thread serves the window's
// events; the seconds until the worker has returned.
double TimedCopy(Bench& bench, platform::DialogWindow& window) {
  bench.run_flag = 1;
  std::atomic<bool> finished{false};
  const auto start = Clock::now();
  std::thread worker([&] {
    const TransferJob job{.window = &window, .source_index = 0, .target_index = 0};
    CopyWorker(job, {.devices = &bench.devices,
                     .source_table = &bench.source,
                     .target_table = &bench.target,
                     .run_flag = &bench.run_flag});
    finished = true;
  });
  while (!finished) QApplication::processEvents(QEventLoop::AllEvents, 5);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  worker.join();
  QApplication::processEvents();
  return seconds;
}

int Main(int argc, char** argv) {
  Bench bench;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--rounds") == 0) bench.rounds = std::max(1, std::atoi(argv[i + 1]));
    if (std::strcmp(argv[i], "--mib") == 0) bench.area = std::max(1, std::atoi(argv[i + 1])) * kMiB;
    if (std::strcmp(argv[i], "--dir") == 0) bench.dir = argv[i + 1];
  }
  const fs::path work = bench.dir / "ombrix-window-bench";
  fs::create_directories(work);
  const fs::path source = work / "source.img", target = work / "target.img";
  WriteRandom(source, bench.area);
  fs::copy_file(source, target, fs::copy_options::overwrite_existing);
  bench.source[0] = bench::Workbench::ImageRecord(source, true);
  bench.target[0] = bench::Workbench::ImageRecord(target, false);

  // The real main window, over a machine without drives: only the two images are in play.
  const fs::path no_drives = work / "sys";
  fs::create_directories(no_drives / "block");
  platform::LinuxDeviceAccess listed({.sys_root = no_drives, .dev_root = work});
  const auto source_list = std::make_unique<MediaTable>();
  const auto target_list = std::make_unique<MediaTable>();
  COmbrixDlg dialog(listed, *source_list, *target_list);
  dialog.Create();
  QApplication::processEvents();

  bench::NullWindow nothing;
  WindowReports coalesced(dialog.host(), false), blocking(dialog.host(), true);
  struct Row {
    const char* name;
    platform::DialogWindow* window;
    std::vector<double> seconds;
  };
  std::vector<Row> rows{{"engine alone (reference)", &nothing, {}},
                        {"real window", &coalesced, {}},
                        {"real window, waiting at every step", &blocking, {}}};
  bool ok = true;
  for (int round = 0; round <= bench.rounds; ++round) {
    // Round 0 warms up; later rounds take turns going first.
    for (std::size_t k = 0; k < rows.size(); ++k) {
      Row& row = rows[(k + static_cast<std::size_t>(round)) % rows.size()];
      const double seconds = TimedCopy(bench, *row.window);
      if (round > 0) row.seconds.push_back(seconds);
    }
    ok = ok && nothing.last_box == messages::kCopyDone && coalesced.last_box == messages::kCopyDone;
  }

  std::printf("window_bench: %lld MiB image -> image in %s, %d rounds, medians\n",
              static_cast<long long>(bench.area / kMiB), bench.dir.c_str(), bench.rounds);
  const double reference = Median(rows[0].seconds);
  for (const Row& row : rows) {
    const double seconds = Median(row.seconds);
    std::printf("  %-36s %7.3f s   %7.1f MB/s   ratio %.3f\n", row.name, seconds,
                static_cast<double>(bench.area) / seconds / 1e6, reference / seconds);
  }
  std::printf("  (ratio: the engine's time / the row's time; goal for the real window >= 0.95)\n");
  fs::remove_all(work);
  if (!ok) std::fprintf(stderr, "window_bench: a copy did not end with its completion box\n");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace ombrix

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  return ombrix::Main(argc, argv);
}
