// Before a physical drive is written, its mounted volumes are locked and dismounted for the length
// of the transfer, so that no file system writes over the copy or caches what it replaced.
#pragma once

#include <optional>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace ombrix::platform {

class VolumeLocks {
 public:
  // Locks and dismounts every volume with an extent on drive `disk_number`. Nothing when one of
  // them cannot be locked (the system volume, open files): the drive must not be written then.
  static std::optional<VolumeLocks> Acquire(int disk_number);

 private:
  std::vector<UniqueHandle> volumes_;  // held open: closing a volume handle releases its lock
};

}  // namespace ombrix::platform
