// The device paths by which drives are named: "\\.\PhysicalDrive0", "\\.\PhysicalDrive1", ...
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ombrix::platform {

inline constexpr std::u16string_view kDrivePathPrefix = u"\\\\.\\PhysicalDrive";

std::u16string FormatDrivePath(int number);

// The drive number of a device path, or nothing for any other path. Only the exact form that
// FormatDrivePath makes is accepted: no sign, no leading zeros, no trailing characters.
std::optional<int> ParseDrivePath(std::u16string_view path);

}  // namespace ombrix::platform
