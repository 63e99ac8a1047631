#include "ui/progress_text.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/display_text.h"

namespace ombrix {

namespace {

constexpr double kBytesPerMegabyte = 1e6;  // MB as dd counts them
constexpr double kMinimumSeconds = 1.0;    // before this the rate says nothing yet

}  // namespace

void ProgressMeter::Start(std::int64_t area_bytes, Clock::time_point now) {
  area_bytes_ = std::max<std::int64_t>(area_bytes, 0);
  start_ = now;
}

std::u16string ProgressMeter::Text(int percent, Clock::time_point now) const {
  percent = std::clamp(percent, 0, 100);
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%d %%", percent);
  std::u16string text = WidenAscii(buffer);

  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double done = static_cast<double>(area_bytes_) * percent / 100.0;
  if (seconds < kMinimumSeconds || done <= 0.0) return text;

  const double rate = done / seconds;
  text += u"  ·  ";
  std::snprintf(buffer, sizeof buffer, "%.1f MB/s", rate / kBytesPerMegabyte);
  text += WidenAscii(buffer);

  const auto left = static_cast<long long>((static_cast<double>(area_bytes_) - done) / rate + 0.5);
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", left / 3600, left / 60 % 60,
                left % 60);
  text += u"  ·  剩余 ";
  text += WidenAscii(buffer);
  return text;
}

}  // namespace ombrix
