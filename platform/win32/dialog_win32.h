// The dialog framework on Windows: dialogs from the executable's resource templates, run by the
// system's dialog manager, and their controls through their messages.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>

#include "platform/dialog.h"

namespace ombrix::platform {

class Win32Dialog final : public DialogHost {
 public:
  Win32Dialog(const DialogTemplate& dialog, DialogHandler& handler, HWND owner);
  ~Win32Dialog() override;

  // All work from any thread: Windows delivers a sent message on the window's own thread and
  // shows a box owned by a window of another thread.
  std::intptr_t Send(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  void Notify(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override;
  int ShowMessageBox(std::u16string_view text, std::u16string_view title,
                     std::uint32_t flags) override;

  int RunModal() override;
  void ShowModeless() override;
  void EndDialog(int result) override;
  bool IsEnded() const override { return ended_; }
  ComboBox& List(int id) override;
  void EnableControl(int id, bool enable) override;
  bool IsControlEnabled(int id) const override;
  int GetCheck(int id) const override;
  void SetCheck(int id, int state) override;
  void SetReadOnly(int id, bool read_only) override;
  bool IsReadOnly(int id) const override;
  std::u16string GetControlText(int id) const override;
  void SetControlText(int id, std::u16string_view text) override;
  void FocusControl(int id) override;
  void SetProgressRange(int id, int low, int high) override;
  void SetProgressPos(int id, int position) override;
  int GetProgressPos(int id) const override;
  // A Windows progress bar draws no text.
  void SetProgressText(int, std::u16string_view) override {}
  bool ProgressBarShowsText() const override { return false; }
  void AppendSystemMenuItem(std::uint32_t command, std::u16string_view text) override;
  void SetIcon(int icon, bool big) override;
  std::optional<ChosenFile> ChooseFile(const FileDialogRequest& request) override;

  HWND hwnd() const { return hwnd_; }
  int result() const { return result_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void PaintMinimised();
  HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
  bool OnWindowThread() const;
  void DeliverNotifications();
  void FlushNotifications();

  const DialogTemplate& template_;
  DialogHandler& handler_;
  HWND owner_;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  bool modal_ = false;
  bool ended_ = false;
  int result_ = 0;
  std::map<int, std::unique_ptr<ComboBox>> lists_;
  struct Parameters {
    std::uintptr_t wparam;
    std::intptr_t lparam;
  };
  std::mutex notify_mutex_;
  // The newest notification of each message number that the window has not handled yet.
  std::map<std::uint32_t, Parameters> latest_;
};

}  // namespace ombrix::platform
