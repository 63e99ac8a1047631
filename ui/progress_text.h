// The progress text of a transfer: percent, throughput and time left, worked out from the percent
// the worker reports and the size of the area it goes through.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace ombrix {

class ProgressMeter {
 public:
  using Clock = std::chrono::steady_clock;
  // The text changes at most this often: more would only cost the transfer repaints.
  static constexpr Clock::duration kTextInterval = std::chrono::milliseconds(250);

  // A transfer of `area_bytes` begins.
  void Start(std::int64_t area_bytes);
  // The check pass of the transfer: the first call begins it, later ones change nothing. Its
  // reports count from its own first, and the text says "校验" before the percent.
  void EnterCheckPass();
  // Notes the worker's report of `percent` at `now`. Returns the text to show for it: for the first
  // report, for 100 %, then once the text shown is kTextInterval old; otherwise nothing.
  //
  // The rate counts from the first report, so that time spent before the first step (a box the
  // user reads) is not taken for transfer time. Text: "42 %  ·  118.3 MB/s  ·  剩余 0:01:25", the
  // rate and time left once a second has passed since the first report and more is done.
  std::optional<std::u16string> Report(int percent, Clock::time_point now);

 private:
  std::u16string Text(int percent, Clock::time_point now) const;

  std::int64_t area_bytes_ = 0;
  std::optional<Clock::time_point> first_at_;  // the first report of this transfer
  int first_percent_ = 0;
  bool checking_ = false;
  Clock::time_point shown_at_{};
};

}  // namespace ombrix
