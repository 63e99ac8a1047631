// The dialog class the program's dialogs derive from: a template, a handler of its messages and,
// while it is open, the window the platform built for it.
#pragma once

#include <memory>

#include "platform/dialog.h"

namespace ombrix {

class CDialog : public platform::DialogHandler {
 public:
  explicit CDialog(const platform::DialogTemplate& dialog, CDialog* parent = nullptr)
      : template_(dialog), parent_(parent) {}

  // Builds the window, initialises it and runs it until EndDialog; returns the result given
  // there.
  int DoModal();
  // Builds, initialises and shows the window, served by the caller's event loop.
  void Create();

  platform::DialogHost& host() { return *host_; }
  bool has_window() const { return host_ != nullptr; }
  void EndDialog(int result) { host_->EndDialog(result); }

  bool OnInitDialog() override { return true; }
  // Command 1 (Enter) and 2 (Escape, close box) end the dialog with that result.
  void OnCommand(int id) override;
  void OnSysCommand(std::uint32_t /*command*/) override {}
  std::intptr_t OnMessage(std::uint32_t /*message*/, std::uintptr_t /*wparam*/,
                          std::intptr_t /*lparam*/) override {
    return 0;
  }

 private:
  void Build();

  const platform::DialogTemplate& template_;
  CDialog* parent_;
  std::unique_ptr<platform::DialogHost> host_;
};

}  // namespace ombrix
