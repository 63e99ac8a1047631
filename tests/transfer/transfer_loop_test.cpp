// Copies and zero-fills on real block devices: loop devices of the test's own, with 512- and
// 4096-byte sectors. Target bytes are compared with the files the devices sit on.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <fstream>

#include "platform/linux/device_linux.h"
#include "tests/support/loop_device.h"
#include "tests/support/strings.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/messages.h"

namespace ombrix {
namespace {

using test::PatternBytes;
using test::ReadFile;
using test::WriteFile;
namespace msg = messages;
using test::Error;
using test::Info;
using test::kDone;
using test::Sequence;
using test::Warning;

constexpr std::int64_t kMiB = 1 << 20;

using Kind = test::MediumKind;
using test::KindName;

class LoopTransfers : public test::TransferTest {
 protected:
  // A medium of the given kind holding `bytes` (an image target starts missing); returns the file
  // that holds its bytes.
  struct Medium {
    std::filesystem::path file;
    std::unique_ptr<test::LoopDevice> loop;
    std::uint32_t bps = 512;
  };
  Medium Make(Kind kind, const std::string& name, const std::string& bytes, bool as_target) {
    Medium m{.file = dir_ / name};
    if (kind == Kind::kImage && as_target) return m;
    WriteFile(m.file, bytes);
    if (kind == Kind::kImage) return m;
    m.bps = test::SectorSizeOf(kind);
    m.loop = test::LoopDevice::Attach(m.file, m.bps, why_);
    return m;
  }
  // Lists the medium in a table and returns its slot.
  int List(Kind kind, const Medium& m, bool as_target) {
    if (kind == Kind::kImage) {
      return as_target ? AddTargetImage(m.file) : AddSourceImage(m.file);
    }
    const int number = test::DriveNumberOfNode(*real_, m.loop->node());
    EXPECT_GE(number, 0) << m.loop->node();
    const auto record =
        Drive(number, static_cast<std::int64_t>(std::filesystem::file_size(m.file)), m.bps);
    return as_target ? AddTarget(record) : AddSource(record);
  }
  std::string why_;
};

TEST_F(LoopTransfers, EveryPairingWholeAndRangeIsByteExact) {
  const std::string source_bytes = PatternBytes(3 * kMiB + 8192, 11);
  const std::string target_bytes = PatternBytes(4 * kMiB, 12);
  // Whole sectors of every source kind: starts 8 KiB before the 1 MiB mark, 1 MiB + 12 KiB long.
  constexpr std::int64_t kRangeStart = kMiB - 8192, kRangeLength = kMiB + 12288;
  const Kind kinds[] = {Kind::kImage, Kind::kLoop512, Kind::kLoop4096};
  for (Kind from : kinds) {
    for (Kind to : kinds) {
      for (bool range : {false, true}) {
        SCOPED_TRACE(std::string(KindName(from)) + " -> " + KindName(to) +
                     (range ? " range" : " whole"));
        window_.Clear();
        source_count_ = target_count_ = 0;
        const Medium source = Make(from, "source.img", source_bytes, false);
        const Medium target = Make(to, "target.img", target_bytes, true);
        if ((from != Kind::kImage && !source.loop) || (to != Kind::kImage && !target.loop)) {
          GTEST_SKIP() << why_;
        }
        const int s = List(from, source, false), t = List(to, target, true);
        const TransferJob job =
            range ? RangeJob(s, t, kRangeStart / source.bps, kRangeLength / source.bps)
                  : WholeJob(s, t);
        RunCopy(job);

        std::string expected = to == Kind::kImage ? std::string() : target_bytes;
        const std::int64_t begin = range ? kRangeStart : 0;
        const std::int64_t length =
            range ? kRangeLength : static_cast<std::int64_t>(source_bytes.size());
        if (expected.size() < static_cast<std::size_t>(begin + length))
          expected.resize(begin + length);
        expected.replace(begin, length, source_bytes, begin, length);
        EXPECT_TRUE(ReadFile(target.file) == expected);
        const Sequence done =
            to == Kind::kImage ? Sequence{Info(msg::kImageTargetGrows), Info(msg::kCopyDone), kDone}
                               : Sequence{Info(msg::kCopyDone), kDone};
        EXPECT_EQ(window_.Sequence(), done);
        EXPECT_EQ(window_.Progress().back(), 100);
        std::filesystem::remove(target.file);
      }
    }
  }
}

TEST_F(LoopTransfers, ZeroFillOfA4096ByteSectorDrive) {
  const Medium disk = Make(Kind::kLoop4096, "disk.img", PatternBytes(2 * kMiB + 8192, 13), true);
  if (!disk.loop) GTEST_SKIP() << why_;
  RunZero(ZeroJob(List(Kind::kLoop4096, disk, true)));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kZeroDone), kDone}));
  EXPECT_EQ(window_.Progress(), (std::vector<std::uint16_t>{49, 99, 99, 100}));
  EXPECT_TRUE(ReadFile(disk.file) == std::string(2 * kMiB + 8192, '\0'));
}

