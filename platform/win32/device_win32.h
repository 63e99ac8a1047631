// Device and file access on Windows: "\\.\PhysicalDriveN" and image files through CreateFileW and
// the storage stack's queries.
#pragma once

#include "platform/device.h"
#include "platform/win32/volume_locks.h"

namespace ombrix::platform {

class Win32DeviceAccess final : public DeviceAccess {
 public:
  explicit Win32DeviceAccess(Volumes& volumes = SystemVolumes()) : volumes_(volumes) {}

  // Windows names drives by number itself: there is nothing to fix beforehand.
  void SnapshotDrives() override {}
  Opened Open(std::u16string_view path, Access access, Share share,
              Disposition disposition) override;

 private:
  Volumes& volumes_;
};

}  // namespace ombrix::platform
