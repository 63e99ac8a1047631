#include <sys/resource.h>

#include "platform/peak_memory.h"

namespace ombrix::platform {

std::int64_t PeakMemoryBytes() {
  rusage usage{};
  if (::getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<std::int64_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
}

}  // namespace ombrix::platform
