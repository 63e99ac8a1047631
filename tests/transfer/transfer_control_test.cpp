#include <gtest/gtest.h>

#include <limits>

#include "transfer/transfer.h"

namespace ombrix {
namespace {

TEST(TransferControl, ChunkRule) {
  EXPECT_EQ(StepBytes(kChunkBytes, 512), kChunkBytes);
  EXPECT_EQ(StepBytes(kChunkBytes * 5 + 7, 512), kChunkBytes);
  EXPECT_EQ(StepBytes(kChunkBytes - 1, 512), 512);
  EXPECT_EQ(StepBytes(100, 4096), 4096);  // the tail rule does not look at what remains
}

TEST(TransferControl, PercentFormula) {
  struct Case {
    std::int64_t done, total;
    std::uint32_t bps;
    std::uint16_t percent;
  };
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const Case cases[] = {
      {1 << 20, 3 * (1 << 20) + 512, 512, 33},
      {3 * (1 << 20) + 512, 3 * (1 << 20) + 512, 512, 100},
      {511, 1024, 512, 0},  // whole sectors only
      {4096, 8192, 4096, 50},
      {100, 100, 512, 100},  // less than a sector in all: no division by zero
      {0, 0, 0, 100},
      {kMax, kMax, 1, 100},  // counted without overflowing
      {kMax / 2, kMax, 1, 50},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgressPercent(c.done, c.total, c.bps), c.percent) << c.done << "/" << c.total;
  }
}

TEST(TransferControl, RangeInBytesFlagsWhatDoesNotFit) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  auto r = RangeInBytes(3, 5, 4096);
  EXPECT_EQ(r.start_byte, 3 * 4096);
  EXPECT_EQ(r.length_bytes, 5 * 4096);
  EXPECT_FALSE(r.overflow);
  EXPECT_TRUE(RangeInBytes(kMax / 512 + 1, 0, 512).overflow);
  EXPECT_TRUE(RangeInBytes(0, kMax / 4096 + 1, 4096).overflow);
  EXPECT_TRUE(RangeInBytes(std::numeric_limits<std::int64_t>::min(), 0, 512).overflow);
  EXPECT_FALSE(RangeInBytes(-5, -5, 512).overflow);  // negative but representable
}

}  // namespace
}  // namespace ombrix
