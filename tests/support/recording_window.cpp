#include "tests/support/recording_window.h"

#include "transfer/transfer.h"

namespace ombrix::test {

void RecordingWindow::Record(WindowEvent event) {
  {
    const std::lock_guard lock(mutex_);
    events_.push_back(event);
  }
  if (on_event) on_event(event);
}

std::intptr_t RecordingWindow::Send(std::uint32_t message, std::uintptr_t wparam,
                                    std::intptr_t lparam) {
  Record({.message = message, .wparam = wparam, .lparam = lparam});
  return 0;
}

int RecordingWindow::ShowMessageBox(std::u16string_view text, std::u16string_view title,
                                    std::uint32_t flags) {
  Record({.is_box = true,
          .text = std::u16string(text),
          .title = std::u16string(title),
          .flags = flags});
  return (flags & platform::kBoxYesNo) ? platform::kIdYes : platform::kIdOk;
}

void RecordingWindow::Clear() {
  const std::lock_guard lock(mutex_);
  events_.clear();
}

std::vector<WindowEvent> RecordingWindow::events() const {
  const std::lock_guard lock(mutex_);
  return events_;
}

std::vector<std::u16string> RecordingWindow::Sequence() const {
  std::vector<std::u16string> sequence;
  for (const auto& e : events()) {
    if (!e.is_box) {
      if (e.message == WM_TRANSFER_DONE) sequence.push_back(u"done");
      continue;
    }
    std::u16string kind;
    if (e.title == platform::kTitleNotice && e.flags == platform::kInformationBox) {
      kind = u"info:";
    } else if (e.title == platform::kTitleError && e.flags == platform::kErrorBox) {
      kind = u"error:";
    } else if (e.title == platform::kTitleNotice && e.flags == platform::kWarningBox) {
      kind = u"warning:";
    } else {
      const std::string flags = std::to_string(e.flags);
      kind = u"box(" + e.title + u"," + std::u16string(flags.begin(), flags.end()) + u"):";
    }
    sequence.push_back(kind + e.text);
  }
  return sequence;
}

namespace {

std::vector<std::uint16_t> PercentsOf(const std::vector<WindowEvent>& events, std::intptr_t pass) {
  std::vector<std::uint16_t> percents;
  for (const auto& e : events) {
    if (!e.is_box && e.message == WM_TRANSFER_PROGRESS && e.lparam == pass) {
      percents.push_back(static_cast<std::uint16_t>(e.wparam));
    }
  }
  return percents;
}

}  // namespace

std::vector<std::uint16_t> RecordingWindow::Progress() const {
  return PercentsOf(events(), kTransferPass);
}

std::vector<std::uint16_t> RecordingWindow::CheckProgress() const {
  return PercentsOf(events(), kCheckPass);
}

int RecordingWindow::DoneCount() const {
  int count = 0;
  for (const auto& e : events()) count += !e.is_box && e.message == WM_TRANSFER_DONE;
  return count;
}

}  // namespace ombrix::test
