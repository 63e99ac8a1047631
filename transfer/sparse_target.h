// Image targets: a copy into an image file leaves the file's new part unwritten where the source
// holds only zeros, so that an image of a mostly empty disk takes only the space of its data.
// Every byte reads as if it had been written: the file is extended over skipped steps by the file
// system, whose new bytes read as zeros, or, where it cannot extend a file, by writing the zeros.
// Zeros over the file's existing data are always written, so old data never shows through. No
// step is written past the file's end, because not every file system fills such a gap with zeros.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/device.h"
#include "transfer/chunk_buffer.h"
#include "transfer/write_back.h"

namespace ombrix {

// True when every byte is zero.
bool AllZero(std::span<const std::byte> data);

class SparseTarget {
 public:
  // `image`: the target is an image file. A drive, or a file whose length cannot be read, has
  // every step written and is never extended.
  SparseTarget(platform::Medium& target, bool image, WriteBack& write_back);

  // Whether a step of `data` at `offset` may stay unwritten: it is all zeros and lies at or past
  // the file's length when the copy began.
  bool Skips(std::int64_t offset, std::span<const std::byte> data);

  // Before a step of `length` bytes is written at `offset`: makes the file at least `offset` long,
  // and counts on the write to make it reach past the step. Leaves the position at `offset` when
  // it writes. False on failure.
  bool Reach(std::int64_t offset, std::int64_t length);

  // After the last step: makes the file cover the skipped steps. False on failure.
  bool Complete() { return Reach(skipped_end_, 0); }

 private:
  bool WriteZeros(std::int64_t from, std::int64_t to);

  platform::Medium& target_;
  WriteBack& write_back_;
  // The file's length when the copy began: steps of zeros from there on may be skipped.
  std::optional<std::int64_t> holes_from_;
  // How long the file is known to be; it only grows while the copy writes.
  std::int64_t end_ = 0;
  std::int64_t skipped_end_ = 0;
  std::optional<ChunkBuffer> zeros_;  // only for a file system that cannot extend files
};

}  // namespace ombrix
