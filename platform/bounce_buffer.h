// The buffer through which reads past a system's cache move whole aligned blocks, when the bytes
// asked for are not aligned themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace ombrix::platform {

// Reads past the cache move whole aligned blocks into aligned memory: this much covers every
// sector size, and a step of a transfer with a block on either side.
inline constexpr std::int64_t kUncachedAlignment = 4096;
inline constexpr std::size_t kBounceBytes = (1 << 20) + 2 * kUncachedAlignment;

struct FreeAligned {
  void operator()(std::byte* memory) const {
    ::operator delete (memory, std::align_val_t{kUncachedAlignment});
  }
};
using BounceBuffer = std::unique_ptr<std::byte, FreeAligned>;

// Null when the memory cannot be had.
inline BounceBuffer AllocateBounceBuffer() {
  return BounceBuffer(static_cast<std::byte*>(
      ::operator new (kBounceBytes, std::align_val_t{kUncachedAlignment}, std::nothrow)));
}

}  // namespace ombrix::platform
