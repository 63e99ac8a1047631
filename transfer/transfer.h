// The transfer engine: a copy or a zero-fill runs on a worker thread in steps, reports its
// progress and its end to the dialog window, and can be stopped between steps.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>

#include "catalogue/media_record.h"
#include "platform/device.h"
#include "platform/window.h"

namespace ombrix {

// Sent by a worker when it ends, on every path, exactly once: the dialog returns to idle.
inline constexpr std::uint32_t WM_TRANSFER_DONE = platform::kUserMessageBase + 100;
// Sent after every step with the percent done (0..100) as wparam.
inline constexpr std::uint32_t WM_TRANSFER_PROGRESS = platform::kUserMessageBase + 101;

// A step moves this much while at least this much remains; the tail goes one sector per step.
inline constexpr std::int64_t kChunkBytes = 1 << 20;

// Filled by the dialog right before it starts a worker; the worker takes it by value.
struct TransferJob {
  platform::DialogWindow* window = nullptr;
  std::int32_t source_index = -1;  // slot of the source table (copy only)
  std::int32_t target_index = -1;  // slot of the target table
  std::uint32_t range_mode = 0;    // copy only the range below
  std::int64_t start_byte = 0;     // start sector x source bytes per sector
  std::int64_t length_bytes = 0;   // sector count x source bytes per sector
  bool range_overflow = false;     // either product does not fit in 64 bits
  bool verify = false;             // read the area back from the target afterwards and compare
};

// The lparam of WM_TRANSFER_PROGRESS: which pass of a transfer the percent belongs to. A transfer
// without a check has only the first.
inline constexpr std::intptr_t kTransferPass = 0;
inline constexpr std::intptr_t kCheckPass = 1;

// 1 while a transfer may go on; the stop command sets 0; a worker reads it before every step.
extern std::atomic<std::int32_t> RunFlag;

// What a worker works with besides its job. The tables and the device access outlive it.
struct TransferEnvironment {
  platform::DeviceAccess* devices = nullptr;
  const MediaTable* source_table = &SourceTable;
  const MediaTable* target_table = &TargetTable;
  std::atomic<std::int32_t>* run_flag = &RunFlag;
};

// The bytes of one step: a chunk while at least a chunk remains, otherwise one sector.
std::int64_t StepBytes(std::int64_t remaining, std::uint32_t bytes_per_sector);

// ((done / bps) x 100) / (total / bps) in 64-bit integers, cut to 16 bits; 100 when the area is
// shorter than a sector.
std::uint16_t ProgressPercent(std::int64_t done, std::int64_t total,
                              std::uint32_t bytes_per_sector);

// The job's byte range for a start sector and a sector count of the source.
struct ByteRange {
  std::int64_t start_byte = 0;
  std::int64_t length_bytes = 0;
  bool overflow = false;
};
ByteRange RangeInBytes(std::int64_t start_sector, std::int64_t sector_count,
                       std::uint32_t bytes_per_sector);

using WorkerRoutine = std::uint32_t (*)(const TransferJob&, const TransferEnvironment&);

// Copies the source entry onto the target entry, whole or the job's range.
std::uint32_t CopyWorker(const TransferJob& job, const TransferEnvironment& environment);
// Overwrites the whole target drive with zeros.
std::uint32_t ZeroWorker(const TransferJob& job, const TransferEnvironment& environment);

// Runs the worker on a new thread that nobody waits for; false when no thread could be started,
// in which case the worker has not run and sends nothing.
bool StartTransfer(WorkerRoutine worker, const TransferJob& job,
                   const TransferEnvironment& environment);

// Workers started by StartTransfer that have not returned yet. A worker may still show its last
// box after it has sent WM_TRANSFER_DONE.
int TransfersRunning();

}  // namespace ombrix
