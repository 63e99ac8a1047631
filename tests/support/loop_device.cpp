#include "tests/support/loop_device.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <vector>

namespace ombrix::test {

int CachedPages(const std::filesystem::path& node, std::int64_t offset, std::int64_t length) {
  const int fd = ::open(node.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  void* map = ::mmap(nullptr, static_cast<std::size_t>(length), PROT_READ, MAP_SHARED, fd, offset);
  ::close(fd);
  if (map == MAP_FAILED) return -1;
  const long page = ::sysconf(_SC_PAGESIZE);
  std::vector<unsigned char> resident(static_cast<std::size_t>((length + page - 1) / page));
  const int result = ::mincore(map, static_cast<std::size_t>(length), resident.data());
  ::munmap(map, static_cast<std::size_t>(length));
  if (result != 0) return -1;
  return static_cast<int>(std::count_if(resident.begin(), resident.end(),
                                        [](unsigned char r) { return (r & 1) != 0; }));
}

std::string RunCommand(const std::string& command, int& status) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) {
    status = -1;
    return output;
  }
  std::array<char, 4096> chunk;
  while (const std::size_t n = std::fread(chunk.data(), 1, chunk.size(), pipe)) {
    output.append(chunk.data(), n);
  }
  const int raw = ::pclose(pipe);
  status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return output;
}

std::unique_ptr<LoopDevice> LoopDevice::Attach(const std::filesystem::path& file,
                                               std::uint32_t sector_size, std::string& why) {
  if (::geteuid() != 0) {
    why = "loop devices need root";
    return nullptr;
  }
  int status = 0;
  std::string node = RunCommand("losetup --find --show --sector-size " +
                                    std::to_string(sector_size) + " '" + file.string() + "' 2>&1",
                                status);
  while (!node.empty() && (node.back() == '\n' || node.back() == ' ')) node.pop_back();
  // The node is the last line; warnings (a file smaller than a sector, say) come before it, and
  // the device is attached all the same, so it must still be detached afterwards.
  const std::size_t last_line = node.rfind('\n');
  const std::string output = node;
  if (last_line != std::string::npos) node.erase(0, last_line + 1);
  if (status != 0 || !node.starts_with("/dev/loop")) {
    why = "losetup failed: " + output;
    return nullptr;
  }
  // Let udev settle, so the node and its sysfs folder are complete before the test looks.
  RunCommand("udevadm settle 2>/dev/null", status);
  return std::make_unique<LoopDevice>(node);
}

int DriveNumberOfNode(platform::DeviceAccess& devices, const std::filesystem::path& node) {
  auto* linux_devices = dynamic_cast<platform::LinuxDeviceAccess*>(&devices);
  if (linux_devices == nullptr) return -1;
  linux_devices->SnapshotDrives();
  for (int number = 0; linux_devices->DriveNode(number); ++number) {
    if (linux_devices->DriveNode(number) == node) return number;
  }
  return -1;
}

const char* KindName(MediumKind kind) {
  switch (kind) {
    case MediumKind::kImage:
      return "image";
    case MediumKind::kLoop512:
      return "loop512";
    case MediumKind::kLoop4096:
      return "loop4096";
  }
  return "";
}

std::uint32_t SectorSizeOf(MediumKind kind) {
  return kind == MediumKind::kLoop4096 ? 4096 : 512;
}

void LoopDevice::Detach() {
  if (node_.empty()) return;
  int status = 0;
  RunCommand("losetup -d '" + node_.string() + "' 2>&1", status);
  node_.clear();
}

LoopDevice::~LoopDevice() {
  Detach();
}

}  // namespace ombrix::test
