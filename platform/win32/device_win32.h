// Device and file access on Windows: "\\.\PhysicalDriveN" and image files through CreateFileW and
// the storage stack's queries.
#pragma once

#include "platform/device.h"

namespace ombrix::platform {

class Win32DeviceAccess final : public DeviceAccess {
 public:
  // Windows names drives by number itself: there is nothing to fix beforehand.
  void SnapshotDrives() override {}
  Opened Open(std::u16string_view path, Access access, Share share,
              Disposition disposition) override;
};

}  // namespace ombrix::platform
