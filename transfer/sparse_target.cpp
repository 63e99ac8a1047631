#include "transfer/sparse_target.h"

#include <algorithm>
#include <cstring>

namespace ombrix {

bool AllZero(std::span<const std::byte> data) {
  // Each byte equals its successor and the first is zero.
  return data.empty() || (data[0] == std::byte{0} &&
                          std::memcmp(data.data(), data.data() + 1, data.size() - 1) == 0);
}

SparseTarget::SparseTarget(platform::Medium& target, bool image, WriteBack& write_back)
    : target_(target),
      write_back_(write_back),
      holes_from_(image ? target.FileSize() : std::nullopt),
      end_(holes_from_.value_or(0)) {}

bool SparseTarget::Skips(std::int64_t offset, std::span<const std::byte> data) {
  if (!holes_from_ || offset < *holes_from_ || !AllZero(data)) return false;
  if (skipped_end_ == 0) target_.AllowHoles();
  skipped_end_ = std::max(skipped_end_, offset + static_cast<std::int64_t>(data.size()));
  return true;
}

bool SparseTarget::Reach(std::int64_t offset, std::int64_t length) {
  if (!holes_from_) return true;
  if (offset > end_ && !target_.ExtendTo(offset) && !WriteZeros(end_, offset)) return false;
  end_ = std::max(end_, offset + length);
  return true;
}

bool SparseTarget::WriteZeros(std::int64_t from, std::int64_t to) {
  if (!zeros_) {
    zeros_ = ChunkBuffer::Allocate();
    if (!zeros_) return false;
    const auto all = zeros_->first(kChunkBytes);
    std::fill(all.begin(), all.end(), std::byte{0});
  }
  if (!target_.SetPosition(from)) return false;
  for (std::int64_t pos = from; pos < to;) {
    const std::int64_t n = std::min(to - pos, kChunkBytes);
    const auto written = target_.Write(zeros_->first(n));
    if (!written.ok || static_cast<std::int64_t>(written.moved) != n) return false;
    if (!write_back_.Written(pos, n)) return false;
    pos += n;
  }
  return true;
}

}  // namespace ombrix
