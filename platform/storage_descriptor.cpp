#include "platform/storage_descriptor.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace ombrix::platform {

namespace {

std::uint32_t ReadLittleEndian32(std::span<const std::byte> bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value |= std::to_integer<std::uint32_t>(bytes[at + i]) << (8 * i);
  return value;
}

std::optional<std::string> TextAt(std::span<const std::byte> reply, std::size_t offset_field) {
  const std::uint32_t offset = ReadLittleEndian32(reply, offset_field);
  if (offset == 0 || offset >= reply.size()) return std::nullopt;
  const auto tail = reply.subspan(offset, std::min(reply.size() - offset, kMaxDescriptorText));
  std::string text;
  for (std::byte b : tail) {
    if (b == std::byte{0}) break;
    text.push_back(static_cast<char>(b));
  }
  return text;
}

}  // namespace

std::optional<StorageDescriptorTexts> ParseStorageDescriptor(std::span<const std::byte> reply) {
  if (reply.size() < kDescriptorHeaderBytes) return std::nullopt;
  return StorageDescriptorTexts{
      .vendor = TextAt(reply, kVendorIdOffsetField),
      .product = TextAt(reply, kProductIdOffsetField),
      .revision = TextAt(reply, kProductRevisionOffsetField),
      .serial = TextAt(reply, kSerialNumberOffsetField),
  };
}

}  // namespace ombrix::platform
