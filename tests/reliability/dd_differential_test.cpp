// Differential testing against dd: a seeded random campaign of copies between image files and
// loop devices with 512- and 4096-byte sectors, whole and range mode, valid and invalid ranges.
// After every case the target holds exactly what dd makes of the same request on a copy of the
// same target (skip, seek and count in sectors, conv=notrunc), or the request was refused and the
// target is untouched. The seed is printed; OMBRIX_SEED=<seed> repeats a campaign, OMBRIX_CASES
// sets its length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

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

constexpr std::int64_t kMiB = 1 << 20;

using Kind = test::MediumKind;
using test::KindName;
using test::SectorSizeOf;

std::uint64_t SeedFromEnvironment() {
  if (const char* seed = std::getenv("OMBRIX_SEED")) return std::strtoull(seed, nullptr, 10);
  return std::random_device{}();
}

int CasesFromEnvironment() {
  if (const char* cases = std::getenv("OMBRIX_CASES")) return std::atoi(cases);
  return 300;
}

class DdDifferential : public test::TransferTest {
 protected:
  // One medium of a case: its file, and the loop device on it if it is a drive.
  struct Medium {
    Kind kind = Kind::kImage;
    std::filesystem::path file;
    std::unique_ptr<test::LoopDevice> loop;
  };

  // A size the kind can take: around 0, a sector, a chunk, and a few chunks with odd tails.
  std::int64_t RandomSize(Kind kind, std::mt19937_64& random) {
    const std::int64_t sector = SectorSizeOf(kind);
    const std::int64_t bases[] = {0, sector, kMiB - sector, kMiB, kMiB + sector, 3 * kMiB};
    std::int64_t size = bases[random() % std::size(bases)] + sector * (random() % 9);
    if (kind == Kind::kImage) {
      if (random() % 3 == 0) size += random() % 512;  // not whole sectors
      return size;
    }
    return std::max(size, sector);  // a loop device of no sectors is no drive
  }

  bool Make(Medium& m, std::int64_t size, std::uint64_t seed, bool create, std::string& why) {
    if (create) WriteFile(m.file, PatternBytes(static_cast<std::size_t>(size), seed));
    if (m.kind == Kind::kImage) return true;
    m.loop = test::LoopDevice::Attach(m.file, SectorSizeOf(m.kind), why);
    return m.loop != nullptr;
  }

  // Lists a medium in its table and returns the slot.
  int List(const Medium& m, bool as_target) {
    if (m.kind == Kind::kImage) {
      return as_target ? AddTargetImage(m.file) : AddSourceImage(m.file);
    }
    const int number = test::DriveNumberOfNode(*real_, m.loop->node());
    EXPECT_GE(number, 0) << m.loop->node();
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(m.file));
    const MediaRecord record =
        Drive(number, size / SectorSizeOf(m.kind) * SectorSizeOf(m.kind), SectorSizeOf(m.kind));
    return as_target ? AddTarget(record) : AddSource(record);
  }

  void ResetTables() {
    source_ = {};
    target_ = {};
    source_count_ = target_count_ = 0;
    window_.Clear();
  }
};

