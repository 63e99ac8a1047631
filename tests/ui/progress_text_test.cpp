// The progress text: what it says, from when the rate counts, and how often it changes.
#include <gtest/gtest.h>

#include "ui/progress_text.h"

namespace ombrix {
namespace {

using namespace std::chrono_literals;
using Clock = ProgressMeter::Clock;

struct ProgressCase {
  std::int64_t area_bytes;
  int percent;
  std::chrono::milliseconds since_first;  // after a first report of 0 %
  std::u16string expected;
};

class ProgressTextTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTextTest, ShowsPercentRateAndTimeLeft) {
  const ProgressCase& c = GetParam();
  ProgressMeter meter;
  const Clock::time_point first{};
  meter.Start(c.area_bytes);
  EXPECT_EQ(meter.Report(0, first), u"0 %");
  EXPECT_EQ(meter.Report(c.percent, first + c.since_first), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressTextTest,
    ::testing::Values(
        // Before a second has passed, or before anything more is done, the rate says nothing.
        ProgressCase{1'000'000'000, 0, 5s, u"0 %"}, ProgressCase{1'000'000'000, 10, 500ms, u"10 %"},
        // 250 MB in 2 s: 125 MB/s, and 750 MB to go take 6 s.
        ProgressCase{1'000'000'000, 25, 2s, u"25 %  ·  125.0 MB/s  ·  剩余 0:00:06"},
        // Hours are counted, not wrapped.
        ProgressCase{2'000'000'000'000, 1, 100s, u"1 %  ·  200.0 MB/s  ·  剩余 2:45:00"},
        ProgressCase{1'000'000, 100, 3s, u"100 %  ·  0.3 MB/s  ·  剩余 0:00:00"},
        // An empty area and percents out of range do not divide by zero or show nonsense.
        ProgressCase{0, 100, 3s, u"100 %"},
        ProgressCase{1'000'000, 250, 3s, u"100 %  ·  0.3 MB/s  ·  剩余 0:00:00"}));

TEST(ProgressMeter, RateCountsFromEachPasssFirstReportAndTextChangesAtMostFourTimesASecond) {
  ProgressMeter meter;
  meter.Start(1'000'000'000);
  // The first step ends 5 s after the start: a box was open before it. Shown at once.
  const Clock::time_point first = Clock::time_point{} + 5s;
  EXPECT_EQ(meter.Report(1, first), u"1 %");
  EXPECT_EQ(meter.Report(2, first + 100ms), std::nullopt);
  EXPECT_EQ(meter.Report(3, first + 249ms), std::nullopt);
  // 10 % of 1 GB in the second since the first report: 100 MB/s, not 110 MB in 6 s.
  EXPECT_EQ(meter.Report(11, first + 1s), u"11 %  ·  100.0 MB/s  ·  剩余 0:00:09");
  EXPECT_EQ(meter.Report(12, first + 1s + 200ms), std::nullopt);
  EXPECT_NE(meter.Report(13, first + 1s + 250ms), std::nullopt);
  // The end is shown however soon it comes, so the text never lags the full bar: 990 MB in 1.3 s.
  EXPECT_EQ(meter.Report(100, first + 1s + 300ms), u"100 %  ·  761.5 MB/s  ·  剩余 0:00:00");

  // The check after the transfer: its own first report at once, its own rate, and its name.
  meter.EnterCheckPass();
  EXPECT_EQ(meter.Report(0, first + 1s + 400ms), u"校验 0 %");
  meter.EnterCheckPass();  // once begun, the pass goes on
  EXPECT_EQ(meter.Report(20, first + 2s + 400ms), u"校验 20 %  ·  200.0 MB/s  ·  剩余 0:00:04");

  // A new transfer shows its first report at once and counts from it.
  meter.Start(1'000'000'000);
  EXPECT_EQ(meter.Report(50, first + 3s), u"50 %");
}

}  // namespace
}  // namespace ombrix
