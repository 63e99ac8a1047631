#include "platform/win32/volume_locks.h"

#include <winioctl.h>

#include <algorithm>
#include <array>
#include <string>

namespace ombrix::platform {

namespace {

// Whether the volume has an extent on the disk. A volume spanning several disks lists them all.
bool LiesOnDisk(HANDLE volume, int disk_number) {
  // Room for a volume spread over up to 32 disks.
  std::array<std::byte, sizeof(VOLUME_DISK_EXTENTS) + 31 * sizeof(DISK_EXTENT)> reply{};
  DWORD returned = 0;
  if (!::DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, reply.data(),
                         static_cast<DWORD>(reply.size()), &returned, nullptr)) {
    return false;
  }
  const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(reply.data());
  const DWORD count = std::min<DWORD>(extents->NumberOfDiskExtents, 32);
  for (DWORD i = 0; i < count; ++i) {
    if (extents->Extents[i].DiskNumber == static_cast<DWORD>(disk_number)) return true;
  }
  return false;
}

}  // namespace

std::optional<VolumeLocks> VolumeLocks::Acquire(int disk_number) {
  VolumeLocks locks;
  std::array<wchar_t, MAX_PATH> name{};
  HANDLE search = ::FindFirstVolumeW(name.data(), static_cast<DWORD>(name.size()));
  if (search == INVALID_HANDLE_VALUE) return locks;  // no volumes at all
  bool ok = true;
  do {
    std::wstring path(name.data());
    if (!path.empty() && path.back() == L'\\') path.pop_back();  // the volume, not its root folder
    UniqueHandle volume(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    if (!volume.valid() || !LiesOnDisk(volume.get(), disk_number)) continue;
    DWORD returned = 0;
    if (!::DeviceIoControl(volume.get(), FSCTL_LOCK_VOLUME, nullptr, 0, nullptr, 0, &returned,
                           nullptr)) {
      ok = false;
      break;
    }
    ::DeviceIoControl(volume.get(), FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, &returned,
                      nullptr);
    locks.volumes_.push_back(std::move(volume));
  } while (::FindNextVolumeW(search, name.data(), static_cast<DWORD>(name.size())));
  ::FindVolumeClose(search);
  if (!ok) return std::nullopt;
  return locks;
}

}  // namespace ombrix::platform
