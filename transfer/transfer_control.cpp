#include <limits>
#include <system_error>
#include <thread>

#include "transfer/transfer.h"

namespace ombrix {

std::atomic<std::int32_t> RunFlag{0};

std::int64_t StepBytes(std::int64_t remaining, std::uint32_t bytes_per_sector) {
  return remaining >= kChunkBytes ? kChunkBytes : std::int64_t{bytes_per_sector};
}

std::uint16_t ProgressPercent(std::int64_t done, std::int64_t total,
                              std::uint32_t bytes_per_sector) {
  const std::int64_t bps = bytes_per_sector;
  if (bps == 0 || total / bps == 0) return 100;  // no whole sector to count in
  const std::int64_t sectors_done = done / bps, sectors_total = total / bps;
  // Past 2^63 / 100 sectors the product would overflow; such areas are counted in hundredths.
  if (sectors_done > std::numeric_limits<std::int64_t>::max() / 100) {
    return static_cast<std::uint16_t>(sectors_done / (sectors_total / 100));
  }
  return static_cast<std::uint16_t>((sectors_done * 100) / sectors_total);
}

ByteRange RangeInBytes(std::int64_t start_sector, std::int64_t sector_count,
                       std::uint32_t bytes_per_sector) {
  ByteRange range;
  const std::int64_t bps = bytes_per_sector;
  range.overflow = __builtin_mul_overflow(start_sector, bps, &range.start_byte) ||
                   __builtin_mul_overflow(sector_count, bps, &range.length_bytes);
  return range;
}

namespace {
std::atomic<int> workers_running{0};
}  // namespace

bool StartTransfer(WorkerRoutine worker, const TransferJob& job,
                   const TransferEnvironment& environment) {
  ++workers_running;
  try {
    std::thread([worker, job, environment] {
      worker(job, environment);
      --workers_running;
    }).detach();
    return true;
  } catch (const std::system_error&) {
    --workers_running;
    return false;
  }
}

int TransfersRunning() {
  return workers_running.load();
}

}  // namespace ombrix
