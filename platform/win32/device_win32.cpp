#include "platform/win32/device_win32.h"

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "platform/bounce_buffer.h"
#include "platform/drive_path.h"
#include "platform/serial_encoding.h"
#include "platform/storage_descriptor.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/volume_locks.h"

namespace ombrix::platform {

namespace {

// The reply buffer of the identity query, as large as the storage stack may need.
constexpr DWORD kDescriptorReplyBytes = 10000;
// ReadFile and WriteFile move at most this much per call.
constexpr std::size_t kMaxCallBytes = 1 << 30;

std::wstring Wide(std::u16string_view text) {
  return {text.begin(), text.end()};
}

OpenError ErrorOf(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return OpenError::kNotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return OpenError::kBusy;
    default:
      return OpenError::kOther;
  }
}

class Win32Medium final : public Medium {
 public:
  // `bounce`, when given, makes every read an uncached one through it.
  Win32Medium(UniqueHandle handle, bool drive, std::optional<VolumeLocks> locks,
              BounceBuffer bounce = nullptr)
      : locks_(std::move(locks)),
        handle_(std::move(handle)),
        drive_(drive),
        bounce_(std::move(bounce)) {}

  bool SetPosition(std::int64_t offset) override {
    if (offset < 0) return false;
    position_ = offset;
    return Seek(offset);
  }

  IoResult Read(std::span<std::byte> buffer) override {
    if (bounce_) return ReadUncached(buffer);
    IoResult result{.ok = true};
    while (result.moved < buffer.size()) {
      const DWORD want = static_cast<DWORD>(std::min(buffer.size() - result.moved, kMaxCallBytes));
      DWORD got = 0;
      if (!::ReadFile(handle_.get(), buffer.data() + result.moved, want, &got, nullptr)) {
        result.ok = false;
        break;
      }
      if (got == 0) break;  // the end of the medium
      result.moved += got;
    }
    return result;
  }

  IoResult Write(std::span<const std::byte> buffer) override {
    IoResult result{.ok = true};
    while (result.moved < buffer.size()) {
      const DWORD want = static_cast<DWORD>(std::min(buffer.size() - result.moved, kMaxCallBytes));
      DWORD put = 0;
      if (!::WriteFile(handle_.get(), buffer.data() + result.moved, want, &put, nullptr) ||
          put == 0) {
        result.ok = false;
        break;
      }
      result.moved += put;
    }
    return result;
  }

  bool Flush() override { return ::FlushFileBuffers(handle_.get()); }

  // Without the cache the system allows only reads of whole sectors at sector offsets into
  // aligned memory: the sectors around the asked bytes are read, and the asked bytes copied out.
  IoResult ReadUncached(std::span<std::byte> buffer) {
    IoResult result{.ok = true};
    while (result.moved < buffer.size()) {
      const std::int64_t at = position_ + static_cast<std::int64_t>(result.moved);
      const std::int64_t start = at / kUncachedAlignment * kUncachedAlignment;
      const auto skip = static_cast<std::size_t>(at - start);
      const std::size_t rest = buffer.size() - result.moved;
      std::size_t want = std::min(kBounceBytes, skip + rest);
      want = (want + kUncachedAlignment - 1) / kUncachedAlignment * kUncachedAlignment;
      want = std::min(want, kBounceBytes);
      DWORD got = 0;
      if (!Seek(start) ||
          !::ReadFile(handle_.get(), bounce_.get(), static_cast<DWORD>(want), &got, nullptr)) {
        result.ok = false;
        break;
      }
      if (got <= skip) break;  // the end of the medium
      const std::size_t take = std::min<std::size_t>(got - skip, rest);
      std::copy_n(bounce_.get() + skip, take, buffer.data() + result.moved);
      result.moved += take;
      if (got < want) break;
    }
    position_ += static_cast<std::int64_t>(result.moved);
    return result;
  }

  // Windows writes cached data back on its own schedule and has no call that starts a range
  // early; waiting is a flush of everything written so far.
  bool StartWriteBack(std::int64_t, std::int64_t) override { return true; }
  bool AwaitWriteBack(std::int64_t, std::int64_t) override { return Flush(); }

  // The cache manager drops pages of sequentially read files behind the reader itself.
  void DropCached(std::int64_t, std::int64_t) override {}

  // NTFS allocates all of a file that SetEndOfFile extends unless the file is marked sparse. A
  // file system without sparse files refuses the mark and allocates; reads are the same.
  void AllowHoles() override {
    if (drive_) return;
    DWORD returned = 0;
    (void)::DeviceIoControl(handle_.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned,
                            nullptr);
  }

