// Before a physical drive is written, its mounted volumes are locked and dismounted for the length
// of the transfer, so that no file system writes over the copy or caches what it replaced.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/unique_handle.h"

namespace ombrix::platform {

// The system's volumes as the locks use them; tests put a machine of their own behind it.
class Volumes {
 public:
  virtual ~Volumes() = default;
  // Every volume's name, "\\?\Volume{...}" without the root folder's backslash.
  virtual std::vector<std::wstring> Names() = 0;
  // The disks the volume has extents on; nothing when it cannot be asked.
  virtual std::optional<std::vector<DWORD>> DisksOf(const std::wstring& volume) = 0;
  // The volume opened for locking; invalid when it cannot be.
  virtual UniqueHandle OpenForLocking(const std::wstring& volume) = 0;
  virtual bool Lock(HANDLE volume) = 0;
  virtual void Dismount(HANDLE volume) = 0;
  virtual void Unlock(HANDLE volume) = 0;
};

// The volumes of the system the program runs on.
Volumes& SystemVolumes();

class VolumeLocks {
 public:
  // Locks and dismounts every volume with an extent on drive `disk_number`. Nothing when one of
  // them cannot be opened or locked (the system volume, open files): the drive must not be
  // written then, and what was locked is released.
  static std::optional<VolumeLocks> Acquire(int disk_number, Volumes& volumes);

  VolumeLocks(VolumeLocks&& other) noexcept
      : system_(other.system_), locked_(std::exchange(other.locked_, {})) {}
  VolumeLocks& operator=(VolumeLocks&&) = delete;
  ~VolumeLocks();

 private:
  explicit VolumeLocks(Volumes& volumes) : system_(&volumes) {}

  Volumes* system_;
  std::vector<UniqueHandle> locked_;  // unlocked, then closed, in the destructor
};

}  // namespace ombrix::platform
