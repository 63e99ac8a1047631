#include "transfer/worker_report.h"

#include "transfer/messages.h"
#include "transfer/transfer.h"

namespace ombrix {

void WorkerReport::Done() {
  window_.Send(WM_TRANSFER_DONE, 0, 0);
}

void WorkerReport::Progress(std::uint16_t percent) {
  window_.Notify(WM_TRANSFER_PROGRESS, percent, 0);
}

void WorkerReport::Information(std::u16string_view text) {
  window_.ShowMessageBox(text, platform::kTitleNotice, platform::kInformationBox);
}

void WorkerReport::Error(std::u16string_view text) {
  window_.ShowMessageBox(text, platform::kTitleError, platform::kErrorBox);
}

void WorkerReport::Outcome(bool failed, std::optional<std::u16string_view> detail,
                           std::u16string_view done, std::u16string_view failure) {
  if (!failed) return Information(done);
  if (detail) Error(*detail);
  Error(failure);
}

void WorkerReport::TargetOpenFailed(platform::OpenError error) {
  if (error == platform::OpenError::kBusy) {
    window_.ShowMessageBox(messages::kTargetBusy, platform::kTitleNotice, platform::kWarningBox);
  }
  Error(messages::kTargetOpenError);
}

}  // namespace ombrix
