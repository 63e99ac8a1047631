// The zero-fill: the whole target drive overwritten with zeros, in chunk steps with a
// sector-by-sector tail.
#include <algorithm>
#include <optional>

#include "transfer/chunk_buffer.h"
#include "transfer/messages.h"
#include "transfer/transfer.h"
#include "transfer/verification.h"
#include "transfer/worker_report.h"
#include "transfer/write_back.h"

namespace ombrix {

std::uint32_t ZeroWorker(const TransferJob& job, const TransferEnvironment& environment) {
  using platform::Access, platform::Share, platform::Disposition;
  WorkerReport report(*job.window);

  const MediaRecord* record = RecordAt(*environment.target_table, job.target_index);
  if (record == nullptr) {
    report.Done();
    report.Error(messages::kTargetOpenError);
    return 0;
  }
  const MediaRecord T = *record;
  if (T.is_image) {
    report.Information(messages::kZeroImageRefused);
    report.Done();
    return 0;
  }
  auto opened = environment.devices->Open(TextOf(T.path), Access::kReadWrite, Share::kRead,
                                          Disposition::kOpenExisting);
  if (!opened.medium) {
    report.Done();
    report.TargetOpenFailed(opened.error);
    return 0;
  }
  platform::MediumPtr target = std::move(opened.medium);
  if (!target->SetPosition(0)) {
    target.reset();
    report.Done();
    report.Error(messages::kPositionError);
    return 0;
  }
  auto buffer = ChunkBuffer::Allocate();
  if (!buffer) {
    target.reset();
    report.Done();
    return 0;
  }
  const auto zeros = buffer->first(kChunkBytes);
  std::fill(zeros.begin(), zeros.end(), std::byte{0});

  const std::uint32_t bps = T.bytes_per_sector;
  std::optional<std::u16string_view> failure;
  bool stopped = false;
  WriteBack write_back(*target, 0);
  for (std::int64_t pos = 0; pos < T.size_bytes;) {
    if (environment.run_flag->load() == 0) {
      stopped = true;  // a stopped zero-fill ends like a complete one
      break;
    }
    if (!target->SetPosition(pos)) {
      failure = messages::kPositionError;
      break;
    }
    const std::int64_t n = StepBytes(T.size_bytes - pos, bps);
    // A sector size of 0 or past a chunk cannot be written from the buffer.
    const auto written =
        n > 0 && n <= kChunkBytes ? target->Write(buffer->first(n)) : platform::IoResult{};
    // A failure that the early write-back brings to light is this step's failed write.
    if (!written.ok || static_cast<std::int64_t>(written.moved) != n ||
        !write_back.Written(pos, n)) {
      failure = messages::kWriteError;
      break;
    }
    pos += n;
    report.Progress(ProgressPercent(pos, T.size_bytes, bps));
  }

  // "Done" means on the medium: what the flush cannot make durable was not written.
  const bool confirmed = failure.has_value() || write_back.Finish();
  const bool flushed = target->Flush();
  if (!failure && !(confirmed && flushed)) failure = messages::kWriteError;
  if (job.verify && !failure && !stopped) {
    // The whole drive is written: read it back, every byte must be zero.
    const platform::MediumPtr reader = OpenToCheck(*environment.devices, TextOf(T.path));
    const CheckResult check =
        !reader ? CheckResult{.outcome = CheckResult::Outcome::kReadError}
                : CheckZeros(*reader,
                             {.begin = 0,
                              .end = T.size_bytes,
                              .bytes_per_sector = bps,
                              .buffer = buffer->first(kChunkBytes),
                              .go_on = [&] { return environment.run_flag->load() != 0; },
                              .progress =
                                  [&](std::int64_t done) {
                                    report.CheckProgress(ProgressPercent(done, T.size_bytes, bps));
                                  }});
    report.Checked(check, messages::kZeroVerified, false, &messages::ZeroMismatch,
                   messages::kZeroDone, messages::kZeroFailed);
  } else {
    report.Outcome(failure.has_value(), failure, messages::kZeroDone, messages::kZeroFailed);
  }
  buffer.reset();
  target.reset();
  report.Done();
  return 0;
}

}  // namespace ombrix
