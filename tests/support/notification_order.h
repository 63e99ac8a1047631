// The order in which a dialog handles what a worker thread hands it: progress notifications
// coalesced while the dialog is busy, and each sent message after every notification before it.
// Run against each platform's dialog; only serving the window's messages differs between them.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <vector>

#include "platform/dialog_template.h"

namespace ombrix::test {

struct HandledMessage {
  std::uint32_t message;
  std::uintptr_t wparam;
  friend bool operator==(const HandledMessage&, const HandledMessage&) = default;
  friend void PrintTo(const HandledMessage& handled, std::ostream* out) {
    *out << "{" << handled.message << ", " << handled.wparam << "}";
  }
};

// Builds a modeless dialog from `dialog` with a handler that records what it handles. A worker
// thread notifies 1 to 2000 while the dialog's thread is away, sends a message, then notifies
// 5000. `serve` serves the window's messages for a moment on the calling thread. Returns what the
// handler saw, in order.
std::vector<HandledMessage> NotifyThenSend(const platform::DialogTemplate& dialog,
                                           const std::function<void()>& serve);

inline constexpr std::uint32_t kNotifiedMessage = 0x0400 + 100;
inline constexpr std::uint32_t kSentMessage = 0x0400 + 101;

}  // namespace ombrix::test
