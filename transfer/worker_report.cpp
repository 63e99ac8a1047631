#include "transfer/worker_report.h"

#include "transfer/messages.h"
#include "transfer/transfer.h"

namespace ombrix {

void WorkerReport::Done() {
  window_.Send(WM_TRANSFER_DONE, 0, 0);
}

void WorkerReport::Progress(std::uint16_t percent) {
  window_.Notify(WM_TRANSFER_PROGRESS, percent, kTransferPass);
}

void WorkerReport::CheckProgress(std::uint16_t percent) {
  window_.Notify(WM_TRANSFER_PROGRESS, percent, kCheckPass);
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

void WorkerReport::Checked(const CheckResult& check, std::u16string_view verified, bool with_digest,
                           std::u16string (*mismatch)(std::int64_t), std::u16string_view done,
                           std::u16string_view failure) {
  switch (check.outcome) {
    case CheckResult::Outcome::kMatch: {
      std::u16string text(verified);
      if (with_digest) {
        const std::string hex = platform::HexOf(check.digest);
        text += u"\n" + std::u16string(hex.begin(), hex.end());
      }
      return Information(text);
    }
    case CheckResult::Outcome::kStopped:
      return Information(done);
    case CheckResult::Outcome::kMismatch:
      Error(mismatch(check.first_bad_sector));
      return Error(failure);
    case CheckResult::Outcome::kReadError:
      Error(messages::kVerifyReadError);
      return Error(failure);
  }
}

void WorkerReport::TargetOpenFailed(platform::OpenError error) {
  if (error == platform::OpenError::kBusy) {
    window_.ShowMessageBox(messages::kTargetBusy, platform::kTitleNotice, platform::kWarningBox);
  }
  Error(messages::kTargetOpenError);
}

}  // namespace ombrix
