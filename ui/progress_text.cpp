#include "ui/progress_text.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/display_text.h"

namespace ombrix {

namespace {

constexpr double kBytesPerMegabyte = 1e6;  // MB as dd counts them
constexpr double kMinimumSeconds = 1.0;    // before this the rate says nothing yet

}  // namespace

void ProgressMeter::Start(std::int64_t area_bytes) {
  area_bytes_ = std::max<std::int64_t>(area_bytes, 0);
  first_at_.reset();
  checking_ = false;
}

void ProgressMeter::EnterCheckPass() {
  if (checking_) return;
  checking_ = true;
  first_at_.reset();
}

std::optional<std::u16string> ProgressMeter::Report(int percent, Clock::time_point now) {
  percent = std::clamp(percent, 0, 100);
  if (!first_at_) {
    first_at_ = now;
    first_percent_ = percent;
  } else if (percent < 100 && now - shown_at_ < kTextInterval) {
    return std::nullopt;
  }
  shown_at_ = now;
  return Text(percent, now);
}

std::u16string ProgressMeter::Text(int percent, Clock::time_point now) const {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "%d %%", percent);
  std::u16string text = checking_ ? u"校验 " + WidenAscii(buffer) : WidenAscii(buffer);

  const double seconds = std::chrono::duration<double>(now - *first_at_).count();
  const double area = static_cast<double>(area_bytes_);
  const double moved = area * (percent - first_percent_) / 100.0;
  if (seconds < kMinimumSeconds || moved <= 0.0) return text;

  const double rate = moved / seconds;
  text += u"  ·  ";
  std::snprintf(buffer, sizeof buffer, "%.1f MB/s", rate / kBytesPerMegabyte);
  text += WidenAscii(buffer);

  const double left_bytes = area - area * percent / 100.0;
  const auto left = static_cast<long long>(left_bytes / rate + 0.5);
  std::snprintf(buffer, sizeof buffer, "%lld:%02lld:%02lld", left / 3600, left / 60 % 60,
                left % 60);
  text += u"  ·  剩余 ";
  text += WidenAscii(buffer);
  return text;
}

}  // namespace ombrix
