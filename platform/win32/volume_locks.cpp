#include "platform/win32/volume_locks.h"

#include <winioctl.h>

#include <algorithm>
#include <array>
#include <memory>
#include <type_traits>

namespace ombrix::platform {

namespace {

// The volume search, closed on every path.
struct CloseVolumeSearch {
  void operator()(HANDLE search) const { ::FindVolumeClose(search); }
};
using VolumeSearch = std::unique_ptr<std::remove_pointer_t<HANDLE>, CloseVolumeSearch>;

class WindowsVolumes final : public Volumes {
 public:
  std::vector<std::wstring> Names() override {
    std::vector<std::wstring> names;
    std::array<wchar_t, MAX_PATH> name{};
    HANDLE first = ::FindFirstVolumeW(name.data(), static_cast<DWORD>(name.size()));
    if (first == INVALID_HANDLE_VALUE) return names;  // no volumes at all
    const VolumeSearch search(first);
    do {
      std::wstring path(name.data());
      if (!path.empty() && path.back() == L'\\') path.pop_back();  // the volume, not its root
      names.push_back(std::move(path));
    } while (::FindNextVolumeW(search.get(), name.data(), static_cast<DWORD>(name.size())));
    return names;
  }

  // Asked through a handle without access rights, which any volume grants, so that a volume
  // that refuses to be opened for writing is still found on its disk. A volume spanning several
  // disks lists them all, however many there are: one left out would leave its volume unlocked.
  std::optional<std::vector<DWORD>> DisksOf(const std::wstring& volume) override {
    const UniqueHandle handle(::CreateFileW(volume.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                            nullptr, OPEN_EXISTING, 0, nullptr));
    if (!handle.valid()) return std::nullopt;
    DWORD count = 1;
    std::vector<std::byte> reply;
    for (;;) {
      reply.assign(sizeof(VOLUME_DISK_EXTENTS) + (count - 1) * sizeof(DISK_EXTENT), std::byte{});
      DWORD returned = 0;
      if (::DeviceIoControl(handle.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0,
                            reply.data(), static_cast<DWORD>(reply.size()), &returned, nullptr)) {
        break;
      }
      // Too small: the count of extents has come back, ask again with room for all of them.
      const auto* header = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(reply.data());
      if (::GetLastError() != ERROR_MORE_DATA || header->NumberOfDiskExtents <= count) {
        return std::nullopt;
      }
      count = header->NumberOfDiskExtents;
    }
    const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(reply.data());
    std::vector<DWORD> disks;
    const DWORD listed = std::min(extents->NumberOfDiskExtents, count);
    for (DWORD i = 0; i < listed; ++i) disks.push_back(extents->Extents[i].DiskNumber);
    return disks;
  }

  UniqueHandle OpenForLocking(const std::wstring& volume) override {
    return UniqueHandle(::CreateFileW(volume.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
  }

  bool Lock(HANDLE volume) override { return Control(volume, FSCTL_LOCK_VOLUME); }
  void Dismount(HANDLE volume) override { (void)Control(volume, FSCTL_DISMOUNT_VOLUME); }
  void Unlock(HANDLE volume) override { (void)Control(volume, FSCTL_UNLOCK_VOLUME); }

 private:
  static bool Control(HANDLE volume, DWORD code) {
    DWORD returned = 0;
    return ::DeviceIoControl(volume, code, nullptr, 0, nullptr, 0, &returned, nullptr);
  }
};

}  // namespace

Volumes& SystemVolumes() {
  static WindowsVolumes volumes;
  return volumes;
}

std::optional<VolumeLocks> VolumeLocks::Acquire(int disk_number, Volumes& volumes) {
  VolumeLocks locks(volumes);
  for (const std::wstring& name : volumes.Names()) {
    // A volume that cannot even be asked where it lies is on no disk we could know of.
    const std::optional<std::vector<DWORD>> disks = volumes.DisksOf(name);
    if (!disks ||
        std::find(disks->begin(), disks->end(), static_cast<DWORD>(disk_number)) == disks->end()) {
      continue;
    }
    UniqueHandle volume = volumes.OpenForLocking(name);
    if (!volume.valid() || !volumes.Lock(volume.get())) return std::nullopt;
    volumes.Dismount(volume.get());
    locks.locked_.push_back(std::move(volume));
  }
  return locks;
}

VolumeLocks::~VolumeLocks() {
  for (const UniqueHandle& volume : locked_) system_->Unlock(volume.get());
}

}  // namespace ombrix::platform
