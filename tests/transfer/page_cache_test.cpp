// A copy leaves the page cache as it found it: what it read, and what it wrote once the medium
// has it, leaves the cache, so copying a whole disk does not push out the machine's other files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <vector>

#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"

namespace ombrix {
namespace {

using test::Info;
using test::kDone;
using test::PatternBytes;
using test::ReadFile;
using test::Sequence;
using test::WriteFile;
namespace msg = messages;

constexpr std::int64_t kMiB = 1 << 20;

// The bytes of `file` that are in the page cache now; -1 when that cannot be told.
std::int64_t CachedBytes(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  const auto size = static_cast<std::size_t>(std::filesystem::file_size(file));
  void* map = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  ::close(fd);
  if (map == MAP_FAILED) return -1;
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> resident((size + page - 1) / page);
  const bool ok = ::mincore(map, size, resident.data()) == 0;
  ::munmap(map, size);
  std::int64_t pages = 0;
  for (const unsigned char r : resident) pages += r & 1;
  return ok ? pages * static_cast<std::int64_t>(page) : -1;
}

class PageCache : public test::TransferTest {};

TEST_F(PageCache, ACopyDropsWhatItReadAndWhatItWrote) {
  const auto source_file = dir_ / "source.img", target_file = dir_ / "target.img";
  const std::string source = PatternBytes(48 * kMiB + 512, 31);
  WriteFile(source_file, source);
  // Written and on the medium, the source is in the cache as after any recent use.
  const int fd = ::open(source_file.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::fsync(fd), 0);
  ::close(fd);
  ASSERT_GT(CachedBytes(source_file), std::ssize(source) / 2) << "the source was never cached";

  RunCopy(WholeJob(AddSourceImage(source_file), AddTargetImage(target_file)));
  ASSERT_EQ(window_.Sequence(),
            (Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}));
  // A partial last page may stay.
  EXPECT_LE(CachedBytes(source_file), 64 * 1024);
  EXPECT_LE(CachedBytes(target_file), 64 * 1024);
  EXPECT_TRUE(ReadFile(target_file) == source);
}

}  // namespace
}  // namespace ombrix
