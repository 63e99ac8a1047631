// Device and file access on Linux: drives are the whole-disk block devices that sysfs lists,
// numbered as drive_map.h orders them; every other path is a regular image file.
#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/device.h"
#include "platform/linux/drive_map.h"

namespace ombrix::platform {

struct LinuxDeviceConfig {
  std::filesystem::path sys_root = "/sys";
  std::filesystem::path dev_root = "/dev";
  // Lets regular files stand in for device nodes, for a machine assembled in a folder. Real
  // drives are block devices; with this off nothing else is opened as a drive.
  bool file_nodes = false;
};

class LinuxDeviceAccess final : public DeviceAccess {
 public:
  explicit LinuxDeviceAccess(LinuxDeviceConfig config = {});

  void SnapshotDrives() override;
  Opened Open(std::u16string_view path, Access access, Share share,
              Disposition disposition) override;

  // The device node that drive number n names in the current snapshot.
  std::optional<std::filesystem::path> DriveNode(int number) const;

 private:
  Opened OpenDrive(int number, Access access, Share share);
  Opened OpenImage(std::u16string_view path, Access access, Share share, Disposition disposition);

  LinuxDeviceConfig config_;
  mutable std::mutex mutex_;  // the UI thread snapshots, the worker opens
  std::vector<DriveEntry> drives_;
};

}  // namespace ombrix::platform
