#include "tests/support/dd_reference.h"

#include "tests/support/loop_device.h"
#include "tests/support/temp_dir.h"

namespace ombrix::test {

std::string DdResult(const std::filesystem::path& source, const std::optional<std::string>& before,
                     std::uint32_t bps, std::int64_t start, std::int64_t count,
                     const std::filesystem::path& scratch, bool& ok) {
  std::filesystem::remove(scratch);
  if (before) WriteFile(scratch, *before);
  const std::string command = "dd if='" + source.string() + "' of='" + scratch.string() +
                              "' bs=" + std::to_string(bps) + " skip=" + std::to_string(start) +
                              " seek=" + std::to_string(start) + " count=" + std::to_string(count) +
                              " conv=notrunc status=none 2>&1";
  int status = 0;
  RunCommand(command, status);
  ok = status == 0;
  return ok ? ReadFile(scratch) : std::string();
}

}  // namespace ombrix::test
