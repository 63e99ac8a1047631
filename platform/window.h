// The dialog window as a worker thread reaches it: synchronous notifications and modal message
// boxes. Both may be called from any thread; they run on the window's thread and block the caller
// until the window has handled them, so a worker waits for the user's answer.
#pragma once

#include <cstdint>
#include <string_view>

namespace ombrix::platform {

// Message box flags as Windows defines them.
inline constexpr std::uint32_t kBoxOk = 0x00;
inline constexpr std::uint32_t kBoxYesNo = 0x04;
inline constexpr std::uint32_t kBoxIconError = 0x10;
inline constexpr std::uint32_t kBoxIconExclamation = 0x30;
inline constexpr std::uint32_t kBoxIconInformation = 0x40;

// The kinds of box the program shows.
inline constexpr std::uint32_t kQuestionBox = kBoxIconExclamation | kBoxYesNo;      // 0x34
inline constexpr std::uint32_t kInfoQuestionBox = kBoxIconInformation | kBoxYesNo;  // 0x44
inline constexpr std::uint32_t kWarningBox = kBoxIconExclamation | kBoxOk;          // 0x30
inline constexpr std::uint32_t kInformationBox = kBoxIconInformation | kBoxOk;      // 0x40
inline constexpr std::uint32_t kErrorBox = kBoxIconError | kBoxOk;                  // 0x10
inline constexpr std::uint32_t kPlainBox = kBoxOk;                                  // 0

// Buttons a box answers with.
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Titles of the boxes.
inline constexpr std::u16string_view kTitleNotice = u"提示";
inline constexpr std::u16string_view kTitleError = u"错误";

// The first message number free for a program's own messages.
inline constexpr std::uint32_t kUserMessageBase = 0x0400;

class DialogWindow {
 public:
  virtual ~DialogWindow() = default;
  // Delivers a message to the window procedure and returns its result once it is handled.
  virtual std::intptr_t Send(std::uint32_t message, std::uintptr_t wparam,
                             std::intptr_t lparam) = 0;
  // Shows a modal box owned by the window; returns the button pressed.
  virtual int ShowMessageBox(std::u16string_view text, std::u16string_view title,
                             std::uint32_t flags) = 0;
};

}  // namespace ombrix::platform
