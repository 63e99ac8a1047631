// Reading sysfs: one bounded file read, and pure parsers for the texts and binary pages the
// kernel exposes about block devices. Whatever a file holds, no parser reads outside its input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ombrix::platform::sysfs {

// sysfs attributes are at most a page; anything longer is cut.
inline constexpr std::size_t kMaxAttributeBytes = 4096;

// The bytes of a file, at most max_bytes of them; nothing if it cannot be read.
std::optional<std::string> ReadFile(const std::filesystem::path& file,
                                    std::size_t max_bytes = kMaxAttributeBytes);

// An attribute's text: up to its first zero byte, without the line end the kernel appends.
std::string AttributeText(std::string_view raw);

// A decimal number such as the "size" attribute; nothing on anything else or on overflow.
std::optional<std::uint64_t> ParseDecimal(std::string_view raw);

// The "dev" attribute, "major:minor", as the device number the kernel gives device nodes.
std::optional<std::uint64_t> ParseDeviceNumber(std::string_view raw);

// The unit serial number from SCSI vital product data page 0x80.
std::optional<std::string> ParseUnitSerialPage(std::span<const std::byte> page);

// The identity of an ATA disk from the IDENTIFY DEVICE data that SCSI-ATA translation returns in
// vital product data page 0x89. Texts are stripped of the blanks ATA pads them with.
struct AtaIdentity {
  std::string model;
  std::string serial;
  std::string firmware;
};
std::optional<AtaIdentity> ParseAtaInformationPage(std::span<const std::byte> page);

}  // namespace ombrix::platform::sysfs
