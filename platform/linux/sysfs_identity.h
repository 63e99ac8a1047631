// A drive's identity texts, read from sysfs in the shape the Windows storage stack delivers them
// for the same kind of disk: a vendor only for SCSI and USB disks, the product as the model, the
// revision as the firmware, and the serial in the catalogue's hexadecimal, byte-swapped form.
#pragma once

#include <filesystem>

#include "platform/device.h"
#include "platform/linux/drive_map.h"

namespace ombrix::platform {

// block_dir is the drive's folder below /sys/block.
StorageDescriptorTexts ReadDriveTexts(const std::filesystem::path& block_dir, DriveKind kind);

}  // namespace ombrix::platform
