#include "tests/support/fake_machine.h"

namespace ombrix::test {

void FakeMachine::Add(const FakeDisk& disk) {
  const auto block = SysBlock(disk.name);
  WriteFile(block / "dev", disk.dev + "\n");
  WriteFile(block / "size", std::to_string(disk.size_bytes / 512) + "\n");
  for (const auto& [file, content] : disk.attributes) WriteFile(block / file, content);
  if (disk.node) ResizeFile(Node(disk.name), disk.size_bytes);
}

platform::LinuxDeviceConfig FakeMachine::Config() const {
  std::filesystem::create_directories(dir_ / "sys" / "block");
  std::filesystem::create_directories(dir_ / "dev");
  return {.sys_root = dir_ / "sys", .dev_root = dir_ / "dev", .file_nodes = true};
}

}  // namespace ombrix::test
