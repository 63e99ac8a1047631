// One program for both systems: the copy worker on two image files, timed, and the process's
// peak memory. bench/wine_copy_bench.sh runs the Linux build and the i686 build (under 32-bit Wine)
// on the same files in one run and prints the ratio.
//
//   ombrix_copy_bench SOURCE TARGET [ROUNDS]
//
// Prints "seconds S peak_bytes P" with the median time of ROUNDS copies (default 3) of SOURCE over
// TARGET, which is overwritten.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/null_window.h"
#include "catalogue/image_entries.h"
#include "platform/device.h"
#include "platform/peak_memory.h"
#include "transfer/messages.h"
#include "transfer/transfer.h"

namespace ombrix {
namespace {

std::u16string Wide(const std::string& text) {
  return {text.begin(), text.end()};
}

int Main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: ombrix_copy_bench SOURCE TARGET [ROUNDS]\n");
    return 2;
  }
  const std::string source = argv[1], target = argv[2];
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
  std::error_code error;
  const auto size = std::filesystem::file_size(source, error);
  if (error) {
    std::fprintf(stderr, "ombrix_copy_bench: cannot read %s\n", source.c_str());
    return 1;
  }

  const std::unique_ptr<platform::DeviceAccess> devices = platform::MakeSystemDeviceAccess();
  const auto sources = std::make_unique<MediaTable>();
  const auto targets = std::make_unique<MediaTable>();
  (*sources)[0] = *SourceImageRecord(0, Wide(source), u"s", static_cast<std::int64_t>(size));
  (*targets)[0] = *TargetImageRecord(0, Wide(target), u"t");
  std::atomic<std::int32_t> run_flag{1};

  std::vector<double> seconds;
  for (int round = 0; round < rounds; ++round) {
    bench::NullWindow window;
    const TransferJob job{.window = &window, .source_index = 0, .target_index = 0};
    const auto start = std::chrono::steady_clock::now();
    CopyWorker(job, {.devices = devices.get(),
                     .source_table = sources.get(),
                     .target_table = targets.get(),
                     .run_flag = &run_flag});
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    if (window.last_box != messages::kCopyDone) {
      std::fprintf(stderr, "ombrix_copy_bench: the copy did not end with its completion box\n");
      return 1;
    }
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("seconds %.4f peak_bytes %lld\n", seconds[seconds.size() / 2],
              static_cast<long long>(platform::PeakMemoryBytes()));
  return 0;
}

}  // namespace
}  // namespace ombrix

int main(int argc, char** argv) {
  return ombrix::Main(argc, argv);
}
