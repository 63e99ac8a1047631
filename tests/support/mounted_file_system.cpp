#include "tests/support/mounted_file_system.h"

#include <sys/mount.h>

namespace ombrix::test {

MountedFileSystem::MountedFileSystem(const std::string& mkfs, const std::string& type,
                                     const std::filesystem::path& image,
                                     const std::filesystem::path& at, std::string& why)
    : at_(at) {
  int status = 0;
  RunCommand(mkfs + " '" + image.string() + "' 2>&1", status);
  if (status != 0) {
    why = mkfs + " failed";
    return;
  }
  loop_ = LoopDevice::Attach(image, 512, why);
  if (!loop_) return;
  std::filesystem::create_directories(at);
  if (::mount(loop_->node().c_str(), at.c_str(), type.c_str(), 0, nullptr) != 0) {
    why = "cannot mount " + type + " here";
    return;
  }
  mounted_ = true;
}

MountedFileSystem::~MountedFileSystem() {
  if (mounted_) ::umount(at_.c_str());
}

}  // namespace ombrix::test
