// Copies into image files whose new part may stay sparse, each compared with what dd makes of the
// same request, and the file's holes with where they are expected.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/transfer/transfer_fixture.h"

namespace ombrix::test {

constexpr std::int64_t kSparseMiB = 1 << 20;
using ByteRange = std::pair<std::int64_t, std::int64_t>;  // [first, second)

struct SparseCase {
  const char* name;
  std::string layout;               // the source, one letter per MiB: D data, Z zeros
  std::int64_t zero_tail = 0;       // zero bytes after that, whole 512-byte sectors
  std::int64_t target_before = -1;  // the target's length in pattern bytes; -1: no file
  std::int64_t range_start = -1;    // sectors; -1: the whole source
  std::int64_t range_count = 0;
  int stop_at_step = 0;               // 1-based; 0: runs to the end
  std::vector<ByteRange> holes = {};  // must be unallocated afterwards
};

class SparseCopyTest : public TransferTest {
 protected:
  // Runs the case with its target at `target_file`; empty on success, else what went wrong.
  std::string Check(const SparseCase& c, const std::filesystem::path& target_file,
                    bool check_holes);
};

// Whether files in `dir` keep unwritten ranges as holes that SEEK_DATA skips.
bool HolesSupported(const std::filesystem::path& dir);

}  // namespace ombrix::test
