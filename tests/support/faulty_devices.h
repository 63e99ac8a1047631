// A device layer that passes every call to a real one and fails the calls a test chooses: the
// injection points for faults that real media cannot be made to show on demand. It also counts
// the media that are open, so a test can see that nothing was left open.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "platform/device.h"

namespace ombrix::test {

// Faults for the media opened by one path. Call numbers count from 0 within each open medium.
struct MediumFaults {
  std::optional<platform::OpenError> open_error;  // the open fails so
  bool read_only = false;                         // only opens for reading succeed
  int fail_position_at = -1;                      // that SetPosition call fails
  int fail_read_at = -1;                          // that Read fails after moving nothing
  int short_read_at = -1;                         // that Read moves one byte less
  int fail_write_at = -1;
  int short_write_at = -1;
  bool fail_flush = false;
  int fail_start_write_back_at = -1;  // that StartWriteBack reports a failed write
  int fail_await_write_back_at = -1;  // that AwaitWriteBack reports a failed write
  bool fail_extend = false;           // ExtendTo fails, as on a file system that cannot
  // Called on the reading thread before each Read with its call number: a test holds a worker
  // at a chosen step there.
  std::function<void(int call)> before_read;
  // Called after each Read with the offset it read from and what it read, which it may change:
  // a medium that returns other bytes than it was given.
  std::function<void(std::int64_t offset, std::span<std::byte> data)> after_read;
  int reads = 0;  // filled in: the Read calls of the last medium opened by the path
};

class FaultyDevices final : public platform::DeviceAccess {
 public:
  explicit FaultyDevices(platform::DeviceAccess& inner) : inner_(inner) {}

  MediumFaults& For(const std::u16string& path) { return faults_[path]; }
  int open_media() const { return open_media_.load(); }
  int opens() const { return opens_.load(); }
  int flushes() const { return flushes_.load(); }

  void SnapshotDrives() override { inner_.SnapshotDrives(); }
  Opened Open(std::u16string_view path, platform::Access access, platform::Share share,
              platform::Disposition disposition) override;

 private:
  friend class FaultyMedium;
  platform::DeviceAccess& inner_;
  std::map<std::u16string, MediumFaults> faults_;
  std::atomic<int> open_media_{0};
  std::atomic<int> opens_{0};
  std::atomic<int> flushes_{0};
};

}  // namespace ombrix::test
