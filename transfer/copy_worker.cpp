// The copy: raw bytes from the source entry to the same offsets of the target entry, the whole
// source or a range of its sectors, in chunk steps with a sector-by-sector tail.
#include <limits>
#include <optional>

#include "transfer/chunk_buffer.h"
#include "transfer/messages.h"
#include "transfer/sparse_target.h"
#include "transfer/transfer.h"
#include "transfer/verification.h"
#include "transfer/worker_report.h"
#include "transfer/write_back.h"

namespace ombrix {

namespace {

using platform::Access;
using platform::Disposition;
using platform::MediumPtr;
using platform::Share;

Disposition DispositionFor(const MediaRecord& record) {
  return record.is_image ? Disposition::kOpenAlways : Disposition::kOpenExisting;
}

// The copy never writes its source; a write-protected, mounted or read-only source is still
// copied.
MediumPtr OpenSource(platform::DeviceAccess& devices, const MediaRecord& source) {
  return platform::OpenForReading(devices, TextOf(source.path), DispositionFor(source)).medium;
}

// The area a copy moves, or the message that refuses it.
struct Area {
  std::int64_t begin = 0;
  std::int64_t end = 0;
  std::optional<std::u16string_view> refusal{};
};

Area RangeArea(const TransferJob& job, const MediaRecord& source, const MediaRecord& target,
               WorkerReport& report) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  if (job.range_overflow) return {.refusal = messages::kOutsideSource};
  if (job.start_byte < 0) return {.refusal = messages::kStartBelowZero};
  if (job.length_bytes < 0 || job.length_bytes > kMax - job.start_byte) {
    return {.refusal = messages::kOutsideSource};
  }
  const Area area{.begin = job.start_byte, .end = job.start_byte + job.length_bytes};
  if (area.end > source.size_bytes) return {.refusal = messages::kOutsideSource};
  if (target.is_image) {
    report.Information(messages::kImageTargetGrows);
  } else if (area.end > target.size_bytes) {
    return {.refusal = messages::kOutsideTarget};
  }
  return area;
}

Area WholeArea(const MediaRecord& source, const MediaRecord& target, WorkerReport& report) {
  if (target.is_image) {
    report.Information(messages::kImageTargetGrows);
  } else if (source.size_bytes > target.size_bytes) {
    return {.refusal = messages::kTargetTooSmall};
  }
  return {.begin = 0, .end = source.size_bytes};
}

}  // namespace

