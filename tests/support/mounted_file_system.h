// A file system made on a file of the test's own, attached as a loop device and mounted while the
// test runs; unmounted and detached at its end.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/loop_device.h"

namespace ombrix::test {

class MountedFileSystem {
 public:
  // `type` as mount(2) takes it ("ext4", "vfat"); `mkfs` the command that makes it, to which the
  // image's path is appended. On failure mounted() is false and `why` says why.
  MountedFileSystem(const std::string& mkfs, const std::string& type,
                    const std::filesystem::path& image, const std::filesystem::path& at,
                    std::string& why);
  ~MountedFileSystem();
  MountedFileSystem(const MountedFileSystem&) = delete;
  MountedFileSystem& operator=(const MountedFileSystem&) = delete;

  bool mounted() const { return mounted_; }
  const LoopDevice& loop() const { return *loop_; }

 private:
  std::filesystem::path at_;
  std::unique_ptr<LoopDevice> loop_;
  bool mounted_ = false;
};

}  // namespace ombrix::test
