// Which block devices of a Linux machine are drives, and which drive number each one gets.
// Drive n is the n-th whole disk in a stable order: by kind as listed in DriveKind, then by the
// kernel's own numbering within the kind (sda, sdb, ..., sdz, sdaa; nvme0n1, nvme1n1; loop2,
// loop10).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ombrix::platform {

enum class DriveKind { kScsi, kNvme, kVirtio, kXen, kIde, kMmc, kLoop };

// The kind of the block device of that kernel name, or nothing when it is not a drive: ram and
// zram disks, device-mapper and md devices, optical drives, floppies, mmc boot areas and anything
// else we do not know to be a whole disk.
std::optional<DriveKind> ClassifyBlockDevice(std::string_view name);

// The stable order of drives; both names must be drives.
bool DriveOrderLess(std::string_view a, std::string_view b);

// A drive as it was when the list was made. The device number, size and disk sequence number tell
// whether the node still is that device when it is opened later.
struct DriveEntry {
  std::string name;  // kernel name, also the node's name below the device root
  DriveKind kind = DriveKind::kScsi;
  std::uint64_t device_number = 0;
  std::int64_t size_bytes = 0;
  std::optional<std::uint64_t> disk_sequence;
};

// The drives below sys_root/block, in drive-number order. Loop devices count only while a file is
// attached; hidden devices (the paths of multipath NVMe namespaces) never.
std::vector<DriveEntry> ScanDrives(const std::filesystem::path& sys_root);

}  // namespace ombrix::platform
