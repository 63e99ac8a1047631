#include "platform/linux/device_linux.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <utility>

#include "platform/bounce_buffer.h"
#include "platform/drive_path.h"
#include "platform/linux/sysfs.h"
#include "platform/linux/sysfs_identity.h"
#include "platform/text.h"

#ifndef BLKGETDISKSEQ
#define BLKGETDISKSEQ _IOR(0x12, 128, __u64)
#endif

namespace ombrix::platform {

namespace {

// The geometry Windows reports for disks: a fixed 255 heads and 63 sectors per track.
constexpr std::uint32_t kHeads = 255;
constexpr std::uint32_t kSectorsPerTrack = 63;
constexpr std::uint32_t kFixedMedia = 12;

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  ~UniqueFd() { Reset(); }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

OpenError ErrorFromErrno(int error) {
  switch (error) {
    case EBUSY:
    case EWOULDBLOCK:
      return OpenError::kBusy;
    case ENOENT:
    case ENXIO:
    case ENODEV:
      return OpenError::kNotFound;
    default:
      return OpenError::kOther;
  }
}

DeviceAccess::Opened Failed(OpenError error) {
  return {nullptr, error};
}

int OpenFlags(Access access) {
  const int base = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  return base | (AsksToWrite(access) ? O_RDWR : O_RDONLY);
}

bool IsAligned(std::int64_t value) {
  return value % kUncachedAlignment == 0;
}

// Opens `node`; a check's reader (kReadFromMedium) O_DIRECT where the file system allows it,
// elsewhere through the cache, dropping each range right before it reads it. `direct` says which.
UniqueFd OpenNode(const std::filesystem::path& node, int flags, Access access, bool& direct) {
  direct = false;
  if (access == Access::kReadFromMedium) {
    UniqueFd fd(::open(node.c_str(), flags | O_DIRECT, 0666));
    if (fd || errno != EINVAL) {
      direct = static_cast<bool>(fd);
      return fd;
    }
  }
  return UniqueFd(::open(node.c_str(), flags, 0666));
}

// Clears O_NONBLOCK, which only kept the open from waiting; O_DIRECT stays as it was.
bool ClearNonBlocking(int fd, bool direct) {
  return ::fcntl(fd, F_SETFL, direct ? O_DIRECT : 0) == 0;
}

// A direct reader's bounce buffer; null for any other open, and when it cannot be had.
BounceBuffer BounceFor(bool direct) {
  return direct ? AllocateBounceBuffer() : nullptr;
}

std::optional<std::int64_t> BlockDeviceSize(int fd) {
  std::uint64_t bytes = 0;
  if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0 || bytes > INT64_MAX) return std::nullopt;
  return static_cast<std::int64_t>(bytes);
}

constexpr std::uint32_t kDefaultSectorSize = 512;
constexpr std::uint64_t kChunkLimit = 1 << 20;  // no sector is larger than a transfer step

// What a drive handle knows beyond its descriptor.
struct DriveInfo {
  std::filesystem::path block_dir;
  DriveKind kind;
};

// Reads and writes go through the page cache. With the transfer engine bounding what is on its way
// to the medium and dropping what is done from the cache, that was faster here than direct I/O:
// the kernel reads ahead and writes back while the copy goes on, where direct I/O waits for each.
// Only a check of what was written reads directly, so that it sees the medium and not the cache.
class LinuxMedium final : public Medium {
 public:
  // `bounce`, when given, says the descriptor was opened O_DIRECT: reads that are not aligned go
  // through it.
  LinuxMedium(UniqueFd fd, bool block_device, std::optional<DriveInfo> drive,
              BounceBuffer bounce = nullptr)
      : fd_(std::move(fd)),
        block_device_(block_device),
        drive_(std::move(drive)),
        bounce_(std::move(bounce)) {}

  bool SetPosition(std::int64_t offset) override {
    return offset >= 0 && ::lseek(fd_.get(), offset, SEEK_SET) == offset;
  }

  IoResult Read(std::span<std::byte> buffer) override {
    if (bounce_) return ReadDirect(buffer);
    IoResult result{.ok = true};
    while (result.moved < buffer.size()) {
      const ssize_t n =
          ::read(fd_.get(), buffer.data() + result.moved, buffer.size() - result.moved);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) result.ok = false;
      if (n <= 0) break;  // the end of the medium, or a failure
      result.moved += static_cast<std::size_t>(n);
    }
    return result;
  }

