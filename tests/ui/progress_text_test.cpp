// The text over the progress bar.
#include <gtest/gtest.h>

#include "ui/progress_text.h"

namespace ombrix {
namespace {

using namespace std::chrono_literals;

struct ProgressCase {
  std::int64_t area_bytes;
  int percent;
  std::chrono::milliseconds elapsed;
  std::u16string expected;
};

class ProgressTextTest : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressTextTest, ShowsPercentRateAndTimeLeft) {
  const ProgressCase& c = GetParam();
  ProgressMeter meter;
  const ProgressMeter::Clock::time_point start{};
  meter.Start(c.area_bytes, start);
  EXPECT_EQ(meter.Text(c.percent, start + c.elapsed), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgressTextTest,
    ::testing::Values(
        // Before a second has passed, or before anything is done, the rate says nothing.
        ProgressCase{1'000'000'000, 0, 5s, u"0 %"}, ProgressCase{1'000'000'000, 10, 500ms, u"10 %"},
        // 250 MB in 2 s: 125 MB/s, and 750 MB to go take 6 s.
        ProgressCase{1'000'000'000, 25, 2s, u"25 %  ·  125.0 MB/s  ·  剩余 0:00:06"},
        // Hours are counted, not wrapped.
        ProgressCase{2'000'000'000'000, 1, 100s, u"1 %  ·  200.0 MB/s  ·  剩余 2:45:00"},
        ProgressCase{1'000'000, 100, 3s, u"100 %  ·  0.3 MB/s  ·  剩余 0:00:00"},
        // An empty area and percents out of range do not divide by zero or show nonsense.
        ProgressCase{0, 100, 3s, u"100 %"},
        ProgressCase{1'000'000, 250, 3s, u"100 %  ·  0.3 MB/s  ·  剩余 0:00:00"}));

}  // namespace
}  // namespace ombrix
