// Sparse image targets: zeros past the target file's end stay holes, zeros over its data are
// written, and in every case the file reads exactly as dd leaves it.
#include <gtest/gtest.h>

#include "tests/transfer/sparse_copy_fixture.h"

namespace ombrix {
namespace {

using test::kSparseMiB;
using test::SparseCase;
constexpr std::int64_t M = kSparseMiB;

class SparseTargets : public test::SparseCopyTest {};

TEST_F(SparseTargets, ZerosPastTheEndStayHolesAndEveryByteIsAsDdLeavesIt) {
  const SparseCase cases[] = {
      {.name = "new file",
       .layout = "DZZDZ",
       .zero_tail = 1536,
       .holes = {{M, 3 * M}, {4 * M, 5 * M + 1536}}},
      {.name = "file shorter than the area: zeros over its data are written",
       .layout = "DZZDZ",
       .zero_tail = 1536,
       .target_before = 2 * M + M / 2,
       .holes = {{4 * M, 5 * M + 1536}}},
      {.name = "file longer than the area: zeros over old data, nothing cut",
       .layout = "DZZDZ",
       .zero_tail = 1536,
       .target_before = 8 * M},
      {.name = "all-zero source", .layout = "ZZZZ", .holes = {{0, 4 * M}}},
      {.name = "range starting beyond the file's end",
       .layout = "DZZDZ",
       .zero_tail = 1536,
       .target_before = M,
       .range_start = 2 * M / 512,
       .range_count = 2 * M / 512 + 3,
       .holes = {{M, 3 * M}, {4 * M, 4 * M + 1536}}},
      {.name = "stopped after step 2: the skipped steps still count",
       .layout = "ZZD",
       .stop_at_step = 2,
       .holes = {{0, 2 * M}}},
  };
  const bool holes = test::HolesSupported(dir_.path());
  if (!holes) std::printf("this file system keeps no holes: only the bytes are compared\n");
  for (const auto& c : cases) {
    EXPECT_EQ(Check(c, dir_ / "target.img", holes), "") << c.name;
  }
}

}  // namespace
}  // namespace ombrix