TEST_F(LoopTransfers, TargetHeldExclusivelyIsReportedAsInUse) {
  const Medium source = Make(Kind::kImage, "source.img", PatternBytes(kMiB, 14), false);
  const std::string before = PatternBytes(2 * kMiB, 15);
  const Medium disk = Make(Kind::kLoop512, "disk.img", before, true);
  if (!disk.loop) GTEST_SKIP() << why_;
  const int s = List(Kind::kImage, source, false), t = List(Kind::kLoop512, disk, true);
  auto holder = real_->Open(TextOf(target_[t].path), platform::Access::kReadWrite,
                            platform::Share::kRead, platform::Disposition::kOpenExisting);
  ASSERT_TRUE(holder.medium);
  RunCopy(WholeJob(s, t));
  RunZero(ZeroJob(t));
  const Sequence refused{kDone, Warning(msg::kTargetBusy), Error(msg::kTargetOpenError)};
  Sequence both = refused;
  both.insert(both.end(), refused.begin(), refused.end());
  EXPECT_EQ(window_.Sequence(), both);
  EXPECT_TRUE(ReadFile(disk.file) == before);
}

// A file system of 2 MiB, mounted for the length of a test.
class SmallTmpfs {
 public:
  explicit SmallTmpfs(const std::filesystem::path& at) : at_(at) {
    std::filesystem::create_directories(at);
    mounted_ = ::geteuid() == 0 && ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=2m") == 0;
  }
  ~SmallTmpfs() {
    if (mounted_) ::umount(at_.c_str());
  }
  bool mounted() const { return mounted_; }

 private:
  std::filesystem::path at_;
  bool mounted_ = false;
};

TEST_F(LoopTransfers, FullFileSystemIsAWriteError) {
  const std::string bytes = PatternBytes(4 * kMiB, 16);
  WriteFile(dir_ / "source.img", bytes);
  SmallTmpfs small(dir_ / "small");
  if (!small.mounted()) GTEST_SKIP() << "mounting a tmpfs needs root";
  const int s = AddSourceImage(dir_ / "source.img");
  const int t = AddTargetImage(dir_ / "small" / "target.img");
  RunCopy(WholeJob(s, t));
  EXPECT_EQ(window_.Sequence(), (Sequence{Info(msg::kImageTargetGrows), Error(msg::kWriteError),
                                          Error(msg::kCopyFailed), kDone}));
  const std::size_t steps = window_.Progress().size();
  EXPECT_LT(steps, 4u);
  EXPECT_TRUE(ReadFile(dir_ / "small" / "target.img").substr(0, steps * kMiB) ==
              bytes.substr(0, steps * kMiB));
}

// The check reads the target from the medium, not from the page cache: just before the check's
// first read, the whole target device is read into the cache through a descriptor of the test's
// own and the file under the device is changed; the check finds the change at its sector.
TEST_F(LoopTransfers, TheCheckReadsTheMediumNotThePageCache) {
  const std::string bytes = PatternBytes(2 * kMiB, 21);
  const Medium source = Make(Kind::kImage, "source.img", bytes, false);
  const Medium target = Make(Kind::kLoop512, "target.img", PatternBytes(2 * kMiB, 22), true);
  if (!target.loop) GTEST_SKIP() << why_;
  const int s = List(Kind::kImage, source, false), t = List(Kind::kLoop512, target, true);
  constexpr std::int64_t kChanged = kMiB + 3 * 512;
  devices_.For(std::u16string(TextOf(target_[t].path))).before_read = [&target](int call) {
    if (call != 0) return;
    std::ifstream device(target.loop->node(), std::ios::binary);
    std::string cached(2 * kMiB, '\0');
    device.read(cached.data(), static_cast<std::streamsize>(cached.size()));
    std::fstream file(target.file, std::ios::binary | std::ios::in | std::ios::out);
    file.seekg(kChanged);
    const char was = static_cast<char>(file.get());
    file.seekp(kChanged);
    file.put(static_cast<char>(~was));
    file.flush();
  };
  TransferJob job = WholeJob(s, t);
  job.verify = true;
  RunCopy(job);
  EXPECT_EQ(window_.Sequence(),
            (Sequence{Error(msg::CopyMismatch(kChanged / 512)), Error(msg::kCopyFailed), kDone}));
}

}  // namespace
}  // namespace ombrix
