// How much memory the process has held at most, for the benchmarks.
#pragma once

#include <cstdint>

namespace ombrix::platform {

// The peak resident set (Linux) or working set (Windows) so far, in bytes; 0 when unknown.
std::int64_t PeakMemoryBytes();

}  // namespace ombrix::platform
