// The dialog framework the window code is written against: a dialog built from a template, its
// controls addressed by ID, message boxes, file dialogs and the few shell services the program
// uses. Each platform provides it (Qt widgets on Linux, Win32 on Windows); the handlers in ui/
// never see which.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/controls.h"
#include "platform/dialog_template.h"
#include "platform/window.h"

namespace ombrix::platform {

// Commands every dialog knows.
inline constexpr int kIdCancel = 2;  // Escape, the close box
// The system menu command of an added about item.
inline constexpr std::uint32_t kSysCommandAbout = 0x0010;

// What a dialog does with its messages. All of it runs on the dialog's thread.
class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  // The window and its controls exist; not yet shown.
  virtual bool OnInitDialog() = 0;
  // A button, a notifying static, Enter (command 1), Escape or the close box (command 2).
  virtual void OnCommand(int id) = 0;
  // A system menu command.
  virtual void OnSysCommand(std::uint32_t command) = 0;
  // A message sent to the window, from any thread; handled on the dialog's thread.
  virtual std::intptr_t OnMessage(std::uint32_t message, std::uintptr_t wparam,
                                  std::intptr_t lparam) = 0;
};

struct ChosenFile {
  std::u16string path;  // full path, as the user gave it
  std::u16string name;  // its last component
};

enum class FileDialogKind { kOpen, kSave };

struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::kOpen;
  std::u16string_view title;
  // Pairs of description and pattern: "Image File (*.img)", "*.img", ...
  std::span<const std::u16string_view> filter;
  bool overwrite_prompt = false;
};

// A built dialog window. Control operations take the control's ID from the template.
class DialogHost : public DialogWindow {
 public:
  // Runs the modal loop until EndDialog; returns its result.
  virtual int RunModal() = 0;
  // Shows the window without a loop of its own (the caller's loop serves it).
  virtual void ShowModeless() = 0;
  virtual void EndDialog(int result) = 0;
  virtual bool IsEnded() const = 0;

  virtual ComboBox& List(int id) = 0;
  virtual void EnableControl(int id, bool enable) = 0;
  virtual bool IsControlEnabled(int id) const = 0;
  virtual int GetCheck(int id) const = 0;
  virtual void SetCheck(int id, int state) = 0;
  virtual void SetReadOnly(int id, bool read_only) = 0;
  virtual bool IsReadOnly(int id) const = 0;
  virtual std::u16string GetControlText(int id) const = 0;
  virtual void SetControlText(int id, std::u16string_view text) = 0;
  virtual void FocusControl(int id) = 0;
  virtual void SetProgressRange(int id, int low, int high) = 0;
  virtual void SetProgressPos(int id, int position) = 0;
  virtual int GetProgressPos(int id) const = 0;
  // The text a progress bar shows over itself; empty for none. Nothing where bars draw no text.
  virtual void SetProgressText(int id, std::u16string_view text) = 0;
  virtual bool ProgressBarShowsText() const = 0;

  // Appends a separator and an item to the window's system menu.
  virtual void AppendSystemMenuItem(std::uint32_t command, std::u16string_view text) = 0;
  // Sets the icon resource as the window's big or small icon.
  virtual void SetIcon(int icon, bool big) = 0;
  // Nothing when the user cancels.
  virtual std::optional<ChosenFile> ChooseFile(const FileDialogRequest& request) = 0;
};

// Builds a dialog from its template; `owner` is the window it is modal on, if any.
std::unique_ptr<DialogHost> MakeDialog(const DialogTemplate& dialog, DialogHandler& handler,
                                       DialogHost* owner);

// Prepares the window system's common controls before the first dialog.
void InitCommonControls();

// Opens a web address in a browser, without an owner window; failures are ignored.
void OpenWebAddress(std::u16string_view address);

}  // namespace ombrix::platform