std::uint32_t CopyWorker(const TransferJob& job, const TransferEnvironment& environment) {
  WorkerReport report(*job.window);
  platform::DeviceAccess& devices = *environment.devices;

  const MediaRecord* source_record = RecordAt(*environment.source_table, job.source_index);
  MediumPtr source = source_record ? OpenSource(devices, *source_record) : nullptr;
  if (!source) {
    report.Done();
    report.Error(messages::kSourceOpenError);
    return 0;
  }
  const MediaRecord* target_record = RecordAt(*environment.target_table, job.target_index);
  if (target_record == nullptr) {
    source.reset();
    report.Done();
    report.Error(messages::kTargetOpenError);
    return 0;
  }
  // Taken now: a later change of the lists does not reach a running copy.
  const MediaRecord S = *source_record;
  const MediaRecord T = *target_record;
  auto opened = devices.Open(TextOf(T.path), Access::kReadWrite, Share::kRead, DispositionFor(T));
  if (!opened.medium) {
    source.reset();
    report.Done();
    report.TargetOpenFailed(opened.error);
    return 0;
  }
  MediumPtr target = std::move(opened.medium);

  // Refusals come before any data moves; the dialog is idle again before the message.
  auto refuse = [&](std::u16string_view message) {
    source.reset();
    target.reset();
    report.Done();
    report.Error(message);
    return 0u;
  };
  const Area area = job.range_mode != 0 ? RangeArea(job, S, T, report) : WholeArea(S, T, report);
  if (area.refusal) return refuse(*area.refusal);
  if (!source->SetPosition(area.begin) || !target->SetPosition(area.begin)) {
    return refuse(messages::kPositionError);
  }
  std::optional<AreaDigests> digests;
  if (job.verify) {
    digests = AreaDigests::Start(area.begin);
    if (!digests) return refuse(messages::kCannotVerify);
  }
  auto buffer = ChunkBuffer::Allocate();
  if (!buffer) {
    source.reset();
    target.reset();
    report.Done();
    return 0;
  }

  const std::uint32_t bps = S.bytes_per_sector;
  const std::int64_t total = area.end - area.begin;
  CacheTrail source_cache(*source, area.begin);
  WriteBack write_back(*target, area.begin);
  SparseTarget sparse(*target, T.is_image, write_back);
  bool failed = false;
  bool stopped = false;
  std::optional<std::u16string_view> detail;
  for (std::int64_t pos = area.begin; pos < area.end;) {
    if (environment.run_flag->load() == 0) {
      stopped = true;  // a stopped copy ends like a complete one
      break;
    }
    if (!source->SetPosition(pos) || !target->SetPosition(pos)) {
      failed = true;
      break;
    }
    const std::int64_t n = StepBytes(area.end - pos, bps);
    // A sector size of 0 or past a chunk cannot be moved through the buffer.
    if (n <= 0 || n > kChunkBytes) {
      failed = true, detail = messages::kReadError;
      break;
    }
    const auto data = buffer->first(n);
    const auto read = source->Read(data);
    if (!read.ok || static_cast<std::int64_t>(read.moved) != n) {
      failed = true, detail = messages::kReadError;
      break;
    }
    if (digests) digests->Add(data);
    source_cache.DropBefore(pos + n);
    if (!sparse.Skips(pos, data)) {
      const bool reached = sparse.Reach(pos, n);
      const auto written = reached ? target->Write(data) : platform::IoResult{};
      // A failure that the early write-back brings to light is this step's failed write.
      if (!written.ok || static_cast<std::int64_t>(written.moved) != n ||
          !write_back.Written(pos, n)) {
        failed = true, detail = messages::kWriteError;
        break;
      }
    }
    pos += n;
    report.Progress(ProgressPercent(pos - area.begin, total, bps));
  }

  // The steps done, skipped ones included, read back as copied, whatever ended the loop.
  if (!sparse.Complete() && !failed) {
    failed = true, detail = messages::kWriteError;
  }
  // "Done" means on the medium: what the flush cannot make durable was not written.
  const bool confirmed = failed || write_back.Finish();
  const bool flushed = target->Flush();
  if (!failed && !(confirmed && flushed)) failed = true, detail = messages::kWriteError;
  if (digests && !failed && !stopped) {
    // The whole area is on the target: read it back and compare, as a second pass.
    digests->Finish();
    const platform::MediumPtr reader = OpenToCheck(devices, TextOf(T.path));
    const CheckResult check =
        !reader ? CheckResult{.outcome = CheckResult::Outcome::kReadError}
                : CheckCopy(*reader, *source, *digests,
                            {.begin = area.begin,
                             .end = area.end,
                             .bytes_per_sector = bps,
                             .buffer = buffer->first(kChunkBytes),
                             .go_on = [&] { return environment.run_flag->load() != 0; },
                             .progress =
                                 [&](std::int64_t done) {
                                   report.CheckProgress(ProgressPercent(done, total, bps));
                                 }});
    report.Checked(check, messages::kCopyVerified, true, &messages::CopyMismatch,
                   messages::kCopyDone, messages::kCopyFailed);
  } else {
    report.Outcome(failed, detail, messages::kCopyDone, messages::kCopyFailed);
  }
  buffer.reset();
  source.reset();
  target.reset();
  report.Done();
  return 0;
}

}  // namespace ombrix
