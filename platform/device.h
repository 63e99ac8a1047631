// Device and file access: the calls through which the catalogue and the transfer engine reach disks
// and image files. One interface; each operating system provides it in its own folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ombrix::platform {

// What the caller may do with an opened medium. kQuery only asks for identity and geometry.
// kReadWriteToRead asks for writing too but only reads: a medium to be written, the target, is
// opened kReadWrite, and only that makes a system take the drive from its file systems (on
// Windows its volumes are locked and dismounted). kReadFromMedium reads what the medium holds,
// past a cache the system keeps of it, to check what was written: the cache is bypassed (Windows
// without buffering, Linux O_DIRECT) or, where a Linux file system does not allow that, the
// reader drops the pages it is about to read.
enum class Access { kQuery, kRead, kReadFromMedium, kReadWriteToRead, kReadWrite };

inline bool AsksToWrite(Access access) {
  return access == Access::kReadWriteToRead || access == Access::kReadWrite;
}

// What others may do with the medium while we hold it open. kRead denies other writers; on a
// block device opened for writing that is an exclusive open (no mounted file system, no other
// exclusive user).
enum class Share { kRead, kReadWrite };

// kOpenAlways creates a missing file with length 0; a drive is never created.
enum class Disposition { kOpenExisting, kOpenAlways };

// Why an open failed, as far as the caller needs to tell the user more than "it failed".
enum class OpenError {
  kNone,
  kBusy,      // in use: mounted, or held exclusively by someone else
  kChanged,   // a drive that is no longer the device the list was made from
  kNotFound,  // no such file or drive
  kOther,
};

// The fields of a drive's geometry reply, as the Windows storage stack reports them.
struct DiskGeometryEx {
  std::int64_t cylinders = 0;
  std::uint32_t media_type = 0;
  std::uint32_t tracks_per_cylinder = 0;
  std::uint32_t sectors_per_track = 0;
  std::uint32_t bytes_per_sector = 0;
  std::int64_t disk_size = 0;
};

// The texts a drive's storage device descriptor points at. An absent text is one whose offset in
// the descriptor is 0. The serial is delivered as hexadecimal pairs of the byte-swapped serial
// number (see serial_encoding.h), which is what the catalogue decodes.
struct StorageDescriptorTexts {
  std::optional<std::string> vendor{};
  std::optional<std::string> product{};
  std::optional<std::string> revision{};
  std::optional<std::string> serial{};
};

// The outcome of one read or write: the call's success and the bytes actually moved.
struct IoResult {
  bool ok = false;
  std::size_t moved = 0;
};

// An open disk or image file. Closing happens in the destructor.
class Medium {
 public:
  virtual ~Medium() = default;
  Medium(const Medium&) = delete;
  Medium& operator=(const Medium&) = delete;

  // Sets the absolute byte position of the next read or write.
  virtual bool SetPosition(std::int64_t offset) = 0;
  // Reads up to buffer.size() bytes; fewer only at the end of the medium or on failure.
  virtual IoResult Read(std::span<std::byte> buffer) = 0;
  // Writes buffer.size() bytes; writing past the end of a file extends it.
  virtual IoResult Write(std::span<const std::byte> buffer) = 0;
  // Makes everything written so far durable on the medium.
  virtual bool Flush() = 0;
  // Starts writing the given bytes, already written through Write, to the medium and returns at
  // once; false when the system refuses.
  virtual bool StartWriteBack(std::int64_t offset, std::int64_t length) = 0;
  // Returns once the given bytes are on the medium (a system that cannot wait for a range waits
  // for everything written so far); false when writing them failed.
  virtual bool AwaitWriteBack(std::int64_t offset, std::int64_t length) = 0;
  // The given bytes will not be read again: the system's cached copy of them may go. Only clean
  // data is dropped; nothing unwritten is lost.
  virtual void DropCached(std::int64_t offset, std::int64_t length) = 0;
  // Lets ranges of an image file that are never written stay unallocated, on file systems that
  // keep holes only when asked. Changes nothing that a read returns.
  virtual void AllowHoles() = 0;
  // Makes an image file at least `size` bytes long; the added bytes read as zeros. Never shortens.
  virtual bool ExtendTo(std::int64_t size) = 0;
  // The 64-bit size of an image file.
  virtual std::optional<std::int64_t> FileSize() = 0;
  // A drive's geometry; fails for image files.
  virtual std::optional<DiskGeometryEx> DriveGeometry() = 0;
  // A drive's identity texts; fails for image files.
  virtual std::optional<StorageDescriptorTexts> StorageDescriptor() = 0;

 protected:
  Medium() = default;
};

using MediumPtr = std::unique_ptr<Medium>;

// Opens media by path: "\\.\PhysicalDriveN" for drive N, anything else names an image file.
class DeviceAccess {
 public:
  virtual ~DeviceAccess() = default;

  // Fixes which device each drive number names until the next call; drive discovery calls it once
  // before it probes the drives.
  virtual void SnapshotDrives() = 0;

  struct Opened {
    MediumPtr medium;  // null on failure
    OpenError error = OpenError::kNone;
  };
  virtual Opened Open(std::u16string_view path, Access access, Share share,
                      Disposition disposition) = 0;
};

// Opens a medium to read from, denying other writers: for reading and writing first, and for
// reading alone when that is refused, so that a write-protected, mounted or read-only medium can
// still be read. Nothing is written through it, and its file systems stay where they are.
inline DeviceAccess::Opened OpenForReading(DeviceAccess& devices, std::u16string_view path,
                                           Disposition disposition) {
  auto opened = devices.Open(path, Access::kReadWriteToRead, Share::kRead, disposition);
  if (!opened.medium) opened = devices.Open(path, Access::kRead, Share::kRead, disposition);
  return opened;
}

// The device access of the system the program runs on.
std::unique_ptr<DeviceAccess> MakeSystemDeviceAccess();

}  // namespace ombrix::platform
