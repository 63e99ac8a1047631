#include "transfer/verification.h"

#include <algorithm>

#include "transfer/chunk_buffer.h"
#include "transfer/transfer.h"

namespace ombrix {

namespace {

using Outcome = CheckResult::Outcome;

bool ReadStep(platform::Medium& medium, std::int64_t pos, std::span<std::byte> data) {
  if (!medium.SetPosition(pos)) return false;
  const platform::IoResult read = medium.Read(data);
  return read.ok && read.moved == data.size();
}

bool EndsRegion(std::int64_t pos, std::int64_t region_bytes, const CheckSteps& steps) {
  return (pos - steps.begin) % region_bytes == 0 || pos == steps.end;
}

// The first sector of [begin, end) whose bytes differ between the two media, read again from
// both; the region's first sector when they now agree (a medium that answers differently from one
// read to the next is no better).
CheckResult FirstDifference(platform::Medium& target, platform::Medium& source, std::int64_t begin,
                            std::int64_t region_bytes, const CheckSteps& steps) {
  const std::int64_t end = std::min(begin + region_bytes, steps.end);
  auto source_buffer = ChunkBuffer::Allocate();
  if (!source_buffer) return {.outcome = Outcome::kReadError};
  for (std::int64_t pos = begin; pos < end;) {
    const std::int64_t n = StepBytes(end - pos, steps.bytes_per_sector);
    const auto theirs = steps.buffer.first(static_cast<std::size_t>(n));
    const auto ours = source_buffer->first(n);
    target.DropCached(pos, n);
    if (!ReadStep(target, pos, theirs) || !ReadStep(source, pos, ours)) {
      return {.outcome = Outcome::kReadError};
    }
    const auto differ = std::mismatch(ours.begin(), ours.end(), theirs.begin());
    if (differ.first != ours.end()) {
      const std::int64_t offset = pos + (differ.first - ours.begin());
      return {.outcome = Outcome::kMismatch, .first_bad_sector = offset / steps.bytes_per_sector};
    }
    pos += n;
  }
  return {.outcome = Outcome::kMismatch, .first_bad_sector = begin / steps.bytes_per_sector};
}

// Steps through [begin, end) of the target as the transfer did, from the medium; `look` sees each
// step's bytes and may end the check with its answer.
template <typename Look>
CheckResult ReadBack(platform::Medium& target, const CheckSteps& steps, Look look) {
  for (std::int64_t pos = steps.begin; pos < steps.end;) {
    if (!steps.go_on()) return {.outcome = Outcome::kStopped};
    const std::int64_t n = StepBytes(steps.end - pos, steps.bytes_per_sector);
    if (n <= 0 || n > kChunkBytes) return {.outcome = Outcome::kReadError};
    const auto data = steps.buffer.first(static_cast<std::size_t>(n));
    // Written and flushed, the step's cached pages are clean and can go right before it is read,
    // whoever read them in meanwhile: the read reaches the medium. And they go again after it.
    target.DropCached(pos, n);
    if (!ReadStep(target, pos, data)) return {.outcome = Outcome::kReadError};
    target.DropCached(pos, n);
    if (std::optional<CheckResult> answer = look(pos, data)) return *answer;
    pos += n;
    steps.progress(pos - steps.begin);
  }
  return {};
}

}  // namespace

platform::MediumPtr OpenToCheck(platform::DeviceAccess& devices, std::u16string_view path) {
  return devices
      .Open(path, platform::Access::kReadFromMedium, platform::Share::kReadWrite,
            platform::Disposition::kOpenExisting)
      .medium;
}

std::optional<AreaDigests> AreaDigests::Start(std::int64_t begin, std::int64_t region_bytes) {
  auto region = platform::Sha256::Start();
  if (!region || region_bytes <= 0 || region_bytes % kChunkBytes != 0) return std::nullopt;
  return AreaDigests(std::move(region), begin, region_bytes);
}

void AreaDigests::Add(std::span<const std::byte> bytes) {
  while (!bytes.empty()) {
    const std::int64_t left = region_bytes_ - (position_ - begin_) % region_bytes_;
    const auto piece = static_cast<std::size_t>(
        std::min<std::int64_t>(static_cast<std::int64_t>(bytes.size()), left));
    region_->Update(bytes.first(piece));
    region_open_ = true;
    position_ += static_cast<std::int64_t>(piece);
    bytes = bytes.subspan(piece);
    if ((position_ - begin_) % region_bytes_ == 0) {
      regions_.push_back(region_->Finish());
      region_open_ = false;
    }
  }
}

void AreaDigests::Finish() {
  if (region_open_) regions_.push_back(region_->Finish());
  region_open_ = false;
}

CheckResult CheckCopy(platform::Medium& target, platform::Medium& source,
                      const AreaDigests& expected, const CheckSteps& steps) {
  auto whole = platform::Sha256::Start();
  auto region = platform::Sha256::Start();
  if (!whole || !region) return {.outcome = Outcome::kReadError};
  std::size_t index = 0;
  std::int64_t region_begin = steps.begin;
  CheckResult result =
      ReadBack(target, steps, [&](std::int64_t pos, std::span<const std::byte> data) {
        whole->Update(data);
        region->Update(data);
        const std::int64_t next = pos + static_cast<std::int64_t>(data.size());
        if (!EndsRegion(next, expected.region_bytes(), steps)) {
          return std::optional<CheckResult>{};
        }
        const bool same =
            index < expected.regions().size() && region->Finish() == expected.regions()[index];
        if (!same) {
          return std::optional(
              FirstDifference(target, source, region_begin, expected.region_bytes(), steps));
        }
        ++index;
        region_begin = next;
        return std::optional<CheckResult>{};
      });
  if (result.outcome == Outcome::kMatch) result.digest = whole->Finish();
  return result;
}

CheckResult CheckZeros(platform::Medium& target, const CheckSteps& steps) {
  return ReadBack(target, steps, [&](std::int64_t pos, std::span<const std::byte> data) {
    const auto nonzero =
        std::find_if(data.begin(), data.end(), [](std::byte b) { return b != std::byte{0}; });
    if (nonzero == data.end()) return std::optional<CheckResult>{};
    const std::int64_t offset = pos + (nonzero - data.begin());
    return std::optional(CheckResult{.outcome = Outcome::kMismatch,
                                     .first_bad_sector = offset / steps.bytes_per_sector});
  });
}

}  // namespace ombrix