  IoResult Write(std::span<const std::byte> buffer) override {
    IoResult result{.ok = true};
    while (result.moved < buffer.size()) {
      const ssize_t n =
          ::write(fd_.get(), buffer.data() + result.moved, buffer.size() - result.moved);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        result.ok = false;
        break;
      }
      result.moved += static_cast<std::size_t>(n);
    }
    return result;
  }

  bool Flush() override { return ::fsync(fd_.get()) == 0; }

  bool StartWriteBack(std::int64_t offset, std::int64_t length) override {
    return SyncRange(offset, length, SYNC_FILE_RANGE_WRITE);
  }

  bool AwaitWriteBack(std::int64_t offset, std::int64_t length) override {
    return SyncRange(
        offset, length,
        SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
  }

  void DropCached(std::int64_t offset, std::int64_t length) override {
    // Advice only: where it cannot be followed, the cache just stays fuller.
    (void)::posix_fadvise(fd_.get(), offset, length, POSIX_FADV_DONTNEED);
  }

  // Files on Linux file systems keep unwritten ranges as holes on their own.
  void AllowHoles() override {}

  bool ExtendTo(std::int64_t size) override {
    const auto current = FileSize();
    if (!current) return false;
    if (*current >= size) return true;
    if (block_device_) return false;
    int result;
    do {
      result = ::ftruncate(fd_.get(), size);
    } while (result != 0 && errno == EINTR);
    return result == 0;
  }

  std::optional<std::int64_t> FileSize() override {
    if (block_device_) return BlockDeviceSize(fd_.get());
    struct stat st {};
    if (::fstat(fd_.get(), &st) != 0) return std::nullopt;
    return static_cast<std::int64_t>(st.st_size);
  }

  std::optional<DiskGeometryEx> DriveGeometry() override {
    if (!drive_) return std::nullopt;
    const auto size = FileSize();
    const auto sector = SectorSize();
    if (!size || !sector) return std::nullopt;
    const std::uint32_t bps = *sector;
    return DiskGeometryEx{
        .cylinders = *size / (std::int64_t{kHeads} * kSectorsPerTrack * bps),
        .media_type = kFixedMedia,
        .tracks_per_cylinder = kHeads,
        .sectors_per_track = kSectorsPerTrack,
        .bytes_per_sector = bps,
        .disk_size = *size,
    };
  }

  // The logical sector size: the kernel's for a block device; for a file standing in for one
  // (a machine assembled in a folder), what its sysfs attributes say, 512 by default.
  std::optional<std::uint32_t> SectorSize() const {
    if (block_device_) {
      int sector = 0;
      if (::ioctl(fd_.get(), BLKSSZGET, &sector) != 0 || sector <= 0) return std::nullopt;
      return static_cast<std::uint32_t>(sector);
    }
    const auto text = sysfs::ReadFile(drive_->block_dir / "queue" / "logical_block_size");
    if (!text) return kDefaultSectorSize;
    const auto value = sysfs::ParseDecimal(sysfs::AttributeText(*text));
    if (!value || *value == 0 || *value > kChunkLimit) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
  }

  std::optional<StorageDescriptorTexts> StorageDescriptor() override {
    if (!drive_) return std::nullopt;
    return ReadDriveTexts(drive_->block_dir, drive_->kind);
  }

 private:
  // Reads at the descriptor's position into `buffer`, straight when offset, length and memory are
  // aligned, else through the bounce buffer: the aligned blocks around the asked bytes, the asked
  // bytes copied out. The kernel writes back and drops any cached pages of the range before it
  // reads.
  IoResult ReadDirect(std::span<std::byte> buffer) {
    const off_t position = ::lseek(fd_.get(), 0, SEEK_CUR);
    if (position < 0) return {};
    IoResult result{.ok = true};
    while (result.moved < buffer.size()) {
      const std::int64_t at = position + static_cast<std::int64_t>(result.moved);
      const std::size_t rest = buffer.size() - result.moved;
      std::byte* into = buffer.data() + result.moved;
      const bool straight = IsAligned(at) && IsAligned(static_cast<std::int64_t>(rest)) &&
                            reinterpret_cast<std::uintptr_t>(into) % kUncachedAlignment == 0;
      const std::int64_t start = straight ? at : at / kUncachedAlignment * kUncachedAlignment;
      const auto skip = static_cast<std::size_t>(at - start);
      std::size_t want = std::min(kBounceBytes, skip + rest);
      want = std::min(kBounceBytes,
                      (want + kUncachedAlignment - 1) / kUncachedAlignment * kUncachedAlignment);
      if (straight) want = rest;
      ssize_t got;
      do {
        got = ::pread(fd_.get(), straight ? into : bounce_.get(), want, start);
      } while (got < 0 && errno == EINTR);
      if (got < 0) result.ok = false;
      if (got <= static_cast<ssize_t>(skip)) break;  // the end of the medium, or a failure
      const std::size_t take = std::min(static_cast<std::size_t>(got) - skip, rest);
      if (!straight) std::copy_n(bounce_.get() + skip, take, into);
      result.moved += take;
      if (static_cast<std::size_t>(got) < want) break;
    }
    const off_t next = position + static_cast<off_t>(result.moved);
    if (::lseek(fd_.get(), next, SEEK_SET) != next) result.ok = false;
    return result;
  }

  // A file that cannot write back a range early (a file system without the call) is no failure:
  // its data goes with the final flush. A failed write of the range is reported here, and only
  // here: the kernel hands each write error to a file descriptor once.
  bool SyncRange(std::int64_t offset, std::int64_t length, unsigned int flags) {
    int result;
    do {
      result = ::sync_file_range(fd_.get(), offset, length, flags);
    } while (result != 0 && errno == EINTR);
    return result == 0 || errno == ENOSYS || errno == EOPNOTSUPP || errno == ESPIPE;
  }

  UniqueFd fd_;
  bool block_device_;
  std::optional<DriveInfo> drive_;
  BounceBuffer bounce_;
};