  bool ExtendTo(std::int64_t size) override {
    const auto current = FileSize();
    if (!current) return false;
    if (*current >= size) return true;
    if (drive_) return false;
    // The end is set at the file pointer: move it there and back.
    LARGE_INTEGER zero{}, position{}, end{};
    end.QuadPart = size;
    if (!::SetFilePointerEx(handle_.get(), zero, &position, FILE_CURRENT)) return false;
    const bool extended = ::SetFilePointerEx(handle_.get(), end, nullptr, FILE_BEGIN) &&
                          ::SetEndOfFile(handle_.get());
    return ::SetFilePointerEx(handle_.get(), position, nullptr, FILE_BEGIN) && extended;
  }

  std::optional<std::int64_t> FileSize() override {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle_.get(), &size)) return std::nullopt;
    return size.QuadPart;
  }

  std::optional<DiskGeometryEx> DriveGeometry() override {
    if (!drive_) return std::nullopt;
    DISK_GEOMETRY_EX reply{};
    DWORD returned = 0;
    if (!::DeviceIoControl(handle_.get(), IOCTL_DISK_GET_DRIVE_GEOMETRY_EX, nullptr, 0, &reply,
                           sizeof reply, &returned, nullptr)) {
      return std::nullopt;
    }
    return DiskGeometryEx{
        .cylinders = reply.Geometry.Cylinders.QuadPart,
        .media_type = static_cast<std::uint32_t>(reply.Geometry.MediaType),
        .tracks_per_cylinder = reply.Geometry.TracksPerCylinder,
        .sectors_per_track = reply.Geometry.SectorsPerTrack,
        .bytes_per_sector = reply.Geometry.BytesPerSector,
        .disk_size = reply.DiskSize.QuadPart,
    };
  }

  std::optional<StorageDescriptorTexts> StorageDescriptor() override {
    if (!drive_) return std::nullopt;
    STORAGE_PROPERTY_QUERY query{};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    std::vector<std::byte> reply(kDescriptorReplyBytes);
    DWORD returned = 0;
    if (!::DeviceIoControl(handle_.get(), IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query,
                           reply.data(), kDescriptorReplyBytes, &returned, nullptr)) {
      return std::nullopt;
    }
    // Only what the driver said it wrote is read.
    std::optional<StorageDescriptorTexts> texts =
        ParseStorageDescriptor(std::span<const std::byte>(reply.data(), returned));
    if (texts && texts->serial) texts->serial = SerialInCatalogueForm(*texts->serial);
    return texts;
  }

 private:
  // Declared first, so destroyed last: the volumes come back only after the drive's handle, with
  // everything written through it, is closed.
  bool Seek(std::int64_t offset) {
    LARGE_INTEGER distance{};
    distance.QuadPart = offset;
    return ::SetFilePointerEx(handle_.get(), distance, nullptr, FILE_BEGIN);
  }

  std::optional<VolumeLocks> locks_;
  UniqueHandle handle_;
  bool drive_;
  BounceBuffer bounce_;
  std::int64_t position_ = 0;  // where an uncached read begins: as set, moved by such reads
};

}  // namespace

DeviceAccess::Opened Win32DeviceAccess::Open(std::u16string_view path, Access access, Share share,
                                             Disposition disposition) {
  const std::optional<int> drive = ParseDrivePath(path);
  if (drive && disposition != Disposition::kOpenExisting) return {nullptr, OpenError::kOther};

  // Only a drive that will be written is taken from its file systems; one that is read keeps its
  // volumes mounted (a backup may go into a file on one of them).
  const bool drive_to_write = drive && access == Access::kReadWrite;
  std::optional<VolumeLocks> locks =
      drive_to_write ? VolumeLocks::Acquire(*drive, volumes_) : std::nullopt;
  if (drive_to_write && !locks) return {nullptr, OpenError::kBusy};

  const bool uncached = access == Access::kReadFromMedium;
  BounceBuffer bounce;
  if (uncached) {
    bounce = AllocateBounceBuffer();
    if (!bounce) return {nullptr, OpenError::kOther};
  }
  const DWORD desired = access == Access::kQuery              ? 0
                        : access == Access::kRead || uncached ? GENERIC_READ
                                                              : GENERIC_READ | GENERIC_WRITE;
  const DWORD sharing =
      share == Share::kRead ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
  const DWORD creation = disposition == Disposition::kOpenAlways ? OPEN_ALWAYS : OPEN_EXISTING;
  const DWORD attributes =
      (drive ? 0 : FILE_ATTRIBUTE_NORMAL) | (uncached ? FILE_FLAG_NO_BUFFERING : 0);
  UniqueHandle handle(
      ::CreateFileW(Wide(path).c_str(), desired, sharing, nullptr, creation, attributes, nullptr));
  if (!handle.valid()) return {nullptr, ErrorOf(::GetLastError())};
  return {std::make_unique<Win32Medium>(std::move(handle), drive.has_value(), std::move(locks),
                                        std::move(bounce)),
          OpenError::kNone};
}

std::unique_ptr<DeviceAccess> MakeSystemDeviceAccess() {
  return std::make_unique<Win32DeviceAccess>();
}

}  // namespace ombrix::platform
