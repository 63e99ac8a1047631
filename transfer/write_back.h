// Bounded write-back: the data a transfer has written but the medium has not yet confirmed stays
// below a bound, so the progress shown is never far ahead of the medium, the flush before "done"
// takes moments, and the machine's other work is not starved of memory by dirty pages. What is
// confirmed on the medium, and what was read once, leaves the system's cache.
#pragma once

#include <cstdint>

#include "platform/device.h"

namespace ombrix {

// At most this much written data of one transfer is on its way to the medium at any time.
inline constexpr std::int64_t kWriteBackBytes = std::int64_t{32} << 20;

// More than the largest block in which the system caches a file or disk.
inline constexpr std::int64_t kCacheTrailLag = std::int64_t{8} << 20;

// Drops a medium's cached copy of everything before a mark that only moves forward.
class CacheTrail {
 public:
  CacheTrail(platform::Medium& medium, std::int64_t from) : medium_(medium), mark_(from) {}

  // Nothing before `end` is read again.
  void DropBefore(std::int64_t end);

 private:
  platform::Medium& medium_;
  std::int64_t mark_;
};

// For one target medium whose steps are written in rising order from `from`.
class WriteBack {
 public:
  WriteBack(platform::Medium& target, std::int64_t from, std::int64_t bound = kWriteBackBytes)
      : target_(target), confirmed_(from), written_(from), bound_(bound), cache_(target, from) {}

  // After a step's bytes were written: starts them on their way to the medium and, once more than
  // the bound is on its way, waits until only half of it is. False when the medium reports a
  // failed write, of this step or of one before it.
  bool Written(std::int64_t offset, std::int64_t length);

  // Waits until everything written is on the medium; false when the medium reports a failure.
  bool Finish();

 private:
  bool AwaitBefore(std::int64_t end);

  platform::Medium& target_;
  std::int64_t confirmed_;  // everything before it is on the medium
  std::int64_t written_;    // the end of the last step written
  std::int64_t bound_;
  CacheTrail cache_;
};

}  // namespace ombrix