// Whether the opened node still is the device the snapshot saw: same device number, same size,
// and (where the kernel counts them) the same disk sequence, which changes whenever a loop device
// is re-attached or removable media are swapped.
bool IsSameDrive(int fd, const struct stat& st, const DriveEntry& entry, bool file_nodes) {
  if (S_ISREG(st.st_mode)) return file_nodes && st.st_size == entry.size_bytes;
  if (!S_ISBLK(st.st_mode) || st.st_rdev != entry.device_number) return false;
  if (BlockDeviceSize(fd) != entry.size_bytes) return false;
  std::uint64_t sequence = 0;
  if (entry.disk_sequence && ::ioctl(fd, BLKGETDISKSEQ, &sequence) == 0) {
    return sequence == *entry.disk_sequence;
  }
  return true;
}

}  // namespace

LinuxDeviceAccess::LinuxDeviceAccess(LinuxDeviceConfig config) : config_(std::move(config)) {}

void LinuxDeviceAccess::SnapshotDrives() {
  auto drives = ScanDrives(config_.sys_root);
  const std::lock_guard lock(mutex_);
  drives_ = std::move(drives);
}

std::optional<std::filesystem::path> LinuxDeviceAccess::DriveNode(int number) const {
  const std::lock_guard lock(mutex_);
  if (number < 0 || static_cast<std::size_t>(number) >= drives_.size()) return std::nullopt;
  return config_.dev_root / drives_[static_cast<std::size_t>(number)].name;
}

DeviceAccess::Opened LinuxDeviceAccess::Open(std::u16string_view path, Access access, Share share,
                                             Disposition disposition) {
  if (const auto number = ParseDrivePath(path)) return OpenDrive(*number, access, share);
  return OpenImage(path, access, share, disposition);
}

DeviceAccess::Opened LinuxDeviceAccess::OpenDrive(int number, Access access, Share share) {
  DriveEntry entry;
  {
    const std::lock_guard lock(mutex_);
    if (static_cast<std::size_t>(number) >= drives_.size()) return Failed(OpenError::kNotFound);
    entry = drives_[static_cast<std::size_t>(number)];
  }
  // Denying other writers while we write is, for a block device, the kernel's exclusive open: it
  // fails while a file system is mounted from the disk or another program holds it exclusively.
  int flags = OpenFlags(access);
  if (AsksToWrite(access) && share == Share::kRead) flags |= O_EXCL;

  const std::filesystem::path node = config_.dev_root / entry.name;
  bool direct = false;
  UniqueFd fd = OpenNode(node, flags, access, direct);
  if (!fd) return Failed(ErrorFromErrno(errno));
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) return Failed(OpenError::kOther);
  if (!IsSameDrive(fd.get(), st, entry, config_.file_nodes)) return Failed(OpenError::kChanged);
  if (!ClearNonBlocking(fd.get(), direct)) return Failed(OpenError::kOther);
  BounceBuffer bounce = BounceFor(direct);
  if (direct && !bounce) return Failed(OpenError::kOther);

  return {std::make_unique<LinuxMedium>(
              std::move(fd), S_ISBLK(st.st_mode),
              DriveInfo{config_.sys_root / "block" / entry.name, entry.kind}, std::move(bounce)),
          OpenError::kNone};
}

DeviceAccess::Opened LinuxDeviceAccess::OpenImage(std::u16string_view path, Access access,
                                                  Share share, Disposition disposition) {
  const auto native = NativePath(path);
  if (!native || native->empty()) return Failed(OpenError::kNotFound);
  int flags = OpenFlags(access);
  if (disposition == Disposition::kOpenAlways) flags |= O_CREAT;

  bool direct = false;
  UniqueFd fd = OpenNode(*native, flags, access, direct);
  if (!fd) return Failed(ErrorFromErrno(errno));
  // Image files are regular files. A disk is written only through its drive entry, with the
  // exclusive open and the check that it still is the listed device; a pipe or a terminal is
  // no image at all.
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Failed(OpenError::kOther);
  if (!ClearNonBlocking(fd.get(), direct)) return Failed(OpenError::kOther);
  BounceBuffer bounce = BounceFor(direct);
  if (direct && !bounce) return Failed(OpenError::kOther);

  // Sharing only reads: hold a lock that conflicts with every other such open of the same file,
  // whatever name it was opened by.
  if (share == Share::kRead) {
    const int lock = AsksToWrite(access) ? LOCK_EX : LOCK_SH;
    if (::flock(fd.get(), lock | LOCK_NB) != 0) return Failed(ErrorFromErrno(errno));
  }
  return {std::make_unique<LinuxMedium>(std::move(fd), false, std::nullopt, std::move(bounce)),
          OpenError::kNone};
}

std::unique_ptr<DeviceAccess> MakeSystemDeviceAccess() {
  return std::make_unique<LinuxDeviceAccess>();
}

}  // namespace ombrix::platform
