// An image target on FAT, which keeps no holes: the file system writes the skipped zeros when the
// file is extended, and the file reads exactly as dd leaves it. Needs root and a kernel with FAT.
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/mounted_file_system.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/sparse_copy_fixture.h"

namespace ombrix {
namespace {

using test::kSparseMiB;
using test::SparseCase;
constexpr std::int64_t M = kSparseMiB;

class SparseTargetsOnFat : public test::SparseCopyTest {};

TEST_F(SparseTargetsOnFat, OnAFileSystemWithoutHolesTheZerosAreThere) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting needs root";
  const auto image = dir_ / "fat.img";
  test::ResizeFile(image, 32 * M);
  std::string why;
  test::MountedFileSystem fat("mkfs.vfat", "vfat", image, dir_ / "fat", why);
  if (!fat.mounted()) GTEST_SKIP() << why;

  const SparseCase cases[] = {
      {.name = "new file", .layout = "DZZDZ", .zero_tail = 1536},
      {.name = "range starting beyond the file's end",
       .layout = "DZZDZ",
       .zero_tail = 1536,
       .target_before = M,
       .range_start = 2 * M / 512,
       .range_count = 2 * M / 512 + 3},
      {.name = "stopped after step 2", .layout = "ZZD", .stop_at_step = 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Check(c, dir_ / "fat" / "target.img", false), "") << c.name;
  }
}

}  // namespace
}  // namespace ombrix
