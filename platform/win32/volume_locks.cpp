#include "platform/win32/volume_locks.h"

#include <winioctl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace ombrix::platform {

namespace {

// Whether the volume has an extent on the disk. A volume spanning several disks lists them all,
// however many there are: one left out would leave its volume unlocked.
bool LiesOnDisk(HANDLE volume, int disk_number) {
  DWORD count = 1;
  std::vector<std::byte> reply;
  for (;;) {
    reply.assign(sizeof(VOLUME_DISK_EXTENTS) + (count - 1) * sizeof(DISK_EXTENT), std::byte{});
    DWORD returned = 0;
    if (::DeviceIoControl(volume, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, reply.data(),
                          static_cast<DWORD>(reply.size()), &returned, nullptr)) {
      break;
    }
    // Too small: the count of extents has come back, ask again with room for all of them.
    const auto* header = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(reply.data());
    if (::GetLastError() != ERROR_MORE_DATA || header->NumberOfDiskExtents <= count) return false;
    count = header->NumberOfDiskExtents;
  }
  const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(reply.data());
  const DWORD listed = std::min(extents->NumberOfDiskExtents, count);
  for (DWORD i = 0; i < listed; ++i) {
    if (extents->Extents[i].DiskNumber == static_cast<DWORD>(disk_number)) return true;
  }
  return false;
}

// The volume search, closed on every path.
struct CloseVolumeSearch {
  void operator()(HANDLE search) const { ::FindVolumeClose(search); }
};
using VolumeSearch = std::unique_ptr<std::remove_pointer_t<HANDLE>, CloseVolumeSearch>;

}  // namespace

std::optional<VolumeLocks> VolumeLocks::Acquire(int disk_number) {
  VolumeLocks locks;
  std::array<wchar_t, MAX_PATH> name{};
  HANDLE first = ::FindFirstVolumeW(name.data(), static_cast<DWORD>(name.size()));
  if (first == INVALID_HANDLE_VALUE) return locks;  // no volumes at all
  const VolumeSearch search(first);
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
      return std::nullopt;
    }
    ::DeviceIoControl(volume.get(), FSCTL_DISMOUNT_VOLUME, nullptr, 0, nullptr, 0, &returned,
                      nullptr);
    locks.volumes_.push_back(std::move(volume));
  } while (::FindNextVolumeW(search.get(), name.data(), static_cast<DWORD>(name.size())));
  return locks;
}

}  // namespace ombrix::platform
