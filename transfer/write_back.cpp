#include "transfer/write_back.h"

#include <algorithm>

#include "transfer/transfer.h"

namespace ombrix {

void CacheTrail::DropBefore(std::int64_t end) {
  if (end <= mark_) return;
  medium_.DropCached(mark_, end - mark_);
  // The system drops only cache blocks that lie wholly in the range, and a block (a large folio,
  // read ahead or written in one piece) may reach past `end`: the mark stays behind by more than
  // such a block, so the next call takes it along. Dropping an already empty range costs little.
  mark_ = std::max(mark_, end - kCacheTrailLag);
}

bool WriteBack::Written(std::int64_t offset, std::int64_t length) {
  written_ = std::max(written_, offset + length);
  if (!target_.StartWriteBack(offset, length)) return false;
  if (written_ - confirmed_ <= bound_) return true;
  // Waiting for half the bound at a time keeps the waits few: a system that can only wait for
  // everything (a full flush) does so once per half bound, not once per step.
  return AwaitBefore(written_ - bound_ / 2);
}

bool WriteBack::Finish() {
  return written_ <= confirmed_ || AwaitBefore(written_);
}

bool WriteBack::AwaitBefore(std::int64_t end) {
  if (!target_.AwaitWriteBack(confirmed_, end - confirmed_)) return false;
  confirmed_ = end;
  cache_.DropBefore(end);
  return true;
}

}  // namespace ombrix