TEST_F(DdDifferential, EveryCaseMatchesDdOrIsRefusedUntouched) {
  if (::geteuid() != 0) GTEST_SKIP() << "loop devices need root";
  const std::uint64_t seed = SeedFromEnvironment();
  const int cases = CasesFromEnvironment();
  std::printf("dd differential campaign: OMBRIX_SEED=%llu OMBRIX_CASES=%d\n",
              static_cast<unsigned long long>(seed), cases);
  std::mt19937_64 random(seed);
  int copied = 0, refused = 0;

  for (int c = 0; c < cases && !HasFailure(); ++c) {
    ResetTables();
    const Kind kinds[] = {Kind::kImage, Kind::kLoop512, Kind::kLoop4096};
    Medium source{.kind = kinds[random() % 3], .file = dir_ / ("s" + std::to_string(c))};
    Medium target{.kind = kinds[random() % 3], .file = dir_ / ("t" + std::to_string(c))};
    const std::int64_t source_size = RandomSize(source.kind, random);
    // An image target may be missing, shorter or longer than the source; a drive is always there.
    const bool target_missing = target.kind == Kind::kImage && random() % 3 == 0;
    // Mostly a target that can take the source, sometimes one that cannot.
    std::int64_t target_size = RandomSize(target.kind, random);
    if (random() % 10 < 7) {
      const std::int64_t sector = SectorSizeOf(target.kind);
      target_size = (source_size + target_size + sector - 1) / sector * sector;
    }
    std::string why;
    ASSERT_TRUE(Make(source, source_size, seed + 2 * c, true, why)) << why;
    ASSERT_TRUE(Make(target, target_size, seed + 2 * c + 1, !target_missing, why)) << why;

    const std::uint32_t bps = SectorSizeOf(source.kind);
    const std::int64_t source_sectors = source_size / bps;
    const bool range = random() % 2 == 0;
    std::int64_t start = 0, count = 0;
    if (range) {
      // Mostly ranges inside the source, and some that start below 0 or end past it.
      const auto pick = [&random](std::int64_t n) {
        return static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(n + 1));
      };
      start = pick(source_sectors);
      count = pick(source_sectors - start);
      if (random() % 5 == 0) {
        if (random() % 2 == 0) {
          start = -1 - pick(2);
        } else {
          count = source_sectors - start + 1 + pick(2);
        }
      }
    }
    const std::string case_name =
        std::string("case ") + std::to_string(c) + ": " + KindName(source.kind) + " " +
        std::to_string(source_size) + " -> " + KindName(target.kind) + " " +
        (target_missing ? "missing" : std::to_string(target_size)) +
        (range ? " range " + std::to_string(start) + "+" + std::to_string(count) : " whole");
    SCOPED_TRACE(case_name);
    if (std::getenv("OMBRIX_VERBOSE")) std::printf("%s\n", case_name.c_str());

    const std::string before = target_missing ? std::string() : ReadFile(target.file);
    const int s = List(source, false);
    const int t = List(target, true);
    RunCopy(range ? RangeJob(s, t, start, count) : WholeJob(s, t));
    if (target.loop) target.loop->Detach();  // its bytes are on the file now
    if (source.loop) source.loop->Detach();

    // What the copy may do: the checks of the copy worker, in the units of the source.
    const std::int64_t target_drive_bytes =
        target.kind == Kind::kImage
            ? -1
            : target_size / SectorSizeOf(target.kind) * SectorSizeOf(target.kind);
    const std::int64_t source_bytes = source_sectors * bps;
    bool refuse = false;
    std::int64_t from = 0, length = source_bytes;
    if (range) {
      from = start * static_cast<std::int64_t>(bps);
      length = count * static_cast<std::int64_t>(bps);
      refuse = start < 0 || from + length > source_bytes ||
               (target_drive_bytes >= 0 && from + length > target_drive_bytes);
    } else {
      refuse = target_drive_bytes >= 0 && source_bytes > target_drive_bytes;
    }

    const std::string after = std::filesystem::exists(target.file) ? ReadFile(target.file) : "";
    const auto sequence = window_.Sequence();
    if (refuse) {
      ++refused;
      EXPECT_TRUE(after == before) << "a refused copy changed the target";
      ASSERT_FALSE(sequence.empty());
      EXPECT_TRUE(sequence.back().starts_with(u"error:")) << test::Ascii(sequence.back());
      continue;
    }
    ++copied;
    // dd on a copy of the target as it was: the same sectors, in the source's sector size.
    const std::filesystem::path expected_file = dir_ / ("dd" + std::to_string(c));
    if (!target_missing) WriteFile(expected_file, before);
    const std::string command =
        "dd if=" + source.file.string() + " of=" + expected_file.string() +
        " bs=" + std::to_string(bps) + " skip=" + std::to_string(from / bps) +
        " seek=" + std::to_string(from / bps) + " count=" + std::to_string(length / bps) +
        " conv=notrunc status=none";
    int status = 0;
    test::RunCommand(command, status);
    ASSERT_EQ(status, 0) << command;
    const std::string expected = ReadFile(expected_file);
    EXPECT_TRUE(after == expected)
        << command << "\nsizes " << after.size() << " and " << expected.size();
    ASSERT_FALSE(sequence.empty());
    EXPECT_EQ(sequence.back(), test::kDone);
    std::filesystem::remove(expected_file);
    std::filesystem::remove(source.file);
    std::filesystem::remove(target.file);
  }
  std::printf(
      "dd differential campaign: %d copies matched dd, %d refusals left the target as it "
      "was (OMBRIX_SEED=%llu)\n",
      copied, refused, static_cast<unsigned long long>(seed));
}

}  // namespace
}  // namespace ombrix
