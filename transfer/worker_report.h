// How a worker talks to the dialog: the two notifications and its message boxes, owned by the
// dialog window. The end report and the boxes block the worker until the dialog has handled
// them; progress is handed over without waiting, the dialog showing the latest percent, and always
// reaches the dialog before the next box or the end report.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/device.h"
#include "platform/window.h"
#include "transfer/verification.h"

namespace ombrix {

class WorkerReport {
 public:
  explicit WorkerReport(platform::DialogWindow& window) : window_(window) {}

  void Done();
  void Progress(std::uint16_t percent);
  // The percent of the check that follows a transfer.
  void CheckProgress(std::uint16_t percent);
  void Information(std::u16string_view text);  // title "提示", information icon
  void Error(std::u16string_view text);        // title "错误", error icon
  // The last boxes of a transfer that ran its loop: on failure its detail (if any) and the
  // failure message, otherwise the completion message.
  void Outcome(bool failed, std::optional<std::u16string_view> detail, std::u16string_view done,
               std::u16string_view failure);
  // The last boxes of a transfer that was checked after it ran to its end: `verified` (with the
  // area's SHA-256 on a line of its own, when given), or the check's failure and then `failure`.
  // A stop during the check ends like a stopped transfer, with `done`.
  void Checked(const CheckResult& check, std::u16string_view verified, bool with_digest,
               std::u16string (*mismatch)(std::int64_t), std::u16string_view done,
               std::u16string_view failure);
  // The target's open failed: says why first when it is in use, then the open error.
  void TargetOpenFailed(platform::OpenError error);

 private:
  platform::DialogWindow& window_;
};

}  // namespace ombrix
