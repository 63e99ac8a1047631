// A STORAGE_DEVICE_DESCRIPTOR reply as a driver returns it: offsets and texts are untrusted.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/storage_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace platform = ombrix::platform;
  const auto texts = platform::ParseStorageDescriptor(
      std::span<const std::byte>(reinterpret_cast<const std::byte*>(data), size));
  if (!texts) return 0;
  for (const auto& text : {texts->vendor, texts->product, texts->revision, texts->serial}) {
    if (text && text->size() > platform::kMaxDescriptorText) std::abort();
  }
  return 0;
}
