// The text over the progress bar: percent, throughput and time left, worked out from the percent
// the worker reports and the size of the area it goes through.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace ombrix {

class ProgressMeter {
 public:
  using Clock = std::chrono::steady_clock;

  void Start(std::int64_t area_bytes, Clock::time_point now);
  // "42 %  ·  118.3 MB/s  ·  剩余 0:01:25"; the rate and the time left once a second has passed
  // and some of the area is done.
  std::u16string Text(int percent, Clock::time_point now) const;

 private:
  std::int64_t area_bytes_ = 0;
  Clock::time_point start_{};
};

}  // namespace ombrix
