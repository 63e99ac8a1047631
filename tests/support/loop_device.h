// A loop device attached to a file of the test's own, detached when the test ends. Tests that
// write to block devices write only to these.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/linux/device_linux.h"

namespace ombrix::test {

class LoopDevice {
 public:
  // Attaches `file` with the given logical sector size. Null, with the reason in `why`, when loop
  // devices cannot be had here (not root, no loop support).
  static std::unique_ptr<LoopDevice> Attach(const std::filesystem::path& file,
                                            std::uint32_t sector_size, std::string& why);
  explicit LoopDevice(std::filesystem::path node) : node_(std::move(node)) {}
  ~LoopDevice();
  LoopDevice(const LoopDevice&) = delete;
  LoopDevice& operator=(const LoopDevice&) = delete;

  const std::filesystem::path& node() const { return node_; }
  std::string name() const { return node_.filename().string(); }
  // Detaches now; the destructor then does nothing.
  void Detach();

 private:
  std::filesystem::path node_;
};

// The drive number that a fresh snapshot of `devices` (the Linux device layer) gives `node`, or -1
// when it lists no such drive.
int DriveNumberOfNode(platform::DeviceAccess& devices, const std::filesystem::path& node);

// The media that the loop-device tests pair up.
enum class MediumKind { kImage, kLoop512, kLoop4096 };
const char* KindName(MediumKind kind);
std::uint32_t SectorSizeOf(MediumKind kind);  // 512 for an image

// How many pages of [offset, offset + length) of `node` the system holds in its cache; -1 when
// that cannot be asked.
int CachedPages(const std::filesystem::path& node, std::int64_t offset, std::int64_t length);

// Runs a shell command; its standard output, and its exit status in `status`.
std::string RunCommand(const std::string& command, int& status);

}  // namespace ombrix::test

// Skips the test, with the reason, when loop devices cannot be had.
#define OMBRIX_ATTACH_LOOP_OR_SKIP(var, file, sector_size)                         \
  std::string var##_why;                                                           \
  auto var = ::ombrix::test::LoopDevice::Attach((file), (sector_size), var##_why); \
  if (!var) GTEST_SKIP() << var##_why
