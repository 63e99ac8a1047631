// Listing the machine's physical drives into the source and target lists.
#pragma once

#include "catalogue/media_record.h"
#include "platform/controls.h"
#include "platform/device.h"

namespace ombrix {

// Drive numbers probed: "\\.\PhysicalDrive0" to "\\.\PhysicalDrive127".
inline constexpr int kDrivesProbed = 128;

inline constexpr std::string_view kNoModel = "NoReadModel";

// Probes drives 0 to 127 in order. Each drive that opens gets the next slot of `source` and one
// label in each list; a drive that does not open is skipped without a word. Afterwards `target`
// is a copy of all of `source`, so that both lists start alike.
void DiscoverDrives(platform::DeviceAccess& devices, platform::ComboBox& source_list,
                    platform::ComboBox& target_list, MediaTable& source = SourceTable,
                    MediaTable& target = TargetTable);

}  // namespace ombrix
