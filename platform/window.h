// The dialog window as a worker thread reaches it: notifications and modal message boxes. All may
// be called from any thread and are handled on the window's thread. A sent message and a box block
// the caller until the window has handled them, so a worker waits for the user's answer; a
// notification of progress does not wait for the window.
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
  // Delivers a message to the window procedure and returns at once. Of the notifications of one
  // message number that the window has not handled yet, only the newest is handled: the window
  // shows the latest state, and a fast sender never waits for a slow repaint. Whatever is sent or
  // shown afterwards through Send or ShowMessageBox is handled after it.
  virtual void Notify(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) = 0;
  // Shows a modal box owned by the window; returns the button pressed.
  virtual int ShowMessageBox(std::u16string_view text, std::u16string_view title,
                             std::uint32_t flags) = 0;
};

}  // namespace ombrix::platform
