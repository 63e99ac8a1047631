#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

#include "platform/peak_memory.h"

namespace ombrix::platform {

std::int64_t PeakMemoryBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<std::int64_t>(counters.PeakWorkingSetSize);
}

}  // namespace ombrix::platform
