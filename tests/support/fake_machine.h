// A machine assembled in a folder: sysfs attribute files and regular files standing in for the
// device nodes, for discovery tests that need drives of every shape and no root.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/linux/device_linux.h"
#include "tests/support/temp_dir.h"

namespace ombrix::test {

struct FakeDisk {
  std::string name;                   // kernel name: sda, nvme0n1, loop3...
  std::string dev = "8:0";            // "major:minor"
  std::int64_t size_bytes = 1 << 20;  // the node file's length and the "size" attribute
  std::map<std::string, std::string> attributes{};  // file below /sys/block/<name> -> content
  bool node = true;                                 // whether /dev/<name> exists
};

class FakeMachine {
 public:
  void Add(const FakeDisk& disk);
  platform::LinuxDeviceConfig Config() const;
  std::filesystem::path Node(const std::string& name) const { return dir_ / "dev" / name; }
  std::filesystem::path SysBlock(const std::string& name) const {
    return dir_ / "sys" / "block" / name;
  }

 private:
  TempDir dir_;
};

}  // namespace ombrix::test
