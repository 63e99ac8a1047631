// The data buffer of one transfer: exactly one chunk, aligned for direct I/O, released on every
// path by its owner's end.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <optional>
#include <span>

#include "transfer/transfer.h"

namespace ombrix {

class ChunkBuffer {
 public:
  // Nothing when the memory cannot be had.
  static std::optional<ChunkBuffer> Allocate() {
    void* memory = ::operator new(kChunkBytes, kAlignment, std::nothrow);
    if (memory == nullptr) return std::nullopt;
    return ChunkBuffer(static_cast<std::byte*>(memory));
  }

  std::span<std::byte> first(std::int64_t bytes) const {
    return {memory_.get(), static_cast<std::size_t>(bytes)};
  }

 private:
  static constexpr std::align_val_t kAlignment{4096};
  struct Free {
    void operator()(std::byte* p) const { ::operator delete(p, kAlignment); }
  };
  explicit ChunkBuffer(std::byte* memory) : memory_(memory) {}
  std::unique_ptr<std::byte, Free> memory_;
};

}  // namespace ombrix
