// Reading the texts out of a STORAGE_DEVICE_DESCRIPTOR reply, kept apart from the device call so
// that it can be tested and fuzzed on any system. The reply comes from a driver and is not
// trusted: every offset and every text is checked against the reply's length.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "platform/device.h"

namespace ombrix::platform {

// Offsets of the fields we read, as the Windows headers lay the descriptor out.
inline constexpr std::size_t kVendorIdOffsetField = 12;
inline constexpr std::size_t kProductIdOffsetField = 16;
inline constexpr std::size_t kProductRevisionOffsetField = 20;
inline constexpr std::size_t kSerialNumberOffsetField = 24;
inline constexpr std::size_t kDescriptorHeaderBytes = 28;

// Longest text taken from a reply; longer texts are cut.
inline constexpr std::size_t kMaxDescriptorText = 255;

// Nothing when the reply is too short to hold the offsets. A text is absent when its offset is 0
// or points outside the reply; it ends at its terminator, at the end of the reply or after
// kMaxDescriptorText bytes, whichever comes first.
std::optional<StorageDescriptorTexts> ParseStorageDescriptor(std::span<const std::byte> reply);

}  // namespace ombrix::platform
