// A dialog window that records what a worker sends and shows, answers every box at once, and can
// act when an event arrives (to stop a transfer at a chosen step, say). Safe to call from a worker
// thread.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/window.h"

namespace ombrix::test {

struct WindowEvent {
  bool is_box = false;
  std::uint32_t message = 0;  // notifications
  std::uintptr_t wparam = 0;
  std::intptr_t lparam = 0;
  std::u16string text;  // boxes
  std::u16string title;
  std::uint32_t flags = 0;
};

class RecordingWindow final : public platform::DialogWindow {
 public:
  std::intptr_t Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  // Recorded like a sent message: every report counts.
  void Notify(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    Send(message, wparam, lparam);
  }
  int ShowMessageBox(std::u16string_view text, std::u16string_view title,
                     std::uint32_t flags) override;

  // Called, outside the lock, with every event after it is recorded.
  std::function<void(const WindowEvent&)> on_event;

  std::vector<WindowEvent> events() const;
  void Clear();
  // Boxes and the done notification in order, progress left out: "info:复制完毕 ！", "done"...
  // Boxes read "info:", "error:", "warning:" by kind and title, others "box(title,flags):".
  std::vector<std::u16string> Sequence() const;
  // The percents of the transfer pass, and of the check pass after it.
  std::vector<std::uint16_t> Progress() const;
  std::vector<std::uint16_t> CheckProgress() const;
  int DoneCount() const;

 private:
  void Record(WindowEvent event);
  mutable std::mutex mutex_;
  std::vector<WindowEvent> events_;
};

// Entries of RecordingWindow::Sequence().
using Sequence = std::vector<std::u16string>;
inline const std::u16string kDone = u"done";
inline std::u16string Info(std::u16string_view text) {
  return u"info:" + std::u16string(text);
}
inline std::u16string Error(std::u16string_view text) {
  return u"error:" + std::u16string(text);
}
inline std::u16string Warning(std::u16string_view text) {
  return u"warning:" + std::u16string(text);
}

}  // namespace ombrix::test
