#include "tests/transfer/sparse_copy_fixture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <optional>

#include "tests/support/dd_reference.h"
#include "transfer/messages.h"

namespace ombrix::test {

namespace {

std::string SourceBytes(const SparseCase& c) {
  std::string bytes;
  std::uint64_t seed = 40;
  for (const char block : c.layout) {
    bytes += block == 'D' ? PatternBytes(kSparseMiB, ++seed) : std::string(kSparseMiB, '\0');
  }
  return bytes + std::string(static_cast<std::size_t>(c.zero_tail), '\0');
}

// The first byte of data (SEEK_DATA) or of a hole (SEEK_HOLE) at or after `offset`; -1 when none
// follows, -2 on failure.
std::int64_t Next(const std::filesystem::path& file, std::int64_t offset, int what) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -2;
  const off_t found = ::lseek(fd, offset, what);
  const int error = errno;
  ::close(fd);
  return found >= 0 ? found : error == ENXIO ? -1 : -2;
}

}  // namespace

bool HolesSupported(const std::filesystem::path& dir) {
  const auto probe = dir / "hole-probe";
  ResizeFile(probe, kSparseMiB);
  const bool supported = Next(probe, 0, SEEK_DATA) == -1;
  std::filesystem::remove(probe);
  return supported;
}

std::string SparseCopyTest::Check(const SparseCase& c, const std::filesystem::path& target_file,
                                  bool check_holes) {
  const std::filesystem::path source_file = dir_ / "source.img";
  const std::string source = SourceBytes(c);
  WriteFile(source_file, source);
  std::optional<std::string> before;
  std::filesystem::remove(target_file);
  if (c.target_before >= 0) {
    before = PatternBytes(static_cast<std::size_t>(c.target_before), 7);
    WriteFile(target_file, *before);
  }
  const int s = AddSourceImage(source_file);
  const int t = AddTargetImage(target_file);
  window_.Clear();
  run_flag_ = 1;
  window_.on_event = nullptr;
  if (c.stop_at_step > 0) StopAtStep(c.stop_at_step);
  RunCopy(c.range_start < 0 ? WholeJob(s, t) : RangeJob(s, t, c.range_start, c.range_count));

  if (window_.Sequence() !=
      Sequence{Info(messages::kImageTargetGrows), Info(messages::kCopyDone), kDone}) {
    return "the copy did not end as done";
  }
  const std::int64_t start = c.range_start < 0 ? 0 : c.range_start;
  const std::int64_t count = c.stop_at_step > 0  ? c.stop_at_step * kSparseMiB / 512
                             : c.range_start < 0 ? std::ssize(source) / 512
                                                 : c.range_count;
  bool ok = false;
  const std::string expected =
      DdResult(source_file, before, 512, start, count, dir_ / "dd-result.img", ok);
  if (!ok) return "dd failed";
  const std::string after = ReadFile(target_file);
  if (after != expected) {
    return "differs from dd: sizes " + std::to_string(after.size()) + " and " +
           std::to_string(expected.size());
  }
  if (!check_holes) return {};
  for (const auto& [first, end] : c.holes) {
    if (Next(target_file, first, SEEK_HOLE) != first) {
      return "no hole begins at " + std::to_string(first);
    }
    const std::int64_t data = Next(target_file, first, SEEK_DATA);
    if (data == -2 || (data >= 0 && data < end)) {
      return "data at " + std::to_string(data) + " inside the expected hole [" +
             std::to_string(first) + ", " + std::to_string(end) + ")";
    }
  }
  return {};
}

}  // namespace ombrix::test
