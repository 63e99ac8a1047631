// A Win32 handle that closes itself.
#pragma once

#include <windows.h>

#include <utility>

namespace ombrix::platform {

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, kInvalid)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, kInvalid);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != kInvalid && handle_ != nullptr; }
  void Reset() {
    if (valid()) ::CloseHandle(handle_);
    handle_ = kInvalid;
  }

 private:
  static inline const HANDLE kInvalid = INVALID_HANDLE_VALUE;
  HANDLE handle_ = kInvalid;
};

}  // namespace ombrix::platform
